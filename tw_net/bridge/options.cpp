#include "bridge/options.h"

#include <cstdlib>
#include <string>

namespace tw {

const std::string_view kUsage =
    "usage: tw_net --game-listen|--game-connect <port> --peer-listen|--peer-connect <port> | --peer-steam <id> | "
    "--peer-steam-any\n"
    "       tw_net --control <port>   (lobbies for the launcher)\n";

Options ParseOptions(const std::vector<std::string_view>& arguments) {
  Options o;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string_view a = arguments[i];
    if (a == "--peer-steam-any") {
      o.peerSteamAny = true;
      continue;
    }
    if (a == "--spectate") {
      o.spectate = true;
      continue;
    }
    int32_t* port = a == "--control"         ? &o.control
                    : a == "--game-listen"   ? &o.gameListen
                    : a == "--game-connect"  ? &o.gameConnect
                    : a == "--peer-listen"   ? &o.peerListen
                    : a == "--peer-connect"  ? &o.peerConnect
                    : a == "--spec-listen"   ? &o.specListen
                    : a == "--spec-game"     ? &o.specGame
                    : a == "--player-listen" ? &o.playerListen
                                             : nullptr;
    const bool steam = a == "--peer-steam";
    if (!port && !steam) continue;
    const std::string value(i + 1 < arguments.size() ? arguments[++i] : std::string_view("0"));
    if (port)
      *port = std::atoi(value.c_str());
    else
      o.peerSteam = std::strtoull(value.c_str(), nullptr, 10);
  }
  return o;
}

Mode SelectMode(const Options& o) {
  if (o.control != 0) return Mode::LobbyService;
  const bool game = o.gameListen != 0 || o.gameConnect != 0;
  const bool steam = o.peerSteam != 0 || o.peerSteamAny;
  const bool tcp = o.peerListen != 0 || o.peerConnect != 0;
  if (!game || (!steam && !tcp)) return Mode::Usage;
  return steam ? Mode::SteamBridge : Mode::TcpBridge;
}

}  // namespace tw
