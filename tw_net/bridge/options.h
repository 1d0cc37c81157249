// tw_net's command line: the options, their parsing, and the usage text.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace tw {

struct Options {
  int32_t control = 0;
  int32_t gameListen = 0, gameConnect = 0;
  int32_t peerListen = 0, peerConnect = 0;
  uint64_t peerSteam = 0;
  bool peerSteamAny = false;
  bool spectate = false;
  int32_t specListen = 0, specGame = 0, playerListen = 0;
};

// Every option is an exact, whole argument; one that takes a value consumes the next argument
// whatever it is ("0" when there is none); unknown arguments are skipped; the last value wins.
Options ParseOptions(const std::vector<std::string_view>& arguments);

enum class Mode { LobbyService, Usage, SteamBridge, TcpBridge };
Mode SelectMode(const Options& options);

extern const std::string_view kUsage;

constexpr uint16_t kPlayerPort = 28100, kSpectatorPort = 28110;

}  // namespace tw
