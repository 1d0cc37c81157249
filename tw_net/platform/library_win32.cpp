// LoadLibraryW of "steam_api64.dll"; the normal search starts in the executable's folder.
#include "platform/library.h"

extern "C" {
__declspec(dllimport) void* __stdcall LoadLibraryW(const wchar_t* name);
__declspec(dllimport) void* __stdcall GetProcAddress(void* module, const char* name);
}

namespace tw {

const char* SteamLibraryName() { return "steam_api64.dll"; }

void* LoadSteamLibrary() { return LoadLibraryW(L"steam_api64.dll"); }

void* LibrarySymbol(void* library, const char* name) {
  return library ? reinterpret_cast<void*>(GetProcAddress(library, name)) : nullptr;
}

}  // namespace tw
