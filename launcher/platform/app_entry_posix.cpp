// On POSIX SDL builds no argument vector of its own, so main's arguments are passed through.
#include "platform/app_entry.h"

#define SDL_MAIN_HANDLED
#include <SDL3/SDL_main.h>

namespace qm {

int RunApplication(int argc, char** argv, int (*entry)(int, char**)) { return SDL_RunApp(argc, argv, entry, nullptr); }

}  // namespace qm
