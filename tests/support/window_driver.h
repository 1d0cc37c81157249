// Drives the real launcher in-process on SDL's offscreen video driver: steps run at given frame
// numbers and push real SDL events, and PNG screenshots go to the build folder for people to see.
#pragma once

#include <SDL3/SDL.h>
#include <imgui.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/env.h"
#include "shell/app.h"

namespace qm::test {

using Step = std::function<void(LauncherApp&)>;

// Runs the launcher on `root` and ends it (by a quit request) after frame `lastFrame`.
inline int RunScripted(const std::filesystem::path& root, std::map<uint64_t, Step> steps, uint64_t lastFrame,
                       std::vector<std::string> arguments = {"launcher"}) {
  SetEnvVar("SDL_VIDEO_DRIVER", "offscreen");
  SetEnvVar("SDL_RENDER_DRIVER", "software");
  RunOptions options;
  options.installRoot = root;
  options.afterFrame = [&](LauncherApp& app) {
    // The software renderer under sanitizers draws few frames a second; a double click still has
    // to count as one when its clicks are a few frames apart.
    if (app.framesPresented == 1) ImGui::GetIO().MouseDoubleClickTime = 1.0f;
    if (auto step = steps.find(app.framesPresented); step != steps.end()) step->second(app);
    if (app.framesPresented == lastFrame) {
      SDL_Event quit{};
      quit.type = SDL_EVENT_QUIT;
      SDL_PushEvent(&quit);
    }
  };
  return RunLauncher(arguments, options);
}

inline void PushMouse(LauncherApp& app, SDL_EventType type, float x, float y) {
  SDL_Event event{};
  event.type = type;
  if (type == SDL_EVENT_MOUSE_MOTION) {
    event.motion.windowID = SDL_GetWindowID(app.window);
    event.motion.x = x;
    event.motion.y = y;
  } else {
    event.button.windowID = SDL_GetWindowID(app.window);
    event.button.button = SDL_BUTTON_LEFT;
    event.button.down = type == SDL_EVENT_MOUSE_BUTTON_DOWN;
    event.button.clicks = 1;
    event.button.x = x;
    event.button.y = y;
  }
  SDL_PushEvent(&event);
}

// A click (press and release) at window coordinates; ImGui takes one button change per frame.
inline void Click(LauncherApp& app, float x, float y, int times = 1) {
  PushMouse(app, SDL_EVENT_MOUSE_MOTION, x, y);
  for (int i = 0; i < times; ++i) {
    PushMouse(app, SDL_EVENT_MOUSE_BUTTON_DOWN, x, y);
    PushMouse(app, SDL_EVENT_MOUSE_BUTTON_UP, x, y);
  }
}

inline void PressKey(LauncherApp& app, SDL_Keycode key, SDL_Scancode scancode) {
  for (bool down : {true, false}) {
    SDL_Event event{};
    event.type = down ? SDL_EVENT_KEY_DOWN : SDL_EVENT_KEY_UP;
    event.key.windowID = SDL_GetWindowID(app.window);
    event.key.key = key;
    event.key.scancode = scancode;
    event.key.down = down;
    SDL_PushEvent(&event);
  }
}

// Saves what the window shows into <build>/screenshots/<name>.png.
bool SaveScreenshot(LauncherApp& app, const std::string& name);

}  // namespace qm::test

namespace qm::test {

// Runs the launcher on `root`, calling `step` after every frame until it returns true (then the
// launcher is asked to quit) or `maxFrames` have been drawn. Returns whether `step` finished.
inline bool RunUntil(const std::filesystem::path& root, const std::function<bool(LauncherApp&)>& step,
                     uint64_t maxFrames = 1500) {
  SetEnvVar("SDL_VIDEO_DRIVER", "offscreen");
  SetEnvVar("SDL_RENDER_DRIVER", "software");
  bool finished = false;
  RunOptions options;
  options.installRoot = root;
  options.afterFrame = [&](LauncherApp& app) {
    if (!finished && (step(app) || app.framesPresented >= maxFrames)) {
      finished = app.framesPresented < maxFrames;
      SDL_Event quit{};
      quit.type = SDL_EVENT_QUIT;
      SDL_PushEvent(&quit);
    }
  };
  RunLauncher({"launcher"}, options);
  return finished;
}

}  // namespace qm::test
