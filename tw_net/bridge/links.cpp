#include "bridge/links.h"

#include <chrono>
#include <thread>
#include <vector>

#include "bridge/local_socket.h"
#include "bridge/log.h"
#include "bridge/relay.h"
#include "bridge/steam_transport.h"

namespace tw {

namespace {

// Player links reach the game one at a time: held from the 200 ms pause to the queue flush.
std::mutex playerConnectLock;

void CloseLink(SpecLink& link) {
  link.closed.store(true);
  if (link.linkSocket != kInvalidSocket) ShutdownBoth(link.linkSocket);
}

}  // namespace

std::atomic<int32_t>& SpectatorGamePort() {
  static std::atomic<int32_t> port{0};
  return port;
}

void StreamListener(int32_t listenPort, int32_t linkPort, bool spectator) {
  const Socket listener = ListenLocal(listenPort, 8);
  if (listener == kInvalidSocket) return;
  for (;;) {
    const Socket accepted = AcceptStream(listener);
    if (accepted == kInvalidSocket) return;
    auto link = std::make_shared<SpecLink>();
    link->linkSocket = accepted;
    link->port = uint16_t(linkPort);
    link->spectator = spectator;
    if (!spectator) std::thread(GameLinkThread, link).detach();
    std::thread(LinkReader, link).detach();
  }
}

void LinkReader(std::shared_ptr<SpecLink> link) {
  std::vector<char> buffer(kChunk);
  bool first = true;
  for (;;) {
    const int got = ReceiveSome(link->linkSocket, buffer.data(), kChunk);
    if (got <= 0) break;
    if (first && link->spectator) std::thread(GameLinkThread, link).detach();
    first = false;
    DeliverToLink(*link, buffer.data(), size_t(got));
  }
  link->closed.store(true);
  std::lock_guard lock(link->lock);
  if (link->gameSocket != kInvalidSocket) ShutdownBoth(link->gameSocket);
}

void DeliverToLink(SpecLink& link, const char* data, size_t size) {
  std::lock_guard lock(link.lock);
  if (link.gameSocket == kInvalidSocket) {
    if (link.pendingBytes + size > kMaxPending) {
      LogLine("%s %llu: %llu bytes queued before the game connected: closing", link.LogRole(),
              (unsigned long long)link.LogId(), (unsigned long long)link.pendingBytes);
      CloseLink(link);
      return;
    }
    link.pending.emplace_back(data, size);
    link.pendingBytes += size;
    return;
  }
  if (!SendAll(link.gameSocket, data, size)) link.closed.store(true);
}

void GameLinkThread(std::shared_ptr<SpecLink> link) {
  RelayState& relay = Relay();
  std::unique_lock<std::mutex> turn(playerConnectLock, std::defer_lock);
  if (!link->spectator) {
    for (;;) {
      {
        std::lock_guard lock(relay.gameLock);
        if (relay.gameSocket != kInvalidSocket) break;
      }
      if (relay.stopRequested.load()) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    turn.lock();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  const int32_t port = link->port != 0 ? link->port : SpectatorGamePort().load();
  const Socket game = ConnectLocalUntil(port, link->closed);
  if (game == kInvalidSocket) {  // the link ended before the game listened
    LogLine("%s %llu: closed", link->LogRole(), (unsigned long long)link->LogId());
    return;
  }
  {
    std::lock_guard lock(link->lock);
    link->gameSocket = game;
    for (const std::string& entry : link->pending) SendAll(game, entry.data(), entry.size());
    link->pending.clear();
    link->pendingBytes = 0;
  }
  if (turn.owns_lock()) turn.unlock();
  LogLine("%s %llu: game connected", link->LogRole(), (unsigned long long)link->LogId());
  std::vector<char> buffer(kChunk);
  while (!link->closed.load()) {
    const int got = ReceiveSome(game, buffer.data(), kChunk);
    if (got <= 0) break;
    if (link->linkSocket == kInvalidSocket) {
      if (!SendToPeer(link->steamId, link->spectator ? 1 : 0, buffer.data(), size_t(got))) break;
    } else if (!SendAll(link->linkSocket, buffer.data(), size_t(got))) {
      break;
    }
  }
  link->closed.store(true);
  ShutdownBoth(game);
  if (link->linkSocket != kInvalidSocket) ShutdownBoth(link->linkSocket);
  LogLine("%s %llu: closed", link->LogRole(), (unsigned long long)link->LogId());
}

}  // namespace tw
