// The real frame loop in-process, on SDL's offscreen video driver with the software renderer.
#include "shell/app.h"

#include <SDL3/SDL.h>
#include <gtest/gtest.h>
#include <imgui.h>

#include "platform/env.h"

namespace qm {
namespace {

class OffscreenLauncher : public ::testing::Test {
 protected:
  void SetUp() override {
    SetEnvVar("SDL_VIDEO_DRIVER", "offscreen");
    SetEnvVar("SDL_RENDER_DRIVER", "software");
    UnsetEnvVar("VADUREZIZUVAZO");
  }
};

TEST_F(OffscreenLauncher, RunsFramesAndShutsDownInOrderOnQuit) {
  struct Seen {
    std::string title;
    int width = 0, height = 0, minWidth = 0, minHeight = 0;
    bool hidden = true;
    bool imguiLive = false;
  } seen;
  const int code = RunLauncher({"launcher"}, {[&](LauncherApp& app) {
                                 if (app.framesPresented == 1) {
                                   seen.title = SDL_GetWindowTitle(app.window);
                                   SDL_GetWindowSize(app.window, &seen.width, &seen.height);
                                   SDL_GetWindowMinimumSize(app.window, &seen.minWidth, &seen.minHeight);
                                   seen.hidden = SDL_GetWindowFlags(app.window) & SDL_WINDOW_HIDDEN;
                                   seen.imguiLive = ImGui::GetCurrentContext() != nullptr;
                                 }
                                 if (app.framesPresented == 3) {
                                   SDL_Event quit{};
                                   quit.type = SDL_EVENT_QUIT;
                                   SDL_PushEvent(&quit);
                                 }
                                 ASSERT_LE(app.framesPresented, 4u) << "the quit request was not honoured";
                               }});
  EXPECT_EQ(code, 0);
  EXPECT_EQ(seen.title, "Quillmarch");
  EXPECT_EQ(seen.width, 1180);
  EXPECT_EQ(seen.height, 720);
  EXPECT_EQ(seen.minWidth, 900);
  EXPECT_EQ(seen.minHeight, 600);
  EXPECT_FALSE(seen.hidden);
  EXPECT_TRUE(seen.imguiLive);
  // Shutdown released ImGui and SDL entirely.
  EXPECT_EQ(ImGui::GetCurrentContext(), nullptr);
  EXPECT_EQ(SDL_WasInit(0), 0u);
}

TEST_F(OffscreenLauncher, ClosingTheWindowEndsTheLoop) {
  uint64_t frames = 0;
  const int code = RunLauncher({"launcher"}, {[&](LauncherApp& app) {
                                 frames = app.framesPresented;
                                 if (frames == 2) {
                                   SDL_Event close{};
                                   close.type = SDL_EVENT_WINDOW_CLOSE_REQUESTED;
                                   close.window.windowID = SDL_GetWindowID(app.window);
                                   SDL_PushEvent(&close);
                                 }
                                 ASSERT_LE(frames, 3u);
                               }});
  EXPECT_EQ(code, 0);
  EXPECT_EQ(frames, 3u);
}

TEST_F(OffscreenLauncher, FailsWithCodeOneWhenSdlCannotStart) {
  SetEnvVar("SDL_VIDEO_DRIVER", "no-such-driver");
  EXPECT_EQ(RunLauncher({"launcher"}), 1);
}

}  // namespace
}  // namespace qm
