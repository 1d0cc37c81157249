#include "bridge/relay.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "bridge/local_socket.h"
#include "bridge/log.h"
#include "bridge/steam_transport.h"

namespace tw {

RelayState& Relay() {
  static RelayState state;
  return state;
}

void EndProcess(int code) {
  std::fflush(stderr);
  std::fflush(stdout);
  std::_Exit(code);
}

namespace {

[[noreturn]] void EndRelay(uint64_t bytesSent) {
  RelayState& r = Relay();
  LogLine("game closed (%llu bytes sent)", (unsigned long long)bytesSent);
  r.stopRequested.exchange(true);
  if (r.peerSocket != kInvalidSocket) ShutdownBoth(r.peerSocket);
  EndProcess(0);
}

}  // namespace

void DeliverToGame(const char* data, size_t size) {
  RelayState& r = Relay();
  std::lock_guard lock(r.gameLock);
  if (r.gameSocket == kInvalidSocket) {
    if (r.pendingBytes + size > kMaxPending) {
      LogLine("game not connected and %llu bytes queued for it: closing", (unsigned long long)r.pendingBytes);
      r.stopRequested.exchange(true);
      return;
    }
    r.pendingToGame.emplace_back(data, size);
    r.pendingBytes += size;
    return;
  }
  if (!SendAll(r.gameSocket, data, size)) r.stopRequested.exchange(true);
}

void RelayGame(int32_t gameListenPort, int32_t gameConnectPort, bool steamPeer) {
  RelayState& r = Relay();
  Socket game = kInvalidSocket;
  if (gameListenPort != 0) {
    const Socket listener = ListenLocal(gameListenPort, 1);
    if (listener == kInvalidSocket) EndProcess(3);
    game = AcceptStream(listener);
    CloseSocket(listener);
    if (game == kInvalidSocket) EndProcess(3);
  } else {
    game = ConnectLocalUntil(gameConnectPort, r.stopRequested);
    if (game == kInvalidSocket) EndRelay(0);  // the peer went away before the game listened
  }
  {
    std::lock_guard lock(r.gameLock);
    r.gameSocket = game;
    for (const std::string& entry : r.pendingToGame) SendAll(game, entry.data(), entry.size());
    r.pendingToGame.clear();
    r.pendingBytes = 0;
    LogLine("game connected");
  }
  uint64_t sent = 0;
  std::vector<char> buffer(kChunk);
  for (;;) {
    if (r.stopRequested.load()) break;
    const int got = ReceiveSome(game, buffer.data(), kChunk);
    if (got <= 0) break;
    if (!steamPeer) {
      if (!SendAll(r.peerSocket, buffer.data(), size_t(got))) break;
    } else if (!SendGameBytesToPeer(buffer.data(), size_t(got))) {
      break;
    }
    sent += uint64_t(got);
  }
  EndRelay(sent);
}

void PeerToGamePump() {
  RelayState& r = Relay();
  std::vector<char> buffer(kChunk);
  for (;;) {
    const int got = ReceiveSome(r.peerSocket, buffer.data(), kChunk);
    if (got <= 0) break;
    DeliverToGame(buffer.data(), size_t(got));
  }
  LogLine("peer closed");
  r.stopRequested.exchange(true);
  std::lock_guard lock(r.gameLock);
  if (r.gameSocket != kInvalidSocket) ShutdownBoth(r.gameSocket);
}

}  // namespace tw
