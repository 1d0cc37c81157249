// The Steam runtime's exported C functions that tw_net calls, resolved by name from the loaded
// library: no SDK header and no C++ class of the SDK, so the runtime works as shipped.
#pragma once

#include <cstdint>
#include <string>

#include "platform/steam_abi.h"

namespace tw {

struct SteamApi {
  int (*Init)(const char* versions, char* errorText) = nullptr;  // SteamInternal_SteamAPI_Init
  int32_t (*GetHSteamUser)() = nullptr;
  int32_t (*GetHSteamPipe)() = nullptr;
  void (*ManualDispatchInit)() = nullptr;
  void (*ManualDispatchRunFrame)(int32_t pipe) = nullptr;
  bool (*ManualDispatchGetNextCallback)(int32_t pipe, steam::CallbackMsg* msg) = nullptr;
  void (*ManualDispatchFreeLastCallback)(int32_t pipe) = nullptr;
  void* (*SteamUser)() = nullptr;
  uint64_t (*UserGetSteamId)(void* self) = nullptr;
  void* (*SteamFriends)() = nullptr;
  const char* (*FriendsGetPersonaName)(void* self) = nullptr;
  void* (*SteamNetworkingUtils)() = nullptr;
  bool (*UtilsCheckPingDataUpToDate)(void* self, float maxAgeSeconds) = nullptr;
  bool (*UtilsSetConfigValue)(void* self, int value, int scopeType, intptr_t scopeObject, int dataType,
                              const void* argument) = nullptr;
  void* (*SteamNetworkingMessages)() = nullptr;
  int (*MessagesSendMessageToUser)(void* self, const steam::NetworkingIdentity* identity, const void* data,
                                   uint32_t size, int flags, int channel) = nullptr;
  int (*MessagesReceiveMessagesOnChannel)(void* self, int channel, steam::NetworkingMessage** out, int max) = nullptr;
  bool (*MessagesAcceptSessionWithUser)(void* self, const steam::NetworkingIdentity* identity) = nullptr;
  void (*MessageRelease)(steam::NetworkingMessage* message) = nullptr;

  // Interfaces, fetched once after the runtime was initialised.
  void* user = nullptr;
  void* friends = nullptr;
  void* networkingUtils = nullptr;
  void* messages = nullptr;
  int32_t pipe = 0;
};

SteamApi& Steam();

// Resolves every function from `library`; false with the first missing name.
bool ResolveSteamApi(void* library, std::string& missing);

}  // namespace tw
