// The home screen: background art, title, the three game cards, the status line, the button row,
// the PLAY button and the footer, driven by mouse, keyboard and gamepad. The draw function is
// apart from the plain rules that decide labels and what an input does; tests call the rules.
#pragma once

#include <imgui.h>

#include <string>
#include <string_view>
#include <vector>

#include "game/game_settings.h"
#include "setup/setup_job.h"
#include "shell/catalogue.h"
#include "shell/look.h"

namespace qm {

struct LauncherApp;

struct HomeScreen {
  std::string statusText;  // empty hides the status line
  bool statusIsError = false;
  bool settingsOpen = false, onlineOpen = false, updatesOpen = false;
  float fade = 0.0f;
  ImVec4 accentNow{0, 0, 0, 0};
  bool accentStarted = false;
  float cardHover[kGameCount] = {}, cardSelect[kGameCount] = {};
  float playHover = 0.0f;
  int focusedCard = -1;  // the card holding ImGui's focus last frame, -1 for none
  bool launchRequest = false, setupRequest = false;
};

void SetStatus(HomeScreen& home, std::string text, bool isError);

struct PickerContext;
// The source pickers' view of the launcher.
PickerContext PickerContextOf(LauncherApp& app);

// Draws the whole screen for this frame and fills launchRequest and setupRequest.
void DrawHomeScreen(LauncherApp& app);

// After the frame was presented: starts the game or the set-up that the frame asked for.
void ApplyHomeRequests(LauncherApp& app);

// --- Plain rules -------------------------------------------------------------------------------

// "PLAY", "SETTING UP...", "UPDATE GAME" or "SET UP".
std::string_view PlayLabel(bool ready, bool setupRunning, bool needsUpdate);

// The card's badge: "SETTING UP  42%" while building, "UPDATE", or the state label.
std::string BadgeText(InstallStatus status, bool needsUpdate, bool building, int percent);

// The card's second line.
std::string CardSecondLine(const GameEntry& game, const std::string& stateText, const SetupJob& job, int index);

// The footer: the version tag and the hint for mouse or controller.
std::string FooterText(std::string_view launcherVersion, bool padSeen);

// Keys fed to ImGui when an open window has the gamepad.
enum class PadNavKey { None, Activate, Up, Down, Left, Right };

// What one frame's gamepad codes do. `windowUp` is decided once at the start of the frame.
struct PadContext {
  bool windowUp = false;     // the settings, online or updates window, or the mod-location window, is up
  bool modWindowUp = false;  // the set-up asks where the mod download is
  bool playEnabled = false;
  bool ready = false;  // the selected game is ready
  bool hostedMode = false;
};
struct PadOutcome {
  bool reloadSettings = false;
  std::vector<PadNavKey> navKeys;
};
PadOutcome ApplyPadCodes(const std::vector<int32_t>& codes, const PadContext& context, HomeScreen& home,
                         int& selectedGame);

}  // namespace qm
