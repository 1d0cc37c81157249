// Recognition of the launcher's command-line modes and the status report.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

struct CommandLine {
  bool prepare = false;            // "--prepare" anywhere after the program: pass-through mode
  std::optional<int> playRequest;  // game index from the last valid "--play <id>"
};

CommandLine ScanCommandLine(const std::vector<std::string>& arguments);

// "--status" counts only as the second argument.
bool IsStatusRequest(const std::vector<std::string>& arguments);

// Writes root / "logs" / "status.txt": one line per game, its id, ": ", then "READY" or its state
// text. Nothing is written when "logs" does not exist (the folder is never created).
void WriteStatusFile(const std::filesystem::path& root, std::string_view version);

struct LauncherState;

// Headless play for an outside front end: no window; the game's exit code becomes the launcher's
// (2 when the game is not ready, 1 when it cannot be started).
int RunHeadless(LauncherState& state, int game);

}  // namespace qm
