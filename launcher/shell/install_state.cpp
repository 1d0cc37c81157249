#include "shell/install_state.h"

#include "platform/fs.h"
#include "platform/process.h"
#include "shell/paths.h"

namespace qm {

namespace {

// Each game's paths relative to the install root, built once: the home screen evaluates the
// state five times a frame, and converting the same catalogue texts each time cost more than the
// file-system queries themselves.
struct RelativePaths {
  Path exe, dll, stamp, elf, modMarker;  // modMarker is empty when the game needs no mod
};

const RelativePaths& RelativePathsOf(const GameEntry& entry) {
  static const auto table = [] {
    std::array<RelativePaths, kGameCount> paths;
    for (int i = 0; i < kGameCount; ++i) {
      const GameEntry& game = kGames[i];
      const Path build = Path("runtime") / Utf8Path(game.buildFolder);
      paths[i].exe = build / Utf8Path(ExecutableName("tarnwick"));
      paths[i].dll = build / "game.dll";
      paths[i].stamp = paths[i].exe.parent_path() / "quillmarch_version.txt";
      paths[i].elf = Path("assets") / Utf8Path(std::string(game.id) + ".elf");
      if (!game.markerFolder.empty())
        paths[i].modMarker = Utf8Path(game.sourceFolder) / Utf8Path(game.markerFolder) / "pf";
    }
    return paths;
  }();
  return table[size_t(&entry - kGames.data())];
}

}  // namespace

Path GameDllPath(const Path& root, const GameEntry& entry) { return root / RelativePathsOf(entry).dll; }
Path GameExePath(const Path& root, const GameEntry& entry) { return root / RelativePathsOf(entry).exe; }
Path BuildStampPath(const Path& root, const GameEntry& entry) { return root / RelativePathsOf(entry).stamp; }

bool DiscPresent(const Path& root) {
  static const Path marker = Path("Disc") / "DATA" / "sys" / "main.dol";
  return PathExists(root, marker);
}

bool ModSourcePresent(const Path& root, const GameEntry& entry) {
  const Path& marker = RelativePathsOf(entry).modMarker;
  return marker.empty() || PathExists(root, marker);
}

bool IsBuilt(const Path& root, const GameEntry& entry) {
  const RelativePaths& paths = RelativePathsOf(entry);
  return PathExists(root, paths.elf) && PathExists(root, paths.dll);
}

std::string InstallStateText(const Path& root, std::string_view version, const GameEntry& entry) {
  // The stamp's first line, exactly as written; a missing or unreadable file gives an empty stamp.
  auto stampDiffers = [&] {
    std::string stamp;
    ReadFirstLine(root, RelativePathsOf(entry).stamp, stamp);
    return !stamp.empty() && stamp != version;
  };
  const std::string v(version);
  if (IsBuilt(root, entry)) {
    if (!stampDiffers()) return {};
    return "Updated to " + v + ": press UPDATE GAME to rebuild (only changed parts, a few minutes).";
  }
  const bool disc = DiscPresent(root);
  const bool mod = ModSourcePresent(root, entry);
  // The stamp is read only when its answer matters.
  if (disc && mod && stampDiffers())
    return "Updated to " + v + ": press UPDATE GAME to rebuild (a few minutes; downloads the compiler once).";
  if (!disc) return "Set up: needs your Brawl (USA) disc image.";
  if (!mod) return "Set up: needs " + std::string(entry.sourceDescription) + ".";
  return "Set up: ready to build.";
}

InstallStatus StatusOf(std::string_view stateText) {
  return stateText.empty() ? InstallStatus::Ready : InstallStatus::NotSetUp;
}

bool NeedsUpdate(std::string_view stateText) { return stateText.size() > 9 && stateText.substr(0, 10) == "Updated to"; }

}  // namespace qm
