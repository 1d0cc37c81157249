// Install layout and the rule that turns the files in the install folder into a game's state.
// Nothing is cached: every call asks the file system afresh, so a change on disk shows at once.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "shell/catalogue.h"

namespace qm {

using Path = std::filesystem::path;

Path GameDllPath(const Path& root, const GameEntry& entry);
Path GameExePath(const Path& root, const GameEntry& entry);
Path BuildStampPath(const Path& root, const GameEntry& entry);

bool DiscPresent(const Path& root);
bool ModSourcePresent(const Path& root, const GameEntry& entry);
bool IsBuilt(const Path& root, const GameEntry& entry);

// Empty when the game is ready; otherwise why not ("Set up: ...", or "Updated to ..." asking for a
// rebuild). `version` is the launcher's own version.
std::string InstallStateText(const Path& root, std::string_view version, const GameEntry& entry);

InstallStatus StatusOf(std::string_view stateText);
bool NeedsUpdate(std::string_view stateText);

}  // namespace qm
