#include "shell/command_line.h"

#include <fstream>

#include "shell/catalogue.h"
#include "shell/install_state.h"

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

}  // namespace qm
