// The game stream relay: the local game's one TCP connection carried to the peer and back, byte for
// byte. The end of the game's connection ends the process.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>

#include "platform/socket.h"

namespace tw {

// What arrived for the game before it connected may not grow past this; beyond it the relay ends
// as a failed write to the game does.
constexpr size_t kMaxPending = 64u << 20;

struct RelayState {
  // gameLock guards gameSocket and pendingToGame. It is a leaf: nothing else is taken under it.
  std::mutex gameLock;
  Socket gameSocket = kInvalidSocket;
  std::deque<std::string> pendingToGame;
  size_t pendingBytes = 0;
  Socket peerSocket = kInvalidSocket;  // TCP bridge mode only
  std::atomic<bool> stopRequested{false};
};

RelayState& Relay();

// Runs the game side on the calling thread and ends the process (0 when the stream ended, 3 when
// the game could not be listened for or accepted). `steamPeer` selects the Steam transport.
[[noreturn]] void RelayGame(int32_t gameListenPort, int32_t gameConnectPort, bool steamPeer);

// Data for the game: queued until it is connected, then sent in order.
void DeliverToGame(const char* data, size_t size);

// TCP bridge mode: the peer-to-game direction, on its own thread.
void PeerToGamePump();

// Ends the process now with `code`, standard error flushed; nothing else is cleaned up.
[[noreturn]] void EndProcess(int code);

}  // namespace tw
