// BSD sockets for tw_net.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "platform/socket.h"

namespace tw {

namespace {
sockaddr_in Loopback(uint16_t port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}
}  // namespace

bool StartSockets() { return true; }

Socket TcpSocket() {
  const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
  return s < 0 ? kInvalidSocket : Socket(s);
}

void SetReuseAddress(Socket s) {
  const int one = 1;
  ::setsockopt(int(s), SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
}

void SetNoDelay(Socket s) {
  const int one = 1;
  ::setsockopt(int(s), IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

bool BindLoopback(Socket s, uint16_t port) {
  const sockaddr_in address = Loopback(port);
  return ::bind(int(s), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
}

bool ListenOn(Socket s, int backlog) { return ::listen(int(s), backlog) == 0; }

bool ConnectLoopback(Socket s, uint16_t port) {
  const sockaddr_in address = Loopback(port);
  int result;
  do result = ::connect(int(s), reinterpret_cast<const sockaddr*>(&address), sizeof address);
  while (result != 0 && errno == EINTR);
  return result == 0;
}

Socket AcceptOn(Socket listener) {
  int s;
  do s = ::accept4(int(listener), nullptr, nullptr, SOCK_CLOEXEC);
  while (s < 0 && errno == EINTR);
  return s < 0 ? kInvalidSocket : Socket(s);
}

int ReceiveSome(Socket s, char* buffer, int size) {
  ssize_t n;
  do n = ::recv(int(s), buffer, size_t(size), 0);
  while (n < 0 && errno == EINTR);
  return int(n);
}

int SendSome(Socket s, const char* data, int size) {
  ssize_t n;
  do n = ::send(int(s), data, size_t(size), MSG_NOSIGNAL);
  while (n < 0 && errno == EINTR);
  return int(n);
}

void ShutdownBoth(Socket s) { ::shutdown(int(s), SHUT_RDWR); }

void CloseSocket(Socket s) { ::close(int(s)); }

}  // namespace tw
