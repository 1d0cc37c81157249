// The launcher's process: start-up, the frame loop with its three conditions (home, minimized,
// game running) and the orderly shutdown.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "game/game_settings.h"
#include "setup/remove_build.h"
#include "setup/setup_job.h"
#include "shell/frame_pacer.h"
#include "shell/home_screen.h"
#include "shell/launcher_state.h"
#include "shell/look.h"

struct SDL_Window;
struct SDL_Renderer;

namespace qm {

struct LauncherApp {
  LauncherState state;
  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  float scale = 1.0f;  // the primary display's content scale
  Fonts fonts;
  HomeScreen home;
  GameSettings settings;
  SetupJob setup;
  RemoveState removeState;
  FramePacer pacer;
  uint64_t framesPresented = 0;
};

// Called after each presented frame; tests and benchmarks use it to drive and observe the loop.
using FrameHook = std::function<void(LauncherApp&)>;

struct RunOptions {
  FrameHook afterFrame = {};
  std::filesystem::path installRoot = {};  // empty: found from the executable's folder
};

// The entry function: command-line modes, then the windowed launcher. Returns the exit code.
int RunLauncher(const std::vector<std::string>& arguments, const RunOptions& options = {});

// Start-up steps 10 to 19 (window, renderer, look, a --play start, ImGui, game settings), after
// SDL is initialised and the install root, launcher.ini and VERSION are read. False when the
// window or renderer cannot be made.
bool OpenLauncherWindow(LauncherApp& app, std::optional<int> playRequest);

// The shutdown after the loop: saves launcher.ini, shuts ImGui and SDL down in order.
void CloseLauncherWindow(LauncherApp& app);

// SDL's application runner calls this.
int LauncherMain(int argc, char** argv);

}  // namespace qm
