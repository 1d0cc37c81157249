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

// Callback and call-result structures (packed like CallbackMsg).
#if defined(_WIN32)
#pragma pack(push, 8)
#else
#pragma pack(push, 4)
#endif
struct CallCompleted {  // 703
  uint64_t call;
  int32_t callback;
  uint32_t size;
};
struct LobbyCreated {  // 513
  int32_t result;
  uint64_t lobby;
};
struct LobbyMatchList {  // 510
  uint32_t count;
};
struct LobbyEnter {  // 504
  uint64_t lobby;
  uint32_t chatPermissions;
  bool locked;
  uint32_t response;
};
struct LobbyDataUpdate {  // 505
  uint64_t lobby, member;
  uint8_t success;
};
struct LobbyChatUpdate {  // 506
  uint64_t lobby, changed, by;
  uint32_t change;
};
struct JoinRequested {  // 333
  uint64_t lobby, friendId;
};
struct FriendGameInfo {
  uint64_t gameId;
  uint32_t ip;
  uint16_t gamePort, queryPort;
  uint64_t lobby;
};
#pragma pack(pop)
#if defined(_WIN32)
static_assert(sizeof(LobbyEnter) == 24 && sizeof(LobbyChatUpdate) == 32 && sizeof(LobbyCreated) == 16);
#else
static_assert(sizeof(LobbyEnter) == 20 && sizeof(LobbyChatUpdate) == 28 && sizeof(LobbyCreated) == 12);
#endif
static_assert(sizeof(CallCompleted) == 16 && sizeof(JoinRequested) == 16 && sizeof(FriendGameInfo) == 24);

enum Frame : uint8_t {
  kHello = 1,
  kWelcome = 2,
  kRefused = 3,
  kSend = 4,
  kAccept = 5,
  kMsg = 6,
  kRequest = 7,
  kFailed = 8,
  kCreate = 20,
  kList = 21,
  kJoin = 22,
  kLeave = 23,
  kSetData = 24,
  kSetMemberData = 25,
  kInvite = 26,
  kCreated = 40,
  kListed = 41,
  kEntered = 42,
  kLobby = 43,
  kChat = 44,
  kData = 45,
  kJoinRequested = 46,
  kFriends = 47,
};

struct LobbyState {
  uint64_t owner = 0;
  int32_t limit = 0;
  std::vector<uint64_t> members;
  std::map<std::string, std::string> data;
  std::map<std::pair<uint64_t, std::string>, std::string> memberData;
};

struct Friend {
  uint64_t id;
  int32_t state;
  std::string name;
};
constexpr uint32_t kMaxMessage = 512 * 1024;    // Steam's limit for one message
constexpr size_t kMaxQueued = 2 * 1024 * 1024;  // beyond this, sends answer "limit exceeded"
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
  uint64_t nextCall = 1;
  std::map<uint64_t, Callback> callResults;                  // finished calls, until read
  std::map<uint64_t, LobbyState> lobbies;                    // lobbies this user is in or has listed
  std::vector<uint64_t> listed;                              // the last list's lobbies, in order
  std::vector<std::pair<std::string, std::string>> filters;  // for the next list request
  int32_t resultCount = 0;
  std::vector<Friend> friends;
  std::string textResult;  // storage for the last text handed out
  size_t outboxBytes = 0;
  bool connected = false;
};

// The one signed-in user of this process. Never destroyed: the library's threads are detached and
// may still run while the process exits.
Client& Me() {
  static Client* client = new Client;
  return *client;
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

template <typename T>
std::vector<uint8_t> Bytes(const T& value) {
  const auto* p = reinterpret_cast<const uint8_t*>(&value);
  return std::vector<uint8_t>(p, p + sizeof value);
}

struct Reader {
  const uint8_t* p;
  const uint8_t* end;
  template <typename T>
  T Get() {
    T value{};
    if (size_t(end - p) >= sizeof value) std::memcpy(&value, p, sizeof value);
    p += sizeof value;
    return value;
  }
  std::string Text() {
    const uint16_t n = Get<uint16_t>();
    std::string out(reinterpret_cast<const char*>(p), size_t(end - p) < n ? 0 : n);
    p += n;
    return out;
  }
};

uint64_t ReadLobbyState(Reader& r, Client& c) {
  const uint64_t id = r.Get<uint64_t>();
  LobbyState state;
  state.owner = r.Get<uint64_t>();
  state.limit = r.Get<int32_t>();
  for (uint32_t n = r.Get<uint32_t>(); n > 0; --n) state.members.push_back(r.Get<uint64_t>());
  for (uint32_t n = r.Get<uint32_t>(); n > 0; --n) {
    std::string key = r.Text();
    state.data[key] = r.Text();
  }
  for (uint32_t n = r.Get<uint32_t>(); n > 0; --n) {
    const uint64_t member = r.Get<uint64_t>();
    std::string key = r.Text();
    state.memberData[{member, key}] = r.Text();
  }
  c.lobbies[id] = std::move(state);
  return id;
}

// A finished call: its result is kept for GetAPICallResult, and callback 703 announces it.
void Complete(Client& c, uint64_t call, int id, std::vector<uint8_t> result) {
  if (call == 0) return;
  CallCompleted done{call, id, uint32_t(result.size())};
  c.callResults[call] = {id, std::move(result)};
  c.callbacks.push_back({703, Bytes(done)});
}

std::vector<uint8_t> Text16(const std::string& text) {
  std::vector<uint8_t> out(2 + text.size());
  const uint16_t n = uint16_t(text.size());
  std::memcpy(out.data(), &n, 2);
  std::memcpy(out.data() + 2, text.data(), text.size());
  return out;
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
    } else if (kind == kCreated) {
      Reader r{p, body.data() + length};
      const uint64_t call = r.Get<uint64_t>();
      LobbyCreated created{};
      created.result = r.Get<int32_t>();
      created.lobby = r.Get<uint64_t>();
      Complete(c, call, 513, Bytes(created));
    } else if (kind == kListed) {
      Reader r{p, body.data() + length};
      const uint64_t call = r.Get<uint64_t>();
      const uint32_t count = r.Get<uint32_t>();
      c.listed.clear();
      for (uint32_t i = 0; i < count; ++i) c.listed.push_back(ReadLobbyState(r, c));
      Complete(c, call, 510, Bytes(LobbyMatchList{count}));
    } else if (kind == kEntered) {
      Reader r{p, body.data() + length};
      const uint64_t call = r.Get<uint64_t>();
      LobbyEnter enter{};
      enter.lobby = r.Get<uint64_t>();
      enter.response = uint32_t(r.Get<int32_t>());
      Complete(c, call, 504, Bytes(enter));
      c.callbacks.push_back({504, Bytes(enter)});
    } else if (kind == kLobby) {
      Reader r{p, body.data() + length};
      ReadLobbyState(r, c);
    } else if (kind == kChat) {
      Reader r{p, body.data() + length};
      LobbyChatUpdate update{};
      update.lobby = r.Get<uint64_t>();
      update.changed = r.Get<uint64_t>();
      update.by = r.Get<uint64_t>();
      update.change = uint32_t(r.Get<int32_t>());
      c.callbacks.push_back({506, Bytes(update)});
    } else if (kind == kData) {
      Reader r{p, body.data() + length};
      LobbyDataUpdate update{};
      update.lobby = r.Get<uint64_t>();
      update.member = r.Get<uint64_t>();
      update.success = 1;
      c.callbacks.push_back({505, Bytes(update)});
    } else if (kind == kJoinRequested) {
      Reader r{p, body.data() + length};
      JoinRequested request{};
      request.lobby = r.Get<uint64_t>();
      request.friendId = r.Get<uint64_t>();
      c.callbacks.push_back({333, Bytes(request)});
    } else if (kind == kFriends) {
      Reader r{p, body.data() + length};
      c.friends.clear();
      for (uint32_t n = r.Get<uint32_t>(); n > 0; --n) {
        Friend f;
        f.id = r.Get<uint64_t>();
        f.state = r.Get<int32_t>();
        f.name = r.Text();
        c.friends.push_back(std::move(f));
      }
    } else if (kind == kFailed && length >= 13) {
      SessionFailed failed{};
      failed.remote.type = 16;
      failed.remote.size = 8;
      std::memcpy(&failed.remote.steamId, p, 8);
      std::memcpy(&failed.endReason, p + 8, 4);
      std::snprintf(failed.endDebug, sizeof failed.endDebug, "%.*s", int(length - 13),
                    reinterpret_cast<const char*>(p + 12));
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

char interfaceTag[8];  // distinct non-null "interface pointers"

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

// --- Call results ----------------------------------------------------------------------------

EXPORT bool SteamAPI_ManualDispatch_GetAPICallResult(int32_t, uint64_t call, void* out, int size, int expected,
                                                     bool* failed) {
  Client& c = Me();
  std::lock_guard guard(c.lock);
  const auto found = c.callResults.find(call);
  if (found == c.callResults.end()) return false;
  const bool ok = found->second.id == expected && int(found->second.data.size()) <= size;
  if (ok) std::memcpy(out, found->second.data.data(), found->second.data.size());
  if (failed) *failed = !ok;
  c.callResults.erase(found);
  return true;
}

// --- Matchmaking ------------------------------------------------------------------------------

namespace {
uint64_t NewCall(Client& c) { return c.nextCall++; }
}  // namespace

namespace {
const char* Keep(Client& c, std::string text) {
  c.textResult = std::move(text);
  return c.textResult.c_str();
}
}  // namespace

// Starts an asynchronous call: the frame carries the new call handle followed by `args`.
// 0, as in Steam, when the call cannot be made.
uint64_t StartCall(Frame kind, const void* args, size_t size) {
  Client& c = Me();
  std::lock_guard guard(c.lock);
  if (!c.connected) return 0;
  const uint64_t call = NewCall(c);
  Queue(MakeFrame(kind, &call, 8, args, size));
  return call;
}

EXPORT void* SteamAPI_SteamMatchmaking_v009() { return &interfaceTag[4]; }

EXPORT uint64_t SteamAPI_ISteamMatchmaking_CreateLobby(void*, int type, int maxMembers) {
  const int32_t args[2] = {type, maxMembers};
  return StartCall(kCreate, args, sizeof args);
}

EXPORT void SteamAPI_ISteamMatchmaking_AddRequestLobbyListStringFilter(void*, const char* key, const char* value, int) {
  std::lock_guard guard(Me().lock);
  Me().filters.emplace_back(key ? key : "", value ? value : "");
}
EXPORT void SteamAPI_ISteamMatchmaking_AddRequestLobbyListDistanceFilter(void*, int) {}
EXPORT void SteamAPI_ISteamMatchmaking_AddRequestLobbyListResultCountFilter(void*, int count) {
  std::lock_guard guard(Me().lock);
  Me().resultCount = count;
}

EXPORT uint64_t SteamAPI_ISteamMatchmaking_RequestLobbyList(void*) {
  Client& c = Me();
  std::lock_guard guard(c.lock);
  if (!c.connected) return 0;
  const uint64_t call = NewCall(c);
  std::vector<uint8_t> payload(12);
  std::memcpy(payload.data(), &call, 8);
  std::memcpy(payload.data() + 8, &c.resultCount, 4);
  for (const auto& [key, value] : c.filters) {
    for (const auto& t : {Text16(key), Text16(value)}) payload.insert(payload.end(), t.begin(), t.end());
  }
  c.filters.clear();  // filters apply to one request, as in Steam
  c.resultCount = 0;
  Queue(MakeFrame(kList, payload.data(), payload.size()));
  return call;
}

EXPORT uint64_t SteamAPI_ISteamMatchmaking_GetLobbyByIndex(void*, int index) {
  std::lock_guard guard(Me().lock);
  return index >= 0 && size_t(index) < Me().listed.size() ? Me().listed[size_t(index)] : 0;
}

EXPORT uint64_t SteamAPI_ISteamMatchmaking_JoinLobby(void*, uint64_t lobby) {
  return StartCall(kJoin, &lobby, sizeof lobby);
}

EXPORT void SteamAPI_ISteamMatchmaking_LeaveLobby(void*, uint64_t lobby) {
  Client& c = Me();
  std::lock_guard guard(c.lock);
  Queue(MakeFrame(kLeave, &lobby, 8));
  c.lobbies.erase(lobby);
}

namespace {
void SendKeyValue(Frame kind, uint64_t lobby, const char* key, const char* value) {
  std::vector<uint8_t> payload(8);
  std::memcpy(payload.data(), &lobby, 8);
  for (const auto& t : {Text16(key ? key : ""), Text16(value ? value : "")})
    payload.insert(payload.end(), t.begin(), t.end());
  Queue(MakeFrame(kind, payload.data(), payload.size()));
}
}  // namespace

EXPORT bool SteamAPI_ISteamMatchmaking_SetLobbyData(void*, uint64_t lobby, const char* key, const char* value) {
  Client& c = Me();
  std::lock_guard guard(c.lock);
  const auto found = c.lobbies.find(lobby);
  if (found == c.lobbies.end() || found->second.owner != c.id) return false;  // only the owner writes
  found->second.data[key ? key : ""] = value ? value : "";
  SendKeyValue(kSetData, lobby, key, value);
  return true;
}

EXPORT const char* SteamAPI_ISteamMatchmaking_GetLobbyData(void*, uint64_t lobby, const char* key) {
  Client& c = Me();
  std::lock_guard guard(c.lock);
  const auto found = c.lobbies.find(lobby);
  if (found == c.lobbies.end()) return "";
  const auto value = found->second.data.find(key ? key : "");
  return value == found->second.data.end() ? "" : Keep(c, value->second);
}

EXPORT void SteamAPI_ISteamMatchmaking_SetLobbyMemberData(void*, uint64_t lobby, const char* key, const char* value) {
  Client& c = Me();
  std::lock_guard guard(c.lock);
  SendKeyValue(kSetMemberData, lobby, key, value);
}

EXPORT const char* SteamAPI_ISteamMatchmaking_GetLobbyMemberData(void*, uint64_t lobby, uint64_t member,
                                                                 const char* key) {
  Client& c = Me();
  std::lock_guard guard(c.lock);
  const auto found = c.lobbies.find(lobby);
  if (found == c.lobbies.end()) return "";
  const auto value = found->second.memberData.find({member, key ? key : ""});
  return value == found->second.memberData.end() ? "" : Keep(c, value->second);
}

EXPORT uint64_t SteamAPI_ISteamMatchmaking_GetLobbyOwner(void*, uint64_t lobby) {
  std::lock_guard guard(Me().lock);
  const auto found = Me().lobbies.find(lobby);
  return found == Me().lobbies.end() ? 0 : found->second.owner;
}

EXPORT int SteamAPI_ISteamMatchmaking_GetNumLobbyMembers(void*, uint64_t lobby) {
  std::lock_guard guard(Me().lock);
  const auto found = Me().lobbies.find(lobby);
  return found == Me().lobbies.end() ? 0 : int(found->second.members.size());
}

EXPORT uint64_t SteamAPI_ISteamMatchmaking_GetLobbyMemberByIndex(void*, uint64_t lobby, int index) {
  std::lock_guard guard(Me().lock);
  const auto found = Me().lobbies.find(lobby);
  if (found == Me().lobbies.end() || index < 0 || size_t(index) >= found->second.members.size()) return 0;
  return found->second.members[size_t(index)];
}

EXPORT bool SteamAPI_ISteamMatchmaking_InviteUserToLobby(void*, uint64_t lobby, uint64_t invitee) {
  Client& c = Me();
  std::lock_guard guard(c.lock);
  uint8_t head[16];
  std::memcpy(head, &lobby, 8);
  std::memcpy(head + 8, &invitee, 8);
  Queue(MakeFrame(kInvite, head, 16));
  return true;
}

// --- Friends and utilities ----------------------------------------------------------------------

EXPORT int SteamAPI_ISteamFriends_GetFriendCount(void*, int) {
  std::lock_guard guard(Me().lock);
  return int(Me().friends.size());
}

EXPORT uint64_t SteamAPI_ISteamFriends_GetFriendByIndex(void*, int index, int) {
  std::lock_guard guard(Me().lock);
  return index >= 0 && size_t(index) < Me().friends.size() ? Me().friends[size_t(index)].id : 0;
}

EXPORT const char* SteamAPI_ISteamFriends_GetFriendPersonaName(void*, uint64_t id) {
  Client& c = Me();
  std::lock_guard guard(c.lock);
  for (const Friend& f : c.friends)
    if (f.id == id) return Keep(c, f.name);
  return "";
}

EXPORT int SteamAPI_ISteamFriends_GetFriendPersonaState(void*, uint64_t id) {
  std::lock_guard guard(Me().lock);
  for (const Friend& f : Me().friends)
    if (f.id == id) return f.state;
  return 0;
}

EXPORT bool SteamAPI_ISteamFriends_GetFriendGamePlayed(void*, uint64_t id, FriendGameInfo* info) {
  std::lock_guard guard(Me().lock);
  for (const Friend& f : Me().friends)
    if (f.id == id && f.state != 0) {  // every stand-in user plays the test application
      if (info) *info = FriendGameInfo{480, 0, 0, 0, 0};
      return true;
    }
  return false;
}

EXPORT void* SteamAPI_SteamUtils_v011() { return &interfaceTag[5]; }
EXPORT uint32_t SteamAPI_ISteamUtils_GetAppID(void*) { return 480; }
