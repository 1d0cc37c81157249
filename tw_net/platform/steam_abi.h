// The Steam runtime's structures that tw_net reads and writes, declared here from the public API
// documentation, with their layouts pinned. Callback structures are packed to 8 on Windows and to
// 4 elsewhere; the networking structures are the same on both.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tw::steam {

#if defined(_WIN32)
#pragma pack(push, 8)
#else
#pragma pack(push, 4)
#endif

struct CallbackMsg {
  int32_t user;
  int32_t callback;
  uint8_t* param;
  int32_t paramSize;
};

#pragma pack(pop)

#if defined(_WIN32)
static_assert(sizeof(CallbackMsg) == 24);
#else
static_assert(sizeof(CallbackMsg) == 20);
#endif

constexpr int32_t kIdentitySteamId = 16;  // k_ESteamNetworkingIdentityType_SteamID

struct NetworkingIdentity {
  int32_t type;
  int32_t size;
  union {
    uint64_t steamId64;
    char reserved[128];
  };
};
static_assert(sizeof(NetworkingIdentity) == 136);

struct NetworkingMessage {
  void* data;
  int32_t size;
  uint32_t connection;
  NetworkingIdentity identityPeer;
  int64_t connectionUserData;
  int64_t timeReceived;
  int64_t messageNumber;
  void (*freeData)(NetworkingMessage*);
  void (*release)(NetworkingMessage*);
  int32_t channel;
  int32_t flags;
  int64_t userData;
  uint16_t lane;
  uint16_t pad;
};
static_assert(offsetof(NetworkingMessage, identityPeer) == 16);
static_assert(offsetof(NetworkingMessage, release) == 184);
static_assert(offsetof(NetworkingMessage, channel) == 192);
static_assert(sizeof(NetworkingMessage) == 216);

// Callback 1251: a user wants to open a session.
struct SessionRequest {
  NetworkingIdentity remote;
};
static_assert(sizeof(SessionRequest) == 136);

// Callback 1252: a session failed. Only the remote identity, end reason and debug text are read.
struct SessionFailed {
  NetworkingIdentity remote;
  unsigned char middle[180 - 136];
  int32_t endReason;
  char endDebug[128];
  unsigned char rest[696 - 312];
};
static_assert(offsetof(SessionFailed, endReason) == 180);
static_assert(offsetof(SessionFailed, endDebug) == 184);
static_assert(sizeof(SessionFailed) == 696);

constexpr int kCallbackSessionRequest = 1251, kCallbackSessionFailed = 1252;
constexpr int kSendReliable = 8;
constexpr int kResultOk = 1, kResultLimitExceeded = 25;

}  // namespace tw::steam
