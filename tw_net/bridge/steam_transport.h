// The Steam side of tw_net: bringing Steam up, the game stream carried in Steam networking
// messages, sessions, and the Steam spectator and player links.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace tw {

struct SpecLink;

// Every Steamworks call after InitSteam is made holding steamLock. It is taken before the
// control-send lock; the game lock and each link's lock are leaves and never held while taking it.
std::mutex& SteamLock();

struct SteamState {
  std::atomic<uint64_t> peerId{0};
  std::atomic<bool> acceptAnyPeer{false};
  bool spectateMode = false;
  std::vector<uint64_t> extraPlayers;                            // filled once at a match start
  std::map<uint64_t, std::shared_ptr<SpecLink>> playerLinks;     // likewise
  std::map<uint64_t, std::shared_ptr<SpecLink>> spectatorLinks;  // SteamPump's own
};
SteamState& SteamPeers();

// The SDK's CSteamID::IsValid rules.
bool IsValidSteamId(uint64_t id);

// Loads the Steam runtime library and signs in. False, logged, when Steam cannot be used.
bool InitSteam();

// One chunk to a Steam user, reliable, on `channel`; retried while Steam says too much is queued.
bool SendToPeer(uint64_t steamId, int channel, const char* data, size_t size);

// Steam bridge mode: the game's bytes to the peer, once one is known. False ends the relay.
bool SendGameBytesToPeer(const char* data, size_t size);

// The Steam pump thread: callbacks, messages from the peer to the game, spectator links.
void SteamPump();

}  // namespace tw
