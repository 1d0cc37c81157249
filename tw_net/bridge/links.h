// Extra streams beside the main one: one local TCP connection to the game per spectator and per
// extra player, each tied to a local TCP connection (bridge mode) or to a Steam user.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>

#include "platform/socket.h"

namespace tw {

struct SpecLink {
  // lock guards gameSocket and pending; a leaf lock.
  std::mutex lock;
  Socket gameSocket = kInvalidSocket;
  Socket linkSocket = kInvalidSocket;  // the accepted local connection of a TCP link
  uint64_t steamId = 0;                // the remote user of a Steam link
  uint16_t port = 0;                   // game port; 0: the spectator game port
  bool spectator = false;
  std::deque<std::string> pending;
  size_t pendingBytes = 0;
  std::atomic<bool> closed{false};

  SpecLink() = default;
  SpecLink(const SpecLink&) = delete;
  SpecLink& operator=(const SpecLink&) = delete;
  // The last holder closes both connections; the threads only ever shut them down.
  ~SpecLink() {
    if (gameSocket != kInvalidSocket) CloseSocket(gameSocket);
    if (linkSocket != kInvalidSocket) CloseSocket(linkSocket);
  }

  uint64_t LogId() const { return steamId != 0 ? steamId : uint64_t(linkSocket); }
  const char* LogRole() const { return spectator ? "spectator" : "player"; }
};

// The port of the game's spectator listener that spectator links connect to (--spec-game).
std::atomic<int32_t>& SpectatorGamePort();

// Thread body: accepts stream connections on `listenPort` and makes a link for each.
void StreamListener(int32_t listenPort, int32_t linkPort, bool spectator);

// Thread bodies of one link: the game side, and for TCP links the remote side.
void GameLinkThread(std::shared_ptr<SpecLink> link);
void LinkReader(std::shared_ptr<SpecLink> link);

// Data for the link's game connection: queued until it is connected (at most kMaxPending bytes;
// past that the link closes), then sent in order.
void DeliverToLink(SpecLink& link, const char* data, size_t size);

}  // namespace tw
