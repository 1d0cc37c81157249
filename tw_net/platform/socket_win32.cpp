// Winsock 2.2 for tw_net. Declarations are our own: the few calls and structures used here.
#include <cstddef>

#include "platform/socket.h"

extern "C" {
struct TwWsaData {
  unsigned short wVersion, wHighVersion;
  unsigned short iMaxSockets, iMaxUdpDg;
  char* lpVendorInfo;
  char szDescription[257];
  char szSystemStatus[129];
};
struct TwSockAddrIn {
  short sin_family;
  unsigned short sin_port;
  unsigned long sin_addr;
  char sin_zero[8];
};
typedef unsigned long long TwSocketHandle;
__declspec(dllimport) int __stdcall WSAStartup(unsigned short version, TwWsaData* data);
__declspec(dllimport) TwSocketHandle __stdcall socket(int af, int type, int protocol);
__declspec(dllimport) int __stdcall setsockopt(TwSocketHandle s, int level, int name, const char* value, int length);
__declspec(dllimport) int __stdcall bind(TwSocketHandle s, const void* address, int length);
__declspec(dllimport) int __stdcall listen(TwSocketHandle s, int backlog);
__declspec(dllimport) int __stdcall connect(TwSocketHandle s, const void* address, int length);
__declspec(dllimport) TwSocketHandle __stdcall accept(TwSocketHandle s, void* address, int* length);
__declspec(dllimport) int __stdcall recv(TwSocketHandle s, char* buffer, int length, int flags);
__declspec(dllimport) int __stdcall send(TwSocketHandle s, const char* buffer, int length, int flags);
__declspec(dllimport) int __stdcall shutdown(TwSocketHandle s, int how);
__declspec(dllimport) int __stdcall closesocket(TwSocketHandle s);
}

namespace tw {

namespace {
constexpr int kAfInet = 2, kSockStream = 1, kIpProtoTcp = 6, kSolSocket = 0xffff, kSoReuseAddr = 4;
constexpr int kTcpNoDelay = 1, kSdBoth = 2;
constexpr TwSocketHandle kWinInvalid = ~0ull;

unsigned short HostToNet16(uint16_t v) { return (unsigned short)((v >> 8) | (v << 8)); }

TwSockAddrIn Loopback(uint16_t port) {
  TwSockAddrIn address{};
  address.sin_family = kAfInet;
  address.sin_port = HostToNet16(port);
  address.sin_addr = 0x0100007Ful;  // 127.0.0.1 in network order
  return address;
}
TwSocketHandle H(Socket s) { return TwSocketHandle(s); }
}  // namespace

bool StartSockets() {
  TwWsaData data{};
  return WSAStartup(0x0202, &data) == 0;
}

Socket TcpSocket() {
  const TwSocketHandle s = socket(kAfInet, kSockStream, kIpProtoTcp);
  return s == kWinInvalid ? kInvalidSocket : Socket(s);
}

void SetReuseAddress(Socket s) {
  const int one = 1;
  setsockopt(H(s), kSolSocket, kSoReuseAddr, reinterpret_cast<const char*>(&one), sizeof one);
}

void SetNoDelay(Socket s) {
  const int one = 1;
  setsockopt(H(s), kIpProtoTcp, kTcpNoDelay, reinterpret_cast<const char*>(&one), sizeof one);
}

bool BindLoopback(Socket s, uint16_t port) {
  const TwSockAddrIn address = Loopback(port);
  return bind(H(s), &address, sizeof address) == 0;
}

bool ListenOn(Socket s, int backlog) { return listen(H(s), backlog) == 0; }

bool ConnectLoopback(Socket s, uint16_t port) {
  const TwSockAddrIn address = Loopback(port);
  return connect(H(s), &address, sizeof address) == 0;
}

Socket AcceptOn(Socket listener) {
  const TwSocketHandle s = accept(H(listener), nullptr, nullptr);
  return s == kWinInvalid ? kInvalidSocket : Socket(s);
}

int ReceiveSome(Socket s, char* buffer, int size) { return recv(H(s), buffer, size, 0); }
int SendSome(Socket s, const char* data, int size) { return send(H(s), data, size, 0); }
void ShutdownBoth(Socket s) { shutdown(H(s), kSdBoth); }
void CloseSocket(Socket s) { closesocket(H(s)); }

}  // namespace tw
