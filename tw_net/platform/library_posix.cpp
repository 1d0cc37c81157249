// dlopen of "libsteam_api.so", beside the executable first.
#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <string>

#include "platform/library.h"

namespace tw {

const char* SteamLibraryName() { return "libsteam_api.so"; }

void* LoadSteamLibrary() {
  char self[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
  if (n > 0) {
    std::string path(self, size_t(n));
    path = path.substr(0, path.rfind('/') + 1) + SteamLibraryName();
    if (void* library = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) return library;
  }
  return ::dlopen(SteamLibraryName(), RTLD_NOW | RTLD_LOCAL);
}

void* LibrarySymbol(void* library, const char* name) { return library ? ::dlsym(library, name) : nullptr; }

}  // namespace tw
