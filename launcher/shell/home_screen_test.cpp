#include "shell/home_screen.h"

#include <gtest/gtest.h>

#include "platform/env.h"
#include "shell/input_events.h"
#include "stand_in.h"
#include "temp_install.h"
#include "window_driver.h"

namespace qm {
namespace {

using test::TempInstall;

// --- Plain rules -------------------------------------------------------------------------------

TEST(HomeRules, PlayLabelAndBadgeFollowTheState) {
  EXPECT_EQ(PlayLabel(true, false, false), "PLAY");
  EXPECT_EQ(PlayLabel(true, true, false), "PLAY");  // another game is being set up
  EXPECT_EQ(PlayLabel(false, true, false), "SETTING UP...");
  EXPECT_EQ(PlayLabel(false, false, true), "UPDATE GAME");
  EXPECT_EQ(PlayLabel(false, false, false), "SET UP");

  EXPECT_EQ(BadgeText(InstallStatus::Ready, false, false, 0), "READY");
  EXPECT_EQ(BadgeText(InstallStatus::NotSetUp, false, false, 0), "NOT SET UP");
  EXPECT_EQ(BadgeText(InstallStatus::NotSetUp, true, false, 0), "UPDATE");
  EXPECT_EQ(BadgeText(InstallStatus::SettingUp, false, false, 0), "SETTING UP");  // waiting for files
  EXPECT_EQ(BadgeText(InstallStatus::SettingUp, false, true, 42), "SETTING UP  42%");

  SetupJob job;
  EXPECT_EQ(CardSecondLine(kGames[1], "", job, 1), kGames[1].description);
  EXPECT_EQ(CardSecondLine(kGames[1], "Set up: ready to build.", job, 1), "Set up: ready to build.");
  job.phase = SetupPhase::PickingDisc;
  job.game = 1;
  EXPECT_EQ(CardSecondLine(kGames[1], "Set up: ready to build.", job, 1), "Pick your files...");
  job.phase = SetupPhase::Building;
  job.progressLine = "Extracting the disc";
  EXPECT_EQ(CardSecondLine(kGames[1], "Set up: ready to build.", job, 1), "Extracting the disc");
  EXPECT_EQ(CardSecondLine(kGames[2], "Set up: ready to build.", job, 2), "Set up: ready to build.");
}

TEST(HomeRules, FooterNamesTheVersionAndTheHint) {
  EXPECT_EQ(FooterText("dev", false), "dev build  \u00b7  Double-click or Enter to play  \u00b7  game output: logs/");
  EXPECT_EQ(FooterText("1.2.0", true), "v1.2.0  \u00b7  Controller: A play, X settings, Y online, B back");
}

TEST(HomeRules, GamepadCodesOnTheHomeScreen) {
  struct Case {
    std::vector<int32_t> codes;
    PadContext context;
    int selectedBefore, selectedAfter;
    bool launch, setup, settings, online, updates;
  } cases[] = {
      {{kPadDpadUp}, {}, 0, 2, false, false, false, false, false},  // wraps to the last card
      {{kPadDpadDown}, {}, 2, 0, false, false, false, false, false},
      {{kPadDpadDown, kPadDpadDown}, {}, 0, 2, false, false, false, false, false},
      {{kPadA}, {false, false, true, true, false}, 1, 1, true, false, false, false, false},
      {{kPadStart}, {false, false, true, false, false}, 1, 1, false, true, false, false, false},
      {{kPadA}, {false, false, false, false, false}, 1, 1, false, false, false, false, false},  // PLAY disabled
      {{kPadX}, {}, 0, 0, false, false, true, false, false},
      {{kPadY}, {}, 0, 0, false, false, false, true, false},
      {{kPadBack}, {}, 0, 0, false, false, false, false, true},
      {{kPadBack}, {false, false, false, false, true}, 0, 0, false, false, false, false, false},  // hosted
      {{kPadX, kPadB}, {}, 0, 0, false, false, false, false, false},  // B closes what X opened
  };
  for (const Case& c : cases) {
    HomeScreen home;
    int selected = c.selectedBefore;
    const PadOutcome outcome = ApplyPadCodes(c.codes, c.context, home, selected);
    EXPECT_EQ(selected, c.selectedAfter) << ::testing::PrintToString(c.codes);
    EXPECT_EQ(home.launchRequest, c.launch) << ::testing::PrintToString(c.codes);
    EXPECT_EQ(home.setupRequest, c.setup) << ::testing::PrintToString(c.codes);
    EXPECT_EQ(home.settingsOpen, c.settings) << ::testing::PrintToString(c.codes);
    EXPECT_EQ(home.onlineOpen, c.online);
    EXPECT_EQ(home.updatesOpen, c.updates);
    EXPECT_EQ(outcome.reloadSettings, std::count(c.codes.begin(), c.codes.end(), kPadX) > 0);
  }
}

TEST(HomeRules, AnOpenWindowTakesTheGamepad) {
  HomeScreen home;
  home.settingsOpen = true;
  int selected = 0;
  PadContext context;
  context.windowUp = true;
  const PadOutcome outcome = ApplyPadCodes({kPadDpadDown, kPadA, kPadDpadLeft, kPadY, kPadB}, context, home, selected);
  EXPECT_EQ(selected, 0);  // the home screen's selection does not move
  EXPECT_FALSE(home.onlineOpen);
  EXPECT_FALSE(home.settingsOpen);  // closed by B
  EXPECT_EQ(outcome.navKeys, (std::vector<PadNavKey>{PadNavKey::Down, PadNavKey::Activate, PadNavKey::Left}));

  // B does not close the windows while the set-up asks where the mod download is.
  home.settingsOpen = true;
  context.modWindowUp = true;
  ApplyPadCodes({kPadB}, context, home, selected);
  EXPECT_TRUE(home.settingsOpen);
}

// --- The real screen, in-process -------------------------------------------------------------

// Card i's centre, at content scale 1 and without background art (the content starts at 44).
constexpr float kCardX = 600;
float CardY(int i) { return 133 + 120.0f * i + 52; }
// The PLAY button's centre in a 1180 x 720 window.
constexpr float kPlayX = 1180 - 44 - 115, kPlayY = 720 - 92 + 30;

class HomeWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    UnsetEnvVar("VADUREZIZUVAZO");
    UnsetEnvVar("QM_STANDIN_GAME");
    install_.MakeDir("tools");
  }
  TempInstall install_;
};

TEST_F(HomeWindow, ClickSelectsAndDoubleClickPlaysOnlyAReadyCard) {
  test::InstallReadyGame(install_, 0);  // brawl ready, the mods need their downloads
  int selectedAfterClick = -1, selectedAfterDouble = -1;
  bool hiddenWhilePlaying = false, shownAfter = false;
  std::string statusAfter = "unset";
  const int code = test::RunScripted(install_.root(),
                                     {{3, [](LauncherApp& app) { test::Click(app, kCardX, CardY(2)); }},
                                      {8,
                                       [&](LauncherApp& app) {
                                         selectedAfterClick = app.state.selectedGame;
                                         test::SaveScreenshot(app, "home_rex_selected");
                                         test::Click(app, kCardX, CardY(1), 2);  // not ready: selects, starts nothing
                                       }},
                                      {16,
                                       [&](LauncherApp& app) {
                                         selectedAfterDouble = app.state.selectedGame;
                                         EXPECT_EQ(app.state.gameProcess.id, 0);
                                         SetEnvVar("QM_STANDIN_GAME", "stay=300");
                                         test::Click(app, kCardX, CardY(0), 2);
                                       }},
                                      {17, [&](LauncherApp&) {}},
                                      {24,
                                       [&](LauncherApp& app) {
                                         // The game ran meanwhile: no frames were drawn while it did, and the window is
                                         // back.
                                         shownAfter = !(SDL_GetWindowFlags(app.window) & SDL_WINDOW_HIDDEN);
                                         statusAfter = app.home.statusText;
                                         hiddenWhilePlaying =
                                             app.state.playedGame == 0 &&
                                             std::filesystem::exists(install_.root() / "logs" / "brawl.log");
                                       }}},
                                     26);
  EXPECT_EQ(code, 0);
  EXPECT_EQ(selectedAfterClick, 2);
  EXPECT_EQ(selectedAfterDouble, 1);
  EXPECT_TRUE(hiddenWhilePlaying);
  EXPECT_TRUE(shownAfter);
  EXPECT_EQ(statusAfter, "");
  EXPECT_EQ(test::ReadAll(install_.root() / "launcher.ini"), "version=brawl\nfullscreen=0\n");
}

TEST_F(HomeWindow, EnterPlaysAndAFailedGameIsReported) {
  test::InstallReadyGame(install_, 0);
  SetEnvVar("QM_STANDIN_GAME", "stay=200,exit=3");
  bool hiddenDuringPlay = false;
  std::string status;
  bool statusIsError = false;
  const int code =
      test::RunScripted(install_.root(),
                        {{3, [&](LauncherApp& app) { test::PressKey(app, SDLK_RETURN, SDL_SCANCODE_RETURN); }},
                         {6,
                          [&](LauncherApp& app) {
                            status = app.home.statusText;
                            statusIsError = app.home.statusIsError;
                            hiddenDuringPlay = std::filesystem::exists(install_.root() / "logs" / "brawl.log");
                            test::SaveScreenshot(app, "home_game_stopped");
                          }}},
                        7);
  EXPECT_EQ(code, 0);
  EXPECT_TRUE(hiddenDuringPlay);
  EXPECT_EQ(status, "Super Smash Bros. Brawl stopped with code 3. Log: logs/brawl.log");
  EXPECT_TRUE(statusIsError);
}

TEST_F(HomeWindow, QuitDuringPlayEndsTheLauncherAfterTheGame) {
  test::InstallReadyGame(install_, 0);
  SetEnvVar("QM_STANDIN_GAME", "stay=600");
  uint64_t frames = 0;
  RunOptions options;
  options.installRoot = install_.root();
  SetEnvVar("SDL_VIDEO_DRIVER", "offscreen");
  SetEnvVar("SDL_RENDER_DRIVER", "software");
  std::thread quitter;
  options.afterFrame = [&](LauncherApp& app) {
    frames = app.framesPresented;
    if (frames == 3) {
      test::PressKey(app, SDLK_RETURN, SDL_SCANCODE_RETURN);
      quitter = std::thread([] {
        SDL_Delay(250);  // while the game runs
        SDL_Event quit{};
        quit.type = SDL_EVENT_QUIT;
        SDL_PushEvent(&quit);
      });
    }
  };
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(RunLauncher({"launcher"}, options), 0);
  quitter.join();
  EXPECT_EQ(frames, 4u);  // the frame that started the game was the last one drawn
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(600));  // waited for the game
}

TEST_F(HomeWindow, GamepadSelectsWithWrapAroundAndHostedModeDisablesUpdates) {
  SetEnvVar("VADUREZIZUVAZO", "1");
  SDL_JoystickID pad = 0;
  int afterUp = -1, afterDownDown = -1;
  bool updatesAfterBack = true, updatesAfterClick = true, padSeen = false;
  std::string footer;
  const int code = test::RunScripted(
      install_.root(),
      {{2,
        [&](LauncherApp&) {
          SDL_VirtualJoystickDesc desc;
          SDL_INIT_INTERFACE(&desc);
          desc.type = SDL_JOYSTICK_TYPE_GAMEPAD;
          desc.vendor_id = 0x045e;
          desc.product_id = 0x028e;
          desc.naxes = SDL_GAMEPAD_AXIS_COUNT;
          desc.nbuttons = SDL_GAMEPAD_BUTTON_COUNT;
          pad = SDL_AttachVirtualJoystick(&desc);
        }},
       {4,
        [&](LauncherApp&) {
          SDL_SetJoystickVirtualButton(SDL_GetJoystickFromID(pad), SDL_GAMEPAD_BUTTON_DPAD_UP, true);
        }},
       {6,
        [&](LauncherApp& app) {
          afterUp = app.state.selectedGame;
          SDL_SetJoystickVirtualButton(SDL_GetJoystickFromID(pad), SDL_GAMEPAD_BUTTON_DPAD_UP, false);
          app.state.padCodes = {kPadDpadDown, kPadDpadDown, kPadBack};
        }},
       {8,
        [&](LauncherApp& app) {
          afterDownDown = app.state.selectedGame;
          updatesAfterBack = app.home.updatesOpen;
          padSeen = app.state.padSeen;
          // "Updates..." is the third control of the button row; ImGui lays it out from the theme.
          const ImGuiStyle& style = ImGui::GetStyle();
          const float checkbox =
              ImGui::GetFrameHeight() + style.ItemInnerSpacing.x + ImGui::CalcTextSize("Fullscreen").x;
          const float online = ImGui::CalcTextSize("Online...").x + 2 * style.FramePadding.x;
          test::Click(app, 44 + checkbox + 24 + online + 16 + 20, 720 - 92 + 16 + ImGui::GetFrameHeight() / 2);
        }},
       {12,
        [&](LauncherApp& app) {
          updatesAfterClick = app.home.updatesOpen;
          test::SaveScreenshot(app, "home_hosted_gamepad");
        }}},
      13);
  if (pad) SDL_DetachVirtualJoystick(pad);
  EXPECT_EQ(code, 0);
  EXPECT_EQ(afterUp, 2);
  EXPECT_EQ(afterDownDown, 1);
  EXPECT_TRUE(padSeen);
  EXPECT_FALSE(updatesAfterBack);
  EXPECT_FALSE(updatesAfterClick);
}

TEST_F(HomeWindow, ButtonRowOpensItsWindows) {
  bool online = false, updates = false, settings = false;
  const int code =
      test::RunScripted(install_.root(),
                        {{3,
                          [&](LauncherApp& app) {
                            const ImGuiStyle& style = ImGui::GetStyle();
                            const float checkbox = ImGui::GetFrameHeight() + style.ItemInnerSpacing.x +
                                                   ImGui::CalcTextSize("Fullscreen").x;
                            const float onlineWidth = ImGui::CalcTextSize("Online...").x + 2 * style.FramePadding.x;
                            const float updatesWidth = ImGui::CalcTextSize("Updates...").x + 2 * style.FramePadding.x;
                            const float y = 720 - 92 + 16 + ImGui::GetFrameHeight() / 2;
                            test::Click(app, 44 + checkbox + 24 + 10, y);
                            test::Click(app, 44 + checkbox + 24 + onlineWidth + 16 + 10, y);
                            test::Click(app, 44 + checkbox + 24 + onlineWidth + 16 + updatesWidth + 16 + 10, y);
                            test::Click(app, 44 + 5, y);  // the Fullscreen checkbox
                          }},
                         {14,
                          [&](LauncherApp& app) {
                            online = app.home.onlineOpen;
                            updates = app.home.updatesOpen;
                            settings = app.home.settingsOpen;
                          }}},
                        15);
  EXPECT_EQ(code, 0);
  EXPECT_TRUE(online);
  EXPECT_TRUE(updates);
  EXPECT_TRUE(settings);
  EXPECT_EQ(test::ReadAll(install_.root() / "launcher.ini"), "version=brawl\nfullscreen=1\n");  // saved at exit
}

TEST_F(HomeWindow, PlayOnANotReadyGameRequestsSetUpAndStartsNothing) {
  install_.Write("launcher.ini", "version=pplus\n");
  install_.Write("VERSION", "1.3.0\n");
  install_.Write("Disc/DATA/sys/main.dol");
  uint64_t gameId = 1;
  const int code = test::RunScripted(install_.root(),
                                     {{3,
                                       [&](LauncherApp& app) {
                                         test::SaveScreenshot(app, "home_pplus_needs_download");
                                         test::Click(app, kPlayX, kPlayY);
                                       }},
                                      {8, [&](LauncherApp& app) { gameId = uint64_t(app.state.gameProcess.id); }}},
                                     9);
  EXPECT_EQ(code, 0);
  EXPECT_EQ(gameId, 0u);
  EXPECT_EQ(test::ReadAll(install_.root() / "launcher.ini"), "version=pplus\nfullscreen=0\n");
}

TEST_F(HomeWindow, PlayCommandLineForANotReadyGameShowsWhy) {
  std::string status;
  bool isError = false;
  int selected = -1;
  const int code = test::RunScripted(install_.root(),
                                     {{2,
                                       [&](LauncherApp& app) {
                                         status = app.home.statusText;
                                         isError = app.home.statusIsError;
                                         selected = app.state.selectedGame;
                                       }},
                                      {30, [](LauncherApp& app) { test::SaveScreenshot(app, "home_play_not_ready"); }}},
                                     30, {"launcher", "--play", "pplus"});
  EXPECT_EQ(code, 0);
  EXPECT_EQ(selected, 1);
  EXPECT_EQ(status, "Project+ v3.2.1: Set up: needs your Brawl (USA) disc image.");
  EXPECT_TRUE(isError);
}

}  // namespace
}  // namespace qm

namespace qm {
namespace {

TEST_F(HomeWindow, BackgroundArtFromTheInstallOrBesideTheLauncher) {
  test::InstallReadyGame(install_, 0);
  std::filesystem::create_directories(install_.root() / "runtime" / "res");
  std::filesystem::copy_file(std::filesystem::path(QM_RESOURCES_DIR) / "launcher_bg.jpg",
                             install_.root() / "runtime" / "res" / "launcher_bg.jpg");
  float aspect = 0;
  float textureHeight = 0;
  const int code = test::RunScripted(install_.root(),
                                     {{40,
                                       [&](LauncherApp& app) {
                                         aspect = app.state.backgroundAspect;
                                         if (app.state.backgroundTexture)
                                           SDL_GetTextureSize(app.state.backgroundTexture, nullptr, &textureHeight);
                                         test::SaveScreenshot(app, "home_with_art");
                                       }}},
                                     40);
  EXPECT_EQ(code, 0);
  EXPECT_NEAR(aspect, 800.0f / 1200.0f, 1e-4);
  EXPECT_EQ(textureHeight, 720.0f);  // shrunk to the window's height

  // An undecodable file gives the layout without art.
  test::TempInstall broken;
  broken.MakeDir("tools");
  broken.Write("runtime/res/launcher_bg.jpg", "not a picture");
  bool hasTexture = true;
  test::RunScripted(broken.root(), {{2, [&](LauncherApp& app) { hasTexture = app.state.backgroundTexture; }}}, 2);
  EXPECT_FALSE(hasTexture);
}

}  // namespace
}  // namespace qm
