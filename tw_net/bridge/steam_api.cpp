#include "bridge/steam_api.h"

#include "platform/library.h"

namespace tw {

SteamApi& Steam() {
  static SteamApi api;
  return api;
}

namespace {
template <typename F>
bool Resolve(void* library, F& slot, const char* name, std::string& missing) {
  slot = reinterpret_cast<F>(LibrarySymbol(library, name));
  if (!slot && missing.empty()) missing = name;
  return slot != nullptr;
}
}  // namespace

bool ResolveSteamApi(void* library, std::string& missing) {
  SteamApi& s = Steam();
  missing.clear();
  Resolve(library, s.Init, "SteamInternal_SteamAPI_Init", missing);
  Resolve(library, s.GetHSteamUser, "SteamAPI_GetHSteamUser", missing);
  Resolve(library, s.GetHSteamPipe, "SteamAPI_GetHSteamPipe", missing);
  Resolve(library, s.ManualDispatchInit, "SteamAPI_ManualDispatch_Init", missing);
  Resolve(library, s.ManualDispatchRunFrame, "SteamAPI_ManualDispatch_RunFrame", missing);
  Resolve(library, s.ManualDispatchGetNextCallback, "SteamAPI_ManualDispatch_GetNextCallback", missing);
  Resolve(library, s.ManualDispatchFreeLastCallback, "SteamAPI_ManualDispatch_FreeLastCallback", missing);
  Resolve(library, s.SteamUser, "SteamAPI_SteamUser_v023", missing);
  Resolve(library, s.UserGetSteamId, "SteamAPI_ISteamUser_GetSteamID", missing);
  Resolve(library, s.SteamFriends, "SteamAPI_SteamFriends_v018", missing);
  Resolve(library, s.FriendsGetPersonaName, "SteamAPI_ISteamFriends_GetPersonaName", missing);
  Resolve(library, s.SteamNetworkingUtils, "SteamAPI_SteamNetworkingUtils_SteamAPI_v004", missing);
  Resolve(library, s.UtilsCheckPingDataUpToDate, "SteamAPI_ISteamNetworkingUtils_CheckPingDataUpToDate", missing);
  Resolve(library, s.UtilsSetConfigValue, "SteamAPI_ISteamNetworkingUtils_SetConfigValue", missing);
  Resolve(library, s.SteamNetworkingMessages, "SteamAPI_SteamNetworkingMessages_SteamAPI_v002", missing);
  Resolve(library, s.MessagesSendMessageToUser, "SteamAPI_ISteamNetworkingMessages_SendMessageToUser", missing);
  Resolve(library, s.MessagesReceiveMessagesOnChannel, "SteamAPI_ISteamNetworkingMessages_ReceiveMessagesOnChannel",
          missing);
  Resolve(library, s.MessagesAcceptSessionWithUser, "SteamAPI_ISteamNetworkingMessages_AcceptSessionWithUser", missing);
  Resolve(library, s.MessageRelease, "SteamAPI_SteamNetworkingMessage_t_Release", missing);
  return missing.empty();
}

}  // namespace tw
