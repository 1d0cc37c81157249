// The launcher's entry point; everything else lives in the launcher library.
#include "platform/app_entry.h"
#include "shell/app.h"

int main(int argc, char** argv) { return qm::RunApplication(argc, argv, qm::LauncherMain); }
