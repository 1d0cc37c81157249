#include "bridge/entry.h"

#include <cstdio>
#include <string_view>
#include <thread>
#include <vector>

#include "bridge/links.h"
#include "bridge/local_socket.h"
#include "bridge/log.h"
#include "bridge/options.h"
#include "bridge/relay.h"
#include "bridge/steam_transport.h"
#include "platform/crash.h"

namespace tw {

int TwNetMain(int argc, char** argv) {
  InstallCrashReporter();
  UseBinaryStandardError();
  StartSockets();
  std::vector<std::string_view> arguments;
  for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
  Options o = ParseOptions(arguments);

  switch (SelectMode(o)) {
    case Mode::LobbyService:
      // The lobby service needs Steam; it signs in first and is not part of this build beyond that.
      if (!InitSteam()) return 3;
      return 3;
    case Mode::Usage:
      std::fwrite(kUsage.data(), 1, kUsage.size(), stderr);
      std::fflush(stderr);
      return 2;
    default:
      break;
  }
  if (o.specListen != 0) {
    if (o.specGame == 0) o.specGame = kSpectatorPort;
    SpectatorGamePort().store(o.specGame);
    std::thread(StreamListener, o.specListen, 0, true).detach();
  } else {
    SpectatorGamePort().store(o.specGame);
  }
  if (o.playerListen != 0)
    std::thread(StreamListener, o.playerListen, o.gameConnect != 0 ? o.gameConnect : kPlayerPort, false).detach();

  if (SelectMode(o) == Mode::SteamBridge) {
    if (!InitSteam()) return 3;
    SteamState& steam = SteamPeers();
    steam.acceptAnyPeer.store(o.peerSteamAny);
    if (o.peerSteam != 0) steam.peerId.store(o.peerSteam);
    steam.spectateMode = o.spectate;
    std::thread(SteamPump).detach();
    RelayGame(o.gameListen, o.gameConnect, true);
  }
  RelayState& relay = Relay();
  if (o.peerListen != 0) {
    const Socket listener = ListenLocal(o.peerListen, 1);
    if (listener == kInvalidSocket) return 3;
    relay.peerSocket = AcceptStream(listener);
    CloseSocket(listener);
    if (relay.peerSocket == kInvalidSocket) return 3;
  } else {
    relay.peerSocket = ConnectLocal(o.peerConnect);
  }
  LogLine("peer connected (tcp)");
  std::thread(PeerToGamePump).detach();
  RelayGame(o.gameListen, o.gameConnect, false);
}

}  // namespace tw
