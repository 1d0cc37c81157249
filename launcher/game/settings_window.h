// The settings window over the home screen: volumes, graphics, the game's controls screen, and the
// places of the Steam and "Remove a game" sections. Every change is written to settings.ini at once.
#pragma once

#include <array>
#include <filesystem>
#include <string_view>

#include "game/game_settings.h"
#include "setup/remove_build.h"

namespace qm {

struct Choice {
  int32_t value;
  std::string_view word;  // the stored word, for the graphics API; empty otherwise
  std::string_view label;
};

extern const std::array<std::string_view, 6> kResolutions;  // "1280x720" ... "3840x2160"
extern const std::array<Choice, 2> kMsaaChoices;
extern const std::array<Choice, 5> kAnisoChoices;
extern const std::array<Choice, 4> kBackendChoices;

// The entry a combo shows as current.
int MsaaIndex(const GameSettings& settings);
int AnisoIndex(const GameSettings& settings);
int BackendIndex(const GameSettings& settings);

// Draws the window while `open`. `canOpenControls`: no game runs and the selected game is ready;
// `openControls` is set when the user asks to start it with its controls screen. `busy`: a set-up
// or a game runs (it disables removing builds).
void DrawSettingsWindow(bool& open, float scale, bool canOpenControls, bool& openControls, bool busy,
                        GameSettings& settings, const std::filesystem::path& installRoot, RemoveState& removeState);

}  // namespace qm
