// Loading the Steam runtime library at run time, so tw_net starts without it.
#pragma once

#include <string>

namespace tw {

// The runtime library's file name on this OS, as log lines name it.
const char* SteamLibraryName();

// Loads it: from the executable's folder first, then the system's normal search. Null when it
// cannot be loaded.
void* LoadSteamLibrary();

// The address of an exported function, or null.
void* LibrarySymbol(void* library, const char* name);

}  // namespace tw
