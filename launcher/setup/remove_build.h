// Removing a game's build from the install: what a set-up produced for one game, and on request the
// copied mod files, from the "Remove a game" section at the end of the settings window.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace qm {

struct RemoveState {
  bool alsoDeleteModFiles = false;  // the dialog's checkbox; kept for the whole run
  std::string removeMessage;        // the outcome of the last removal
};

// A game counts as present when its game.dll or its extracted image exists.
bool GamePresent(const std::filesystem::path& root, int game);

// The paths one removal deletes, in order, relative to the install root.
std::vector<std::filesystem::path> RemovalPaths(int game, bool deleteModFiles);

// Deletes them and says how many files and folders went: "<title> removed (N files)." and
// " Some files were in use." when something could not be deleted.
std::string RemoveGameBuild(const std::filesystem::path& root, int game, bool alsoDeleteModFiles);

// The section itself, drawn by the settings window; `busy`: a set-up or a game runs.
void DrawRemoveSection(float s, bool busy, const std::filesystem::path& root, RemoveState& state);

}  // namespace qm
