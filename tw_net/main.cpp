// tw_net's entry point; everything else lives in the tw_net library.
#include "bridge/entry.h"

int main(int argc, char** argv) { return tw::TwNetMain(argc, argv); }
