#include "shell/command_line.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <thread>

#include "game/launch.h"
#include "shell/catalogue.h"
#include "shell/install_state.h"
#include "shell/launcher_state.h"

namespace qm {

CommandLine ScanCommandLine(const std::vector<std::string>& arguments) {
  CommandLine result;
  for (size_t i = 1; i < arguments.size(); ++i)
    if (arguments[i] == "--prepare") result.prepare = true;
  if (result.prepare) return result;
  // A later valid request overrides an earlier one; an unknown id leaves the earlier value.
  for (size_t i = 1; i + 1 < arguments.size(); ++i)
    if (arguments[i] == "--play")
      if (auto game = FindGame(arguments[i + 1])) result.playRequest = game;
  return result;
}

bool IsStatusRequest(const std::vector<std::string>& arguments) {
  return arguments.size() >= 2 && arguments[1] == "--status";
}

void WriteStatusFile(const std::filesystem::path& root, std::string_view version) {
  std::ofstream file(root / "logs" / "status.txt", std::ios::binary | std::ios::trunc);
  if (!file) return;  // no "logs" folder: nothing is written
  for (const GameEntry& game : kGames) {
    const std::string text = InstallStateText(root, version, game);
    const std::string line = std::string(game.id) + ": " + (text.empty() ? "READY" : text) + "\n";
    file << line << std::flush;
  }
}

int RunHeadless(LauncherState& state, int game) {
  state.headlessPlay = true;
  const GameEntry& entry = kGames[game];
  const std::string text = InstallStateText(state.installRoot, state.launcherVersion, entry);
  if (!text.empty()) {
    std::fprintf(stderr, "%s: %s\n", std::string(entry.title).c_str(), text.c_str());
    return 2;
  }
  std::string error;
  if (!LaunchGame(state, game, error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  int exitCode = 0;
  while (!ProcessEnded(state.gameProcess, exitCode)) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  return exitCode;
}

}  // namespace qm
