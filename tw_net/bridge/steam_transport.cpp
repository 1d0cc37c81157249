#include "bridge/steam_transport.h"

#include <chrono>
#include <cstring>
#include <thread>

#include "bridge/links.h"
#include "bridge/log.h"
#include "bridge/relay.h"
#include "bridge/steam_api.h"
#include "platform/env.h"
#include "platform/library.h"

namespace tw {

namespace {

// The interface versions the runtime is asked for, NUL-separated, ending in an empty entry.
constexpr char kInterfaceVersions[] =
    "SteamUtils011\0SteamNetworkingUtils004\0STEAMAPPS_INTERFACE_VERSION009\0SteamController008\0"
    "SteamFriends018\0STEAMHTMLSURFACE_INTERFACE_VERSION_005\0STEAMHTTP_INTERFACE_VERSION003\0SteamInput007\0"
    "STEAMINVENTORY_INTERFACE_V003\0SteamMatchMakingServers003\0SteamMatchMaking009\0"
    "STEAMMUSIC_INTERFACE_VERSION001\0SteamNetworkingMessages002\0SteamNetworkingSockets013\0SteamNetworking006\0"
    "STEAMPARENTALSETTINGS_INTERFACE_VERSION001\0SteamParties002\0STEAMREMOTEPLAY_INTERFACE_VERSION004\0"
    "STEAMREMOTESTORAGE_INTERFACE_VERSION016\0STEAMSCREENSHOTS_INTERFACE_VERSION003\0STEAMUGC_INTERFACE_VERSION021\0"
    "STEAMUSERSTATS_INTERFACE_VERSION013\0SteamUser023\0STEAMVIDEO_INTERFACE_V007\0";

constexpr int kConfigIceEnable = 104, kConfigSendRateMin = 10, kConfigSendRateMax = 11;
constexpr int kScopeGlobal = 1, kTypeInt32 = 1;

steam::NetworkingIdentity IdentityOf(uint64_t id) {
  steam::NetworkingIdentity identity{};
  identity.type = steam::kIdentitySteamId;
  identity.size = 8;
  identity.steamId64 = id;
  return identity;
}

uint64_t SteamIdOf(const steam::NetworkingIdentity& identity) {
  return identity.type == steam::kIdentitySteamId ? identity.steamId64 : 0;
}

bool Contains(const std::vector<uint64_t>& ids, uint64_t id) {
  for (uint64_t v : ids)
    if (v == id) return true;
  return false;
}

// The session callbacks; they run on SteamPump's thread with steamLock held.
struct Callbacks {
  void OnSessionRequest(const steam::SessionRequest& request) {
    SteamState& s = SteamPeers();
    const uint64_t requester = SteamIdOf(request.remote);
    if (s.acceptAnyPeer.load() && !IsValidSteamId(s.peerId.load())) s.peerId.store(requester);
    const bool player = Contains(s.extraPlayers, requester) || requester == s.peerId.load();
    // In bridge mode no lobby is joined, so any spectator is let in while spectators are served.
    const bool spectator = SpectatorGamePort().load() != 0;
    if (player || spectator) {
      Steam().MessagesAcceptSessionWithUser(Steam().messages, &request.remote);
      LogLine("%s %llu connected", player ? "player" : "spectator", (unsigned long long)requester);
    } else {
      LogLine("ignored session request from %llu", (unsigned long long)requester);
    }
  }
  void OnSessionFailed(const steam::SessionFailed& info) {
    char debug[sizeof info.endDebug + 1] = {};
    std::memcpy(debug, info.endDebug, sizeof info.endDebug);
    LogLine("session failed: %d %s", info.endReason, debug);
  }

  // Manual dispatch: every pending callback of the process goes through here.
  void RunCallbacks() {
    SteamApi& api = Steam();
    api.ManualDispatchRunFrame(api.pipe);
    steam::CallbackMsg msg{};
    while (api.ManualDispatchGetNextCallback(api.pipe, &msg)) {
      if (msg.callback == steam::kCallbackSessionRequest && msg.paramSize >= int(sizeof(steam::SessionRequest)))
        OnSessionRequest(*reinterpret_cast<const steam::SessionRequest*>(msg.param));
      else if (msg.callback == steam::kCallbackSessionFailed && msg.paramSize >= int(sizeof(steam::SessionFailed)))
        OnSessionFailed(*reinterpret_cast<const steam::SessionFailed*>(msg.param));
      api.ManualDispatchFreeLastCallback(api.pipe);
    }
  }
};

}  // namespace

std::mutex& SteamLock() {
  static std::mutex lock;
  return lock;
}

SteamState& SteamPeers() {
  static SteamState state;
  return state;
}

bool IsValidSteamId(uint64_t id) {
  if (id == 0) return false;
  const uint32_t account = uint32_t(id);
  const uint32_t instance = uint32_t(id >> 32) & 0xFFFFF;
  const uint32_t type = uint32_t(id >> 52) & 0xF;
  const uint32_t universe = uint32_t(id >> 56);
  if (type < 1 || type > 10 || universe < 1 || universe > 4) return false;
  if (type == 1) return account != 0 && instance == 1;
  if (type == 7) return account != 0 && instance == 0;
  if (type == 3) return account != 0;
  return true;
}

bool InitSteam() {
  void* library = LoadSteamLibrary();
  if (!library) {
    LogLine("%s not found", SteamLibraryName());
    return false;
  }
  std::string missing;
  if (!ResolveSteamApi(library, missing)) {
    LogLine("Steam not available: %s is missing %s", SteamLibraryName(), missing.c_str());
    return false;
  }
  SetProcessEnv("SteamAppId", "480");
  SetProcessEnv("SteamGameId", "480");
  SteamApi& api = Steam();
  char errorText[1024] = {};
  if (api.Init(kInterfaceVersions, errorText) != 0) {
    errorText[sizeof errorText - 1] = '\0';
    LogLine("Steam not available: %s", errorText);
    return false;
  }
  api.ManualDispatchInit();
  api.pipe = api.GetHSteamPipe();
  api.user = api.SteamUser();
  api.friends = api.SteamFriends();
  api.networkingUtils = api.SteamNetworkingUtils();
  api.messages = api.SteamNetworkingMessages();
  api.UtilsCheckPingDataUpToDate(api.networkingUtils, 1.0e10f);
  const int32_t iceOff = 0, rateMin = 1048576, rateMax = 8388608;
  api.UtilsSetConfigValue(api.networkingUtils, kConfigIceEnable, kScopeGlobal, 0, kTypeInt32, &iceOff);
  api.UtilsSetConfigValue(api.networkingUtils, kConfigSendRateMin, kScopeGlobal, 0, kTypeInt32, &rateMin);
  api.UtilsSetConfigValue(api.networkingUtils, kConfigSendRateMax, kScopeGlobal, 0, kTypeInt32, &rateMax);
  const char* name = api.FriendsGetPersonaName(api.friends);
  LogLine("Steam running as %s (%llu)", name ? name : "", (unsigned long long)api.UserGetSteamId(api.user));
  return true;
}

bool SendToPeer(uint64_t steamId, int channel, const char* data, size_t size) {
  if (steamId == 0) return false;
  const steam::NetworkingIdentity identity = IdentityOf(steamId);
  for (;;) {
    int result;
    {
      std::lock_guard lock(SteamLock());
      result = Steam().MessagesSendMessageToUser(Steam().messages, &identity, data, uint32_t(size),
                                                 steam::kSendReliable, channel);
    }
    if (result == steam::kResultLimitExceeded) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      continue;
    }
    if (result == steam::kResultOk) return true;
    LogLine("send failed: %d", result);
    return false;
  }
}

bool SendGameBytesToPeer(const char* data, size_t size) {
  SteamState& s = SteamPeers();
  while (!IsValidSteamId(s.peerId.load())) {
    if (Relay().stopRequested.load()) {
      if (!IsValidSteamId(s.peerId.load())) return false;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return SendToPeer(s.peerId.load(), s.spectateMode ? 1 : 0, data, size);
}

void SteamPump() {
  SteamApi& api = Steam();
  SteamState& s = SteamPeers();
  Callbacks callbacks;
  steam::NetworkingMessage* batch[32];
  while (!Relay().stopRequested.load()) {
    {
      std::lock_guard lock(SteamLock());
      callbacks.RunCallbacks();
    }
    int got;
    {
      std::lock_guard lock(SteamLock());
      got = api.MessagesReceiveMessagesOnChannel(api.messages, s.spectateMode ? 1 : 0, batch, 32);
    }
    for (int i = 0; i < got; ++i) {
      steam::NetworkingMessage* m = batch[i];
      const uint64_t sender = SteamIdOf(m->identityPeer);
      if (sender == s.peerId.load()) {
        DeliverToGame(static_cast<const char*>(m->data), size_t(m->size));
      } else if (!s.spectateMode && Contains(s.extraPlayers, sender)) {
        const auto link = s.playerLinks.find(sender);
        if (link != s.playerLinks.end() && !link->second->closed.load())
          DeliverToLink(*link->second, static_cast<const char*>(m->data), size_t(m->size));
      }
      api.MessageRelease(m);
    }
    int spectatorMessages = 0;
    if (SpectatorGamePort().load() != 0 && !s.spectateMode) {
      {
        std::lock_guard lock(SteamLock());
        spectatorMessages = api.MessagesReceiveMessagesOnChannel(api.messages, 1, batch, 32);
      }
      for (int i = 0; i < spectatorMessages; ++i) {
        steam::NetworkingMessage* m = batch[i];
        const uint64_t sender = SteamIdOf(m->identityPeer);
        std::shared_ptr<SpecLink>& link = s.spectatorLinks[sender];
        if (!link || link->closed.load()) {
          link = std::make_shared<SpecLink>();
          link->steamId = sender;
          link->spectator = true;
          std::thread(GameLinkThread, link).detach();
        }
        DeliverToLink(*link, static_cast<const char*>(m->data), size_t(m->size));
        api.MessageRelease(m);
      }
    }
    if (got <= 0 && spectatorMessages <= 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

}  // namespace tw
