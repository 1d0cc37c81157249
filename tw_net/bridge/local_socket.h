// The two local socket operations every part of tw_net uses.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/socket.h"

namespace tw {

// Listens on 127.0.0.1:port (SO_REUSEADDR); logs either outcome. kInvalidSocket on failure.
Socket ListenLocal(int32_t port, int backlog);

// Connects to 127.0.0.1:port, retrying every 200 ms until it succeeds; TCP_NODELAY set.
Socket ConnectLocal(int32_t port);

// The same, giving up (kInvalidSocket) once `stop` is set: a stream whose other side has ended
// must not wait for ever for a game that may never listen.
Socket ConnectLocalUntil(int32_t port, const std::atomic<bool>& stop);

// Accepts one connection on `listener` with TCP_NODELAY set; kInvalidSocket on failure.
Socket AcceptStream(Socket listener);

// Sends all of `size` bytes in pieces of at most 64 KiB; false as soon as a send returns 0 or less.
bool SendAll(Socket s, const char* data, size_t size);

constexpr int kChunk = 65536;

}  // namespace tw
