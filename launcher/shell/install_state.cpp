#include "shell/install_state.h"

#include "platform/fs.h"
#include "platform/process.h"
#include "shell/paths.h"

namespace qm {

namespace {

Path BuildDir(const Path& root, const GameEntry& entry) { return root / "runtime" / Utf8Path(entry.buildFolder); }

}  // namespace

Path GameDllPath(const Path& root, const GameEntry& entry) { return BuildDir(root, entry) / "game.dll"; }
Path GameExePath(const Path& root, const GameEntry& entry) { return BuildDir(root, entry) / Utf8Path(ExecutableName("tarnwick")); }
Path BuildStampPath(const Path& root, const GameEntry& entry) {
  return GameExePath(root, entry).parent_path() / "quillmarch_version.txt";
}

bool DiscPresent(const Path& root) { return PathExists(root / "Disc" / "DATA" / "sys" / "main.dol"); }

bool ModSourcePresent(const Path& root, const GameEntry& entry) {
  if (entry.markerFolder.empty()) return true;
  return PathExists(root / Utf8Path(entry.sourceFolder) / Utf8Path(entry.markerFolder) / "pf");
}

bool IsBuilt(const Path& root, const GameEntry& entry) {
  std::string elf(entry.id);
  elf += ".elf";
  return PathExists(root / "assets" / Utf8Path(elf)) && PathExists(GameDllPath(root, entry));
}

std::string InstallStateText(const Path& root, std::string_view version, const GameEntry& entry) {
  const bool built = IsBuilt(root, entry);
  std::string stamp;
  ReadFirstLine(BuildStampPath(root, entry), stamp);  // unreadable: empty stamp
  const std::string v(version);
  if (built) {
    if (stamp.empty() || stamp == version) return {};
    return "Updated to " + v + ": press UPDATE GAME to rebuild (only changed parts, a few minutes).";
  }
  const bool disc = DiscPresent(root);
  const bool mod = ModSourcePresent(root, entry);
  if (!stamp.empty() && stamp != version && disc && mod)
    return "Updated to " + v + ": press UPDATE GAME to rebuild (a few minutes; downloads the compiler once).";
  if (!disc) return "Set up: needs your Brawl (USA) disc image.";
  if (!mod) return "Set up: needs " + std::string(entry.sourceDescription) + ".";
  return "Set up: ready to build.";
}

InstallStatus StatusOf(std::string_view stateText) {
  return stateText.empty() ? InstallStatus::Ready : InstallStatus::NotSetUp;
}

bool NeedsUpdate(std::string_view stateText) {
  return stateText.size() > 9 && stateText.substr(0, 10) == "Updated to";
}

}  // namespace qm
