// Stand-in for the Steam runtime library, built under the runtime's file name: the exported C
// functions tw_net resolves, carried out against the stand-in hub (steam_hub.py) on loopback.
// Each process is one signed-in user, named by the environment:
//   QM_STEAM_HUB   the hub's port on 127.0.0.1      QM_STEAM_ID    the user's SteamID64
//   QM_STEAM_NAME  the user's persona name
// Without a reachable hub, init fails with a readable text, as the runtime does without a client.
#if defined(_WIN32)
#include <winsock2.h>
#include <ws2tcpip.h>
#define EXPORT extern "C" __declspec(dllexport)
using SocketHandle = SOCKET;
constexpr int kNoSignal = 0;
static void CloseHandleOf(SocketHandle s) { closesocket(s); }
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>
#define EXPORT extern "C" __attribute__((visibility("default")))
using SocketHandle = int;
constexpr int kNoSignal = MSG_NOSIGNAL;
static void CloseHandleOf(SocketHandle s) { ::close(s); }
#endif

#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

// Layouts of the public API, declared here independently of tw_net so that a mismatch shows.
// Callback structures are packed to 8 on Windows and to 4 elsewhere.
#if defined(_WIN32)
#pragma pack(push, 8)
#else
#pragma pack(push, 4)
#endif
struct CallbackMsg {
  int32_t user, callback;
  uint8_t* param;
  int32_t paramSize;
};
#pragma pack(pop)
#if defined(_WIN32)
static_assert(sizeof(CallbackMsg) == 24);
#else
static_assert(sizeof(CallbackMsg) == 20);
#endif

struct Identity {
  int32_t type, size;
  union {
    uint64_t steamId;
    char reserved[128];
  };
};
static_assert(sizeof(Identity) == 136);

struct Message {
  void* data;
  int32_t size;
  uint32_t connection;
  Identity peer;
  int64_t connectionUserData, timeReceived, messageNumber;
  void (*freeData)(Message*);
  void (*release)(Message*);
  int32_t channel, flags;
  int64_t userData;
  uint16_t lane, pad;
};
static_assert(sizeof(Message) == 216);

struct SessionFailed {
  Identity remote;
  unsigned char middle[44];
  int32_t endReason;
  char endDebug[128];
  unsigned char rest[384];
};
static_assert(sizeof(SessionFailed) == 696);

enum Frame : uint8_t { kHello = 1, kWelcome = 2, kRefused = 3, kSend = 4, kAccept = 5, kMsg = 6, kRequest = 7, kFailed = 8 };
constexpr uint32_t kMaxMessage = 512 * 1024;     // Steam's limit for one message
constexpr size_t kMaxQueued = 2 * 1024 * 1024;   // beyond this, sends answer "limit exceeded"
constexpr int kResultOk = 1, kResultInvalidParam = 8, kResultNoConnection = 3, kResultLimitExceeded = 25;

struct Callback {
  int id;
  std::vector<uint8_t> data;
};

struct Client {
  SocketHandle socket{};
  uint64_t id = 0;
  std::string name;
  std::mutex lock;  // everything below
  std::condition_variable wake;
  std::deque<Callback> callbacks;
  std::vector<uint8_t> current;  // the callback handed out last, alive until freed
  std::map<int, std::deque<Message*>> inbox;
  std::deque<std::vector<uint8_t>> outbox;
  std::vector<uint64_t> failedPeers;  // sessions that failed: sends to them fail too
  size_t outboxBytes = 0;
  bool connected = false;
};

Client& Me() {
  static Client client;
  return client;
}

bool ReadAll(SocketHandle s, void* buffer, size_t size) {
  auto* p = static_cast<char*>(buffer);
  while (size > 0) {
    const int n = int(::recv(s, p, int(size), 0));
    if (n <= 0) return false;
    p += n;
    size -= size_t(n);
  }
  return true;
}

bool WriteAll(SocketHandle s, const uint8_t* data, size_t size) {
  while (size > 0) {
    const int n = int(::send(s, reinterpret_cast<const char*>(data), int(size), kNoSignal));
    if (n <= 0) return false;
    data += n;
    size -= size_t(n);
  }
  return true;
}

std::vector<uint8_t> MakeFrame(Frame kind, const void* a, size_t aSize, const void* b = nullptr, size_t bSize = 0) {
  const uint32_t length = uint32_t(1 + aSize + bSize);
  std::vector<uint8_t> frame(4 + length);
  std::memcpy(frame.data(), &length, 4);
  frame[4] = kind;
  if (aSize) std::memcpy(frame.data() + 5, a, aSize);
  if (bSize) std::memcpy(frame.data() + 5 + aSize, b, bSize);
  return frame;
}

void FreeMessage(Message* m) {
  std::free(m->data);
  delete m;
}

void Receive() {
  Client& c = Me();
  for (;;) {
    uint32_t length = 0;
    if (!ReadAll(c.socket, &length, 4) || length == 0) break;
    std::vector<uint8_t> body(length);
    if (!ReadAll(c.socket, body.data(), length)) break;
    const uint8_t kind = body[0];
    const uint8_t* p = body.data() + 1;
    std::lock_guard guard(c.lock);
    if (kind == kMsg && length >= 13) {
      auto* m = new Message{};
      std::memcpy(&m->peer.steamId, p, 8);
      m->peer.type = 16;
      m->peer.size = 8;
      std::memcpy(&m->channel, p + 8, 4);
      m->size = int32_t(length - 13);
      m->data = std::malloc(size_t(m->size) + 1);
      std::memcpy(m->data, p + 12, size_t(m->size));
      m->release = FreeMessage;
      c.inbox[m->channel].push_back(m);
    } else if (kind == kRequest && length >= 9) {
      Identity who{};
      who.type = 16;
      who.size = 8;
      std::memcpy(&who.steamId, p, 8);
      c.callbacks.push_back({1251, std::vector<uint8_t>(reinterpret_cast<uint8_t*>(&who),
                                                        reinterpret_cast<uint8_t*>(&who) + sizeof who)});
    } else if (kind == kFailed && length >= 13) {
      SessionFailed failed{};
      failed.remote.type = 16;
      failed.remote.size = 8;
      std::memcpy(&failed.remote.steamId, p, 8);
      std::memcpy(&failed.endReason, p + 8, 4);
      std::snprintf(failed.endDebug, sizeof failed.endDebug, "%.*s", int(length - 13), reinterpret_cast<const char*>(p + 12));
      c.failedPeers.push_back(failed.remote.steamId);
      c.callbacks.push_back({1252, std::vector<uint8_t>(reinterpret_cast<uint8_t*>(&failed),
                                                        reinterpret_cast<uint8_t*>(&failed) + sizeof failed)});
    }
  }
  std::lock_guard guard(c.lock);
  c.connected = false;
  c.wake.notify_all();
}

void Send() {
  Client& c = Me();
  for (;;) {
    std::vector<uint8_t> frame;
    {
      std::unique_lock guard(c.lock);
      c.wake.wait(guard, [&] { return !c.outbox.empty() || !c.connected; });
      if (c.outbox.empty()) return;
      frame = std::move(c.outbox.front());
      c.outbox.pop_front();
    }
    const bool ok = WriteAll(c.socket, frame.data(), frame.size());
    std::lock_guard guard(c.lock);
    c.outboxBytes -= frame.size();
    if (!ok) return;
  }
}

void Queue(std::vector<uint8_t> frame) {
  Client& c = Me();
  c.outboxBytes += frame.size();
  c.outbox.push_back(std::move(frame));
  c.wake.notify_all();
}

char interfaceTag[6];  // distinct non-null "interface pointers"

}  // namespace

EXPORT int SteamInternal_SteamAPI_Init(const char* versions, char* errorText) {
  (void)versions;
  Client& c = Me();
  auto fail = [&](const char* text) {
    std::snprintf(errorText, 1024, "%s", text);
    return 1;
  };
  const char* port = std::getenv("QM_STEAM_HUB");
  const char* id = std::getenv("QM_STEAM_ID");
  if (!port || !id) return fail("the stand-in Steam client is not configured (QM_STEAM_HUB, QM_STEAM_ID)");
  c.id = std::strtoull(id, nullptr, 10);
  c.name = std::getenv("QM_STEAM_NAME") ? std::getenv("QM_STEAM_NAME") : "Player";
#if defined(_WIN32)
  WSADATA wsa;
  WSAStartup(0x0202, &wsa);
#endif
  c.socket = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(uint16_t(std::atoi(port)));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(c.socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    CloseHandleOf(c.socket);
    return fail("Steam client is not running (no stand-in hub answers)");
  }
  const int one = 1;
  ::setsockopt(c.socket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
  const std::vector<uint8_t> hello = MakeFrame(kHello, &c.id, 8, c.name.data(), c.name.size());
  uint32_t length = 0;
  uint8_t kind = 0;
  if (!WriteAll(c.socket, hello.data(), hello.size()) || !ReadAll(c.socket, &length, 4) || length == 0 ||
      !ReadAll(c.socket, &kind, 1))
    return fail("the stand-in hub closed the connection");
  std::string text(length - 1, '\0');
  if (length > 1) ReadAll(c.socket, text.data(), text.size());
  if (kind != kWelcome) return fail(("the stand-in hub refused: " + text).c_str());
  c.connected = true;
  std::thread(Receive).detach();
  std::thread(Send).detach();
  return 0;
}

EXPORT int32_t SteamAPI_GetHSteamUser() { return 1; }
EXPORT int32_t SteamAPI_GetHSteamPipe() { return 1; }
EXPORT void SteamAPI_ManualDispatch_Init() {}
EXPORT void SteamAPI_ManualDispatch_RunFrame(int32_t) {}

EXPORT bool SteamAPI_ManualDispatch_GetNextCallback(int32_t, CallbackMsg* msg) {
  Client& c = Me();
  std::lock_guard guard(c.lock);
  if (c.callbacks.empty()) return false;
  c.current = std::move(c.callbacks.front().data);
  msg->user = 1;
  msg->callback = c.callbacks.front().id;
  msg->param = c.current.data();
  msg->paramSize = int32_t(c.current.size());
  c.callbacks.pop_front();
  return true;
}

EXPORT void SteamAPI_ManualDispatch_FreeLastCallback(int32_t) {
  std::lock_guard guard(Me().lock);
  Me().current.clear();
}

EXPORT void* SteamAPI_SteamUser_v023() { return &interfaceTag[0]; }
EXPORT uint64_t SteamAPI_ISteamUser_GetSteamID(void*) { return Me().id; }
EXPORT void* SteamAPI_SteamFriends_v018() { return &interfaceTag[1]; }
EXPORT const char* SteamAPI_ISteamFriends_GetPersonaName(void*) { return Me().name.c_str(); }
EXPORT void* SteamAPI_SteamNetworkingUtils_SteamAPI_v004() { return &interfaceTag[2]; }
EXPORT bool SteamAPI_ISteamNetworkingUtils_CheckPingDataUpToDate(void*, float) { return true; }
EXPORT bool SteamAPI_ISteamNetworkingUtils_SetConfigValue(void*, int, int, intptr_t, int, const void*) { return true; }
EXPORT void* SteamAPI_SteamNetworkingMessages_SteamAPI_v002() { return &interfaceTag[3]; }

EXPORT int SteamAPI_ISteamNetworkingMessages_SendMessageToUser(void*, const Identity* identity, const void* data,
                                                               uint32_t size, int, int channel) {
  if (!identity || identity->type != 16 || size > kMaxMessage) return kResultInvalidParam;
  Client& c = Me();
  std::lock_guard guard(c.lock);
  if (!c.connected) return kResultNoConnection;
  for (uint64_t failed : c.failedPeers)
    if (failed == identity->steamId) return kResultNoConnection;
  if (c.outboxBytes + size > kMaxQueued) return kResultLimitExceeded;
  uint8_t head[12];
  std::memcpy(head, &identity->steamId, 8);
  std::memcpy(head + 8, &channel, 4);
  Queue(MakeFrame(kSend, head, 12, data, size));
  return kResultOk;
}

EXPORT int SteamAPI_ISteamNetworkingMessages_ReceiveMessagesOnChannel(void*, int channel, Message** out, int max) {
  Client& c = Me();
  std::lock_guard guard(c.lock);
  auto& queue = c.inbox[channel];
  int n = 0;
  while (n < max && !queue.empty()) {
    out[n++] = queue.front();
    queue.pop_front();
  }
  return n;
}

EXPORT bool SteamAPI_ISteamNetworkingMessages_AcceptSessionWithUser(void*, const Identity* identity) {
  if (!identity || identity->type != 16) return false;
  Client& c = Me();
  std::lock_guard guard(c.lock);
  Queue(MakeFrame(kAccept, &identity->steamId, 8));
  return true;
}

EXPORT void SteamAPI_SteamNetworkingMessage_t_Release(Message* message) {
  if (message && message->release) message->release(message);
}
