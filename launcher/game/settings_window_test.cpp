// The settings window, driven in the real launcher by pushed mouse events and gamepad codes.
#include "game/settings_window.h"

#include <gtest/gtest.h>

#include "platform/env.h"
#include "shell/input_events.h"
#include "shell/install_state.h"
#include "stand_in.h"
#include "temp_install.h"
#include "ui_items.h"
#include "window_driver.h"

namespace qm {
namespace {

using test::FindUiItem;
using test::Step;
using test::TempInstall;

TEST(SettingsChoices, CurrentEntryOfEachCombo) {
  struct Case {
    int32_t msaa, aniso;
    const char* backend;
    int msaaIndex, anisoIndex, backendIndex;
  } cases[] = {{4, 16, "vulkan", 1, 4, 2}, {1, 8, "d3d12", 0, 3, 1},  {1, 4, "d3d11", 0, 2, 3},
               {1, 2, "auto", 0, 1, 0},    {1, 1, "opengl", 0, 0, 0}, {1, 1, "", 0, 0, 0}};
  for (const Case& c : cases) {
    GameSettings s;
    s.gfx_msaa = c.msaa;
    s.gfx_aniso = c.aniso;
    s.gfx_backend = c.backend;
    EXPECT_EQ(kMsaaChoices[MsaaIndex(s)].label, c.msaaIndex ? "4x" : "Off");
    EXPECT_EQ(AnisoIndex(s), c.anisoIndex) << c.aniso;
    EXPECT_EQ(BackendIndex(s), c.backendIndex) << c.backend;
  }
  EXPECT_EQ(kAnisoChoices[4].label, "16x");
  EXPECT_EQ(kBackendChoices[0].label, "Automatic");
}

std::string SettingsLine(const TempInstall& install, const std::string& key) {
  const std::string text = test::ReadAll(install.root() / "settings.ini");
  const size_t at = text.find(key + "=");
  return at == std::string::npos ? "" : text.substr(at, text.find("\r\n", at) - at);
}

// The slider position that stands for `value` of 0..100 (ImGui keeps a 2-pixel padding and half
// the grab at each end).
ImVec2 SliderPoint(const test::UiItem& slider, int value) {
  const float grab = ImGui::GetStyle().GrabMinSize;
  const float left = slider.min.x + 2 + grab / 2, right = slider.max.x - 2 - grab / 2;
  return ImVec2(left + (right - left) * float(value) / 100.0f, slider.Centre().y);
}

class SettingsWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    UnsetEnvVar("VADUREZIZUVAZO");
    UnsetEnvVar("TW_OPEN_CONTROLS");
    UnsetEnvVar("QM_STANDIN_GAME");
    install_.MakeDir("tools");
  }

  // Steps that open the window with the "Settings..." button at frame 5; the test's own steps are
  // frame 2 (before the click) and from frame 10 on.
  int Run(std::map<uint64_t, Step> steps, uint64_t lastFrame) {
    steps[1] = [](LauncherApp&) { test::RecordUiItems(); };  // steps 2 and 10 on are the test's
    steps[5] = [](LauncherApp& app) {
      auto button = FindUiItem("Settings...");
      ASSERT_TRUE(button);
      test::Click(app, button->Centre().x, button->Centre().y);
    };
    return test::RunScripted(install_.root(), std::move(steps), lastFrame);
  }

  TempInstall install_;
};

TEST_F(SettingsWindow, VolumeSlidersAndReset) {
  test::InstallReadyGame(install_, 0);
  install_.Write("settings.ini", "music=70\r\n");
  std::string afterDrag, afterMusic;
  std::map<uint64_t, Step> steps;
  steps[10] = [&](LauncherApp& app) {
    EXPECT_TRUE(app.home.settingsOpen);
    EXPECT_EQ(app.settings.music, 70);  // reloaded on opening
    test::SaveScreenshot(app, "settings_window");
    const auto master = FindUiItem("##master");
    ASSERT_TRUE(master);
    const ImVec2 from = SliderPoint(*master, 100);
    test::PushMouse(app, SDL_EVENT_MOUSE_MOTION, from.x, from.y);
    test::PushMouse(app, SDL_EVENT_MOUSE_BUTTON_DOWN, from.x, from.y);
  };
  for (int i = 1; i <= 6; ++i)  // one motion per frame, 100 down to 40
    steps[11 + i] = [i](LauncherApp& app) {
      const ImVec2 to = SliderPoint(*FindUiItem("##master"), 100 - 10 * i);
      test::PushMouse(app, SDL_EVENT_MOUSE_MOTION, to.x, to.y);
    };
  steps[19] = [](LauncherApp& app) {
    const ImVec2 at = SliderPoint(*FindUiItem("##master"), 40);
    test::PushMouse(app, SDL_EVENT_MOUSE_BUTTON_UP, at.x, at.y);
  };
  steps[22] = [&](LauncherApp& app) {
    afterDrag = SettingsLine(install_, "master");
    const ImVec2 half = SliderPoint(*FindUiItem("##music"), 25);
    test::Click(app, half.x, half.y);
  };
  steps[26] = [&](LauncherApp& app) {
    afterMusic = SettingsLine(install_, "music");
    const auto reset = FindUiItem("Reset to 100%");
    test::Click(app, reset->Centre().x, reset->Centre().y);
  };
  EXPECT_EQ(Run(steps, 30), 0);
  EXPECT_EQ(afterDrag, "master=40");
  EXPECT_EQ(afterMusic, "music=25");
  EXPECT_EQ(SettingsLine(install_, "master"), "master=100");
  EXPECT_EQ(SettingsLine(install_, "music"), "music=100");
  EXPECT_EQ(SettingsLine(install_, "sfx"), "sfx=100");
}

TEST_F(SettingsWindow, GraphicsCombosAndVsync) {
  install_.Write("settings.ini", "window_size=1366x768\r\ngfx_backend=opengl\r\ngfx_msaa=4\r\n");
  auto clickLabel = [](const char* label, int nth = 0) {
    return [label, nth](LauncherApp& app) {
      auto item = FindUiItem(label, nth);
      if (!item) item = test::FindUiItemIn("Settings", label);
      ASSERT_TRUE(item) << label;
      test::Click(app, item->Centre().x, item->Centre().y);
    };
  };
  std::string afterVsyncOn, afterVsyncOff, afterVulkan, afterResolution;
  std::map<uint64_t, Step> steps;
  steps[10] = clickLabel("VSync");
  steps[14] = [&](LauncherApp& app) {
    afterVsyncOn = SettingsLine(install_, "gfx_vsync") + " " + SettingsLine(install_, "gfx_backend");
    clickLabel("VSync")(app);
  };
  steps[18] = [&](LauncherApp& app) {
    afterVsyncOff = SettingsLine(install_, "gfx_vsync");
    clickLabel("Window resolution")(app);
  };
  steps[22] = [&](LauncherApp& app) {
    test::SaveScreenshot(app, "settings_resolution_open");
    clickLabel("1920x1080")(app);
  };
  steps[26] = [&](LauncherApp& app) {
    afterResolution = SettingsLine(install_, "window_size");
    clickLabel("Graphics API")(app);
  };
  steps[30] = clickLabel("Vulkan");
  steps[34] = [&](LauncherApp& app) {
    afterVulkan = SettingsLine(install_, "gfx_backend");
    clickLabel("Graphics API")(app);
  };
  steps[38] = clickLabel("Automatic");
  EXPECT_EQ(Run(steps, 42), 0);
  EXPECT_EQ(afterVsyncOn, "gfx_vsync=1 gfx_backend=opengl");  // an unknown API is kept until one is picked
  EXPECT_EQ(afterVsyncOff, "gfx_vsync=0");
  EXPECT_EQ(afterResolution, "window_size=1920x1080");
  EXPECT_EQ(afterVulkan, "gfx_backend=vulkan");
  EXPECT_EQ(SettingsLine(install_, "gfx_backend"), "gfx_backend=auto");
  EXPECT_EQ(SettingsLine(install_, "gfx_msaa"), "gfx_msaa=4");
}

TEST_F(SettingsWindow, OpenControlsStartsTheReadyGameOnce) {
  test::InstallReadyGame(install_, 0);
  install_.Write("launcher.ini", "version=pplus\n");  // not set up
  bool disabledForPplus = false, closed = false;
  std::map<uint64_t, Step> steps;
  // The window is taller than 720 pixels and scrolls there; a taller launcher shows it whole.
  steps[2] = [](LauncherApp& app) { SDL_SetWindowSize(app.window, 1180, 1000); };
  steps[10] = [&](LauncherApp& app) {
    const auto button = FindUiItem("Open controls (starts the selected game)");
    ASSERT_TRUE(button);
    disabledForPplus = button->disabled;
    app.home.settingsOpen = false;
    app.state.selectedGame = 0;
    test::SaveScreenshot(app, "settings_controls_disabled");
  };
  steps[13] = [](LauncherApp& app) { app.state.padCodes = {kPadX}; };  // opens it again
  steps[18] = [&](LauncherApp& app) {
    const auto button = FindUiItem("Open controls (starts the selected game)");
    ASSERT_TRUE(button);
    EXPECT_FALSE(button->disabled) << app.home.settingsOpen << app.state.selectedGame
                                   << InstallStateText(install_.root(), app.state.launcherVersion, kGames[0]);
    test::Click(app, button->Centre().x, button->Centre().y);
  };
  steps[22] = [&](LauncherApp& app) {
    closed = !app.home.settingsOpen;
    EXPECT_NE(test::ReadAll(install_.root() / "logs" / "brawl.log").find("\nTW_OPEN_CONTROLS=1\n"), std::string::npos);
    test::PressKey(app, SDLK_RETURN, SDL_SCANCODE_RETURN);  // a plain PLAY afterwards
  };
  EXPECT_EQ(Run(steps, 26), 0);
  EXPECT_TRUE(disabledForPplus);
  EXPECT_TRUE(closed);
  EXPECT_NE(test::ReadAll(install_.root() / "logs" / "brawl.log").find("\nTW_OPEN_CONTROLS=(unset)\n"),
            std::string::npos);
}

TEST_F(SettingsWindow, GamepadDrivesTheWindowAndNotTheHomeScreen) {
  install_.Write("settings.ini", "master=30\r\nmusic=30\r\nsfx=30\r\n");
  int selectedWhileOpen = -1;
  bool reachedReset = false, closedByB = false;
  std::map<uint64_t, Step> steps;
  steps[10] = [](LauncherApp& app) { app.state.padCodes = {kPadDpadDown}; };
  // d-pad down until the focus is on "Reset to 100%" (at most 12 presses), then A.
  for (int i = 0; i < 12; ++i)
    steps[13 + 3 * i] = [&](LauncherApp& app) {
      if (reachedReset) return;
      const auto reset = FindUiItem("Reset to 100%");
      if (reset && test::FocusedUiItem() == reset->id) {
        reachedReset = true;
        selectedWhileOpen = app.state.selectedGame;
        app.state.padCodes = {kPadA};
      } else {
        app.state.padCodes = {kPadDpadDown};
      }
    };
  steps[52] = [](LauncherApp& app) { app.state.padCodes = {kPadB}; };
  steps[55] = [&](LauncherApp& app) { closedByB = !app.home.settingsOpen; };
  EXPECT_EQ(Run(steps, 56), 0);
  EXPECT_TRUE(reachedReset);
  EXPECT_EQ(selectedWhileOpen, 0);  // the d-pad moved the focus, not the card selection
  EXPECT_EQ(SettingsLine(install_, "master"), "master=100");
  EXPECT_TRUE(closedByB);
}

TEST_F(SettingsWindow, RemovingAGameFromItsLastSection) {
  test::InstallReadyGame(install_, 0);
  install_.Write("assets/brawl.layout.bin");
  std::vector<bool> disabled, disabledWhileBusy;
  std::string message;
  auto removeButtons = [] {
    std::vector<test::UiItem> buttons;
    for (int i = 0; auto b = FindUiItem("Remove", i); ++i) buttons.push_back(*b);
    return buttons;
  };
  std::map<uint64_t, Step> steps;
  steps[2] = [](LauncherApp& app) { SDL_SetWindowSize(app.window, 1180, 1400); };
  steps[10] = [&](LauncherApp& app) {
    for (const auto& b : removeButtons()) disabled.push_back(b.disabled);
    app.setup.phase = SetupPhase::PickingDisc;  // a set-up in progress
  };
  steps[12] = [&](LauncherApp& app) {
    for (const auto& b : removeButtons()) disabledWhileBusy.push_back(b.disabled);
    app.setup.phase = SetupPhase::SetupIdle;
  };
  steps[14] = [&](LauncherApp& app) {
    const auto first = removeButtons().at(0);
    test::Click(app, first.Centre().x, first.Centre().y);
  };
  steps[19] = [&](LauncherApp& app) {
    test::SaveScreenshot(app, "settings_remove_confirm");
    for (const auto& b : removeButtons())  // the popup's own button is 120 wide
      if (std::abs((b.max.x - b.min.x) - 120) < 1) test::Click(app, b.Centre().x, b.Centre().y);
  };
  steps[24] = [&](LauncherApp& app) { message = app.removeState.removeMessage; };
  EXPECT_EQ(Run(steps, 25), 0);
  EXPECT_EQ(disabled, (std::vector<bool>{false, true, true}));  // only brawl is present
  EXPECT_EQ(disabledWhileBusy, (std::vector<bool>{true, true, true}));
  EXPECT_EQ(message, "Super Smash Bros. Brawl removed (3 files).");  // game.dll, the image, one analysis file
  EXPECT_TRUE(std::filesystem::exists(install_.root() / "runtime" / "build" / "tarnwick"));
}

}  // namespace
}  // namespace qm
