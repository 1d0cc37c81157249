// tw_net's entry: the crash reporter, sockets, options, then the chosen mode.
#pragma once

namespace tw {

int TwNetMain(int argc, char** argv);

}  // namespace tw
