#include "shell/install_root.h"

#include <SDL3/SDL_filesystem.h>

#include "platform/fs.h"
#include "shell/paths.h"

namespace qm {

std::filesystem::path FindInstallRootFrom(const std::filesystem::path& base) {
  std::filesystem::path dir = base;
  // A base path ends in a separator; its parent would be the folder itself.
  if (!dir.empty() && !dir.has_filename()) dir = dir.parent_path();
  while (!dir.empty() && dir.parent_path() != dir) {
    if (PathExists(dir / "runtime") && PathExists(dir / "tools")) return dir;
    dir = dir.parent_path();
  }
  return base;
}

std::filesystem::path FindInstallRoot() {
  const char* base = SDL_GetBasePath();  // owned by SDL
  return FindInstallRootFrom(Utf8Path(base ? base : "."));
}

std::string ReadLauncherVersion(const std::filesystem::path& root) {
  std::string version = "dev";
  std::string line;
  if (ReadFirstLine(root / "VERSION", line)) version = line;
  while (!version.empty() && std::string_view(" \t\n\v\f\r").find(version.back()) != std::string_view::npos)
    version.pop_back();
  if (version.empty()) version = "dev";
  return version;
}

}  // namespace qm
