#include "shell/launcher_ini.h"

#include <fstream>

#include "platform/fs.h"
#include "shell/catalogue.h"
#include "shell/launcher_state.h"

namespace qm {

void ApplyLauncherIni(std::string_view text, int& selectedGame, bool& gameFullscreen) {
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);  // the file is read as text
    const size_t eq = line.find('=');
    if (line.empty() || eq == std::string_view::npos) continue;
    const std::string_view key = line.substr(0, eq), value = line.substr(eq + 1);
    if (key == "fullscreen")
      gameFullscreen = value == "1";
    else if (key == "version")
      if (auto game = FindGame(value)) selectedGame = *game;
  }
}

void LoadLauncherState(LauncherState& state) {
  std::ifstream in(state.installRoot / "launcher.ini", std::ios::binary);
  std::string line;
  while (in && std::getline(in, line)) ApplyLauncherIni(line, state.selectedGame, state.gameFullscreen);
}

std::string LauncherIniText(int selectedGame, bool gameFullscreen) {
  return "version=" + std::string(kGames[selectedGame].id) + "\nfullscreen=" + (gameFullscreen ? "1" : "0") + "\n";
}

void SaveLauncherState(const LauncherState& state) {
  std::string error;
  WriteFileAtomic(state.installRoot / "launcher.ini", LauncherIniText(state.selectedGame, state.gameFullscreen), error);
}

}  // namespace qm
