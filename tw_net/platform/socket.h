// tw_net's sockets: IPv4 TCP on the loopback address only.
#pragma once

#include <cstdint>

namespace tw {

using Socket = int64_t;
constexpr Socket kInvalidSocket = -1;

// Starts the socket library (Winsock 2.2 on Windows); the result is ignored by the caller.
bool StartSockets();

Socket TcpSocket();
void SetReuseAddress(Socket s);
void SetNoDelay(Socket s);
bool BindLoopback(Socket s, uint16_t port);
bool ListenOn(Socket s, int backlog);
bool ConnectLoopback(Socket s, uint16_t port);
Socket AcceptOn(Socket listener);  // kInvalidSocket on failure

// Receive and send at most `size` bytes; the result as the OS gives it (0 or less: closed or error).
// A send to a closed peer never raises a signal.
int ReceiveSome(Socket s, char* buffer, int size);
int SendSome(Socket s, const char* data, int size);

void ShutdownBoth(Socket s);
void CloseSocket(Socket s);

}  // namespace tw
