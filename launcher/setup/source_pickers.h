// The start of a set-up: which of the user's files are still missing, the file and folder dialogs
// that ask for them (SDL's own), the window that asks where a mod download is, and the hand-over to
// the build runner.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "setup/setup_job.h"

struct SDL_Window;
struct ImFont;

namespace qm {

struct DialogResult;

// What the pickers need of the launcher. `dialogResult` is where SDL's dialog thread leaves the
// answer; `window` makes the dialogs modal to the launcher.
struct PickerContext {
  SetupJob& job;
  std::filesystem::path root;
  SDL_Window* window = nullptr;
  DialogResult* dialogResult = nullptr;
  double now = 0;
};

// Starts the set-up of game `index`; the returned message goes to the status line.
StatusMessage StartSetup(PickerContext context, int index);

// A dialog's answer (empty when cancelled or failed), taken on the UI thread. Returns the status
// line to show, if it changes.
std::optional<StatusMessage> OnSourcePicked(PickerContext context, const std::string& text);

// SDL's dialog callback; `userdata` is the DialogResult slot. Runs on SDL's dialog thread and
// touches only that slot.
void FileDialogCallback(void* userdata, const char* const* filelist, int filter);

// The dialogs' titles, as the user reads them.
std::string DiscDialogTitle();
std::string ModFileDialogTitle(int game);
std::string ModFolderDialogTitle(int game);

// Draws the window asking where the mod download is, while AskingModSource.
void DrawModSourceWindow(PickerContext context, float s, ImFont* fontCardTitle);

}  // namespace qm
