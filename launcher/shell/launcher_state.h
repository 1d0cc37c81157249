// The launcher's process-wide state: one instance, created at start-up, touched only by the UI
// thread except where a field says otherwise.
#pragma once

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "platform/process.h"

struct SDL_Texture;

namespace qm {

// Where an SDL file dialog's callback, on SDL's dialog thread, leaves the chosen path (empty when
// the user cancelled). The UI thread empties it once per pass of the frame loop.
struct DialogResult {
  std::mutex mutex;
  bool ready = false;
  std::string text;
};

struct LauncherState {
  std::filesystem::path installRoot;
  std::string launcherVersion = "dev";
  int selectedGame = 0;
  bool gameFullscreen = false;
  ProcessHandle gameProcess;  // id 0: no game runs
  int playedGame = 0;
  bool headlessPlay = false;
  bool hostedMode = false;  // "VADUREZIZUVAZO" is exactly "1"
  DialogResult dialogResult;
  SDL_Texture* backgroundTexture = nullptr;
  float backgroundAspect = 0.667f;
  std::vector<int32_t> padCodes;       // gamepad button codes of the current frame, in arrival order
  int32_t stickDirection[2] = {0, 0};  // last direction of the left stick's X and Y axes
  bool padSeen = false;                // a gamepad was connected since start; never cleared
  bool running = true;
};

// Hosted mode: an outside front end set "VADUREZIZUVAZO" to exactly "1".
bool IsHostedMode(const char* value);

}  // namespace qm
