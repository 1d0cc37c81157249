#include "bridge/steam_transport.h"

#include "bridge/log.h"
#include "platform/library.h"

namespace tw {

bool InitSteam() {
  void* library = LoadSteamLibrary();
  if (!library) {
    LogLine("%s not found", SteamLibraryName());
    return false;
  }
  // Signing in through the loaded runtime comes with the Steam transport.
  LogLine("Steam not available: %s", "this build of tw_net carries streams over TCP only");
  return false;
}

bool SendGameBytesToPeer(const char*, size_t) { return false; }

void SteamPump() {}

}  // namespace tw
