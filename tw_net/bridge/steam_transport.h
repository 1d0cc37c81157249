// The Steam side of tw_net: bringing Steam up, and the game stream carried in Steam messages.
#pragma once

#include <cstddef>

namespace tw {

// Loads the Steam runtime library and signs in. False, logged, when Steam cannot be used.
bool InitSteam();

// Steam bridge mode: the game's bytes to the peer. False ends the relay.
bool SendGameBytesToPeer(const char* data, size_t size);

// The Steam pump thread: messages from the peer to the game, sessions, spectator links.
void SteamPump();

}  // namespace tw
