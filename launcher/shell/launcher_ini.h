// The launcher's own state file, "launcher.ini" in the install root: the selected game and the
// "Fullscreen" choice, read once at start and written before a game or set-up starts and at exit.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace qm {

struct LauncherState;

// Applies the file's contents to `selectedGame` and `gameFullscreen`; missing file, unknown keys,
// malformed lines and unknown values leave what the state holds.
void LoadLauncherState(LauncherState& state);
void ApplyLauncherIni(std::string_view text, int& selectedGame, bool& gameFullscreen);

// "version=<id>\nfullscreen=<0|1>\n", written atomically; a failure is silent.
void SaveLauncherState(const LauncherState& state);
std::string LauncherIniText(int selectedGame, bool gameFullscreen);

}  // namespace qm
