#include "bridge/local_socket.h"

#include <chrono>
#include <thread>

#include "bridge/log.h"

namespace tw {

Socket ListenLocal(int32_t port, int backlog) {
  const Socket s = TcpSocket();
  if (s != kInvalidSocket) SetReuseAddress(s);
  if (s == kInvalidSocket || !BindLoopback(s, uint16_t(port)) || !ListenOn(s, backlog)) {
    LogLine("cannot listen on 127.0.0.1:%u", unsigned(uint16_t(port)));
    if (s != kInvalidSocket) CloseSocket(s);
    return kInvalidSocket;
  }
  LogLine("listening on 127.0.0.1:%u", unsigned(uint16_t(port)));
  return s;
}

Socket ConnectLocalUntil(int32_t port, const std::atomic<bool>& stop) {
  for (;;) {
    const Socket s = TcpSocket();
    if (s != kInvalidSocket && ConnectLoopback(s, uint16_t(port))) {
      SetNoDelay(s);
      return s;
    }
    if (s != kInvalidSocket) CloseSocket(s);
    if (stop.load()) return kInvalidSocket;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
}

Socket ConnectLocal(int32_t port) {
  static const std::atomic<bool> never{false};
  return ConnectLocalUntil(port, never);
}

Socket AcceptStream(Socket listener) {
  const Socket s = AcceptOn(listener);
  if (s != kInvalidSocket) SetNoDelay(s);
  return s;
}

bool SendAll(Socket s, const char* data, size_t size) {
  while (size > 0) {
    const int piece = int(size < size_t(kChunk) ? size : size_t(kChunk));
    const int sent = SendSome(s, data, piece);
    if (sent <= 0) return false;
    data += sent;
    size -= size_t(sent);
  }
  return true;
}

}  // namespace tw
