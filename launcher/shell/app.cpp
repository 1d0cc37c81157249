#include "shell/app.h"

#include <SDL3/SDL.h>
#include <imgui.h>
#include <imgui_impl_sdl3.h>
#include <imgui_impl_sdlrenderer3.h>

#include <cstdio>
#include <optional>

#include "game/launch.h"
#include "platform/env.h"
#include "setup/build_progress.h"
#include "setup/build_runner.h"
#include "setup/source_pickers.h"
#include "shell/catalogue.h"
#include "shell/command_line.h"
#include "shell/home_screen.h"
#include "shell/input_events.h"
#include "shell/install_root.h"
#include "shell/install_state.h"
#include "shell/launcher_ini.h"
#include "shell/look.h"
#include "shell/window_icon.h"

namespace qm {

bool IsHostedMode(const char* value) { return value && std::string_view(value) == "1"; }

namespace {

constexpr uint32_t kGameRunningPollMs = 100;
constexpr uint32_t kMinimizedSleepMs = 50;

float DisplayRefreshHz(SDL_Window* window) {
  const SDL_DisplayMode* mode = SDL_GetCurrentDisplayMode(SDL_GetDisplayForWindow(window));
  return mode ? mode->refresh_rate : 0.0f;
}

// While a game runs the window is hidden and the loop only polls. Returns true while the game
// still runs (the pass ends there); false once it has ended or none runs.
bool SuperviseGame(LauncherApp& app, bool& quitDuringGame) {
  LauncherState& state = app.state;
  if (state.gameProcess.id == 0) return false;
  int exitCode = 0;
  if (!ProcessEnded(state.gameProcess, exitCode)) {
    SDL_Delay(kGameRunningPollMs);
    SDL_Event event;
    while (SDL_PollEvent(&event))
      if (event.type == SDL_EVENT_QUIT) quitDuringGame = true;
    return true;
  }
  if (quitDuringGame) {
    state.running = false;
    return false;
  }
  if (exitCode == 0)
    SetStatus(app.home, "", false);
  else
    SetStatus(app.home, GameStoppedText(state.playedGame, exitCode), true);
  SDL_InitSubSystem(SDL_INIT_GAMEPAD);  // the launch released the gamepads
  SDL_ShowWindow(app.window);
  SDL_RaiseWindow(app.window);
  return false;
}

// A file dialog's answer, left by SDL's dialog thread, goes to the source pickers.
void TakeDialogResult(LauncherApp& app) {
  std::string text;
  bool ready = false;
  {
    std::lock_guard lock(app.state.dialogResult.mutex);
    std::swap(ready, app.state.dialogResult.ready);
    text = app.state.dialogResult.text;
  }
  if (!ready) return;
  if (const auto message = OnSourcePicked(PickerContextOf(app), text))
    SetStatus(app.home, message->text, message->isError);
}

void DrawFrame(LauncherApp& app) {
  ImGui_ImplSDLRenderer3_NewFrame();
  ImGui_ImplSDL3_NewFrame();
  ImGui::NewFrame();
  DrawHomeScreen(app);
  ImGui::Render();
  SDL_SetRenderDrawColor(app.renderer, 8, 9, 14, 255);
  SDL_RenderClear(app.renderer);
  ImGui_ImplSDLRenderer3_RenderDrawData(ImGui::GetDrawData(), app.renderer);
  SDL_RenderPresent(app.renderer);
  ++app.framesPresented;
}

void RunFrameLoop(LauncherApp& app, const FrameHook& afterFrame) {
  LauncherState& state = app.state;
  const SDL_WindowID windowId = SDL_GetWindowID(app.window);
  bool quitDuringGame = false;
  for (;;) {
    if (SuperviseGame(app, quitDuringGame)) continue;
    if (quitDuringGame) break;
    TakeDialogResult(app);
    if (app.setup.phase == SetupPhase::Building)
      if (const auto exitCode = PollBuild(app.setup, SDL_GetTicks() / 1000.0)) {
        const StatusMessage message = FinishBuild(app.setup, *exitCode, state.installRoot, state.launcherVersion);
        SetStatus(app.home, message.text, message.isError);
      }
    state.running = true;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
      ImGui_ImplSDL3_ProcessEvent(&event);
      HandleEvent(state, event, windowId);
    }
    if (SDL_GetWindowFlags(app.window) & SDL_WINDOW_MINIMIZED) {
      SDL_Delay(kMinimizedSleepMs);
    } else {
      DrawFrame(app);
      state.padCodes.clear();  // consumed by the home screen's frame
      if (afterFrame) afterFrame(app);
      ApplyHomeRequests(app);
      if (const uint64_t delay = FrameDelayNs(app.pacer, SDL_GetTicksNS())) SDL_DelayPrecise(delay);
    }
    if (!state.running) break;
  }
}

}  // namespace

// Start-up steps 10 to 19: window, renderer, icon, background, a --play start, ImGui with the
// launcher's look, the game settings. False when the window or renderer cannot be created.
bool OpenLauncherWindow(LauncherApp& app, std::optional<int> playRequest) {
  LauncherState& state = app.state;
  app.scale = SDL_GetDisplayContentScale(SDL_GetPrimaryDisplay());
  if (app.scale <= 0) app.scale = 1.0f;
  const float s = app.scale;
  app.window = SDL_CreateWindow("Quillmarch", int(1180 * s), int(720 * s), SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE);
  if (!app.window) return false;
  app.renderer = SDL_CreateRenderer(app.window, nullptr);
  if (!app.renderer) return false;
  SDL_SetWindowMinimumSize(app.window, int(900 * s), int(600 * s));
  const bool vsync = SDL_SetRenderVSync(app.renderer, 1);
  app.pacer = MakeFramePacer(DisplayRefreshHz(app.window), vsync);
  SetWindowIcon(app.window);
  int pixelWidth = 0, pixelHeight = 0;
  SDL_GetWindowSizeInPixels(app.window, &pixelWidth, &pixelHeight);
  LoadBackground(state, app.renderer, pixelHeight);

  if (playRequest) {
    state.selectedGame = *playRequest;
    const GameEntry& game = kGames[state.selectedGame];
    const std::string text = InstallStateText(state.installRoot, state.launcherVersion, game);
    std::string error;
    if (!text.empty())
      SetStatus(app.home, std::string(game.title) + ": " + text, true);
    else if (!LaunchGame(state, state.selectedGame, error))
      SetStatus(app.home, error, true);
  }
  if (state.gameProcess.id == 0) SDL_ShowWindow(app.window);  // else shown when the game ends

  ImGui::CreateContext();
  ImGuiIO& io = ImGui::GetIO();
  io.IniFilename = nullptr;
  io.ConfigFlags |= ImGuiConfigFlags_NavEnableKeyboard;
  ApplyTheme(s);
  app.fonts = LoadFonts(s);
  ImGui_ImplSDL3_InitForSDLRenderer(app.window, app.renderer);
  // ImGui never reads a gamepad itself: the home screen feeds it keys from padCodes.
  ImGui_ImplSDL3_SetGamepadMode(ImGui_ImplSDL3_GamepadMode_Manual, nullptr, 0);
  ImGui_ImplSDLRenderer3_Init(app.renderer);
  LoadGameSettings(state.installRoot, app.settings);
  return true;
}

void CloseLauncherWindow(LauncherApp& app) {
  SaveLauncherState(app.state);
  ImGui_ImplSDLRenderer3_Shutdown();
  ImGui_ImplSDL3_Shutdown();
  ImGui::DestroyContext();
  if (app.state.backgroundTexture) SDL_DestroyTexture(app.state.backgroundTexture);
  app.state.backgroundTexture = nullptr;
  SDL_DestroyRenderer(app.renderer);
  app.renderer = nullptr;
  SDL_DestroyWindow(app.window);
  app.window = nullptr;
  SDL_Quit();
}

int RunLauncher(const std::vector<std::string>& arguments, const RunOptions& options) {
  LauncherApp app;
  LauncherState& state = app.state;
  state.hostedMode = IsHostedMode(GetEnvVar("VADUREZIZUVAZO").value_or("").c_str());

  const CommandLine command = ScanCommandLine(arguments);
  if (command.prepare)
    return RunPrepare(arguments, options.installRoot.empty() ? FindInstallRoot() : options.installRoot);

  SDL_SetHint("SDL_HIDAPI_LIBUSB", "1");
  SDL_SetHint("SDL_HIDAPI_LIBUSB_GAMECUBE", "1");
  SDL_SetHint("SDL_JOYSTICK_HIDAPI_GAMECUBE", "1");
  const bool headless = command.playRequest && state.hostedMode;
  if (!headless && !SDL_Init(SDL_INIT_VIDEO | SDL_INIT_GAMEPAD)) {
    std::fprintf(stderr, "Could not initialise SDL: %s\n", SDL_GetError());
    return 1;
  }
  state.installRoot = options.installRoot.empty() ? FindInstallRoot() : options.installRoot;
  LoadLauncherState(state);
  state.launcherVersion = ReadLauncherVersion(state.installRoot);

  if (IsStatusRequest(arguments)) {
    WriteStatusFile(state.installRoot, state.launcherVersion);
    SDL_Quit();
    return 0;
  }
  if (headless) return RunHeadless(state, *command.playRequest);

  // The release check starts here once launcher updates exist (never for "dev" or hosted mode).
  if (!OpenLauncherWindow(app, command.playRequest)) {
    std::fprintf(stderr, "Could not create the window: %s\n", SDL_GetError());
    return 1;
  }
  RunFrameLoop(app, options.afterFrame);
  CloseLauncherWindow(app);
  return 0;
}

int LauncherMain(int argc, char** argv) {
  std::vector<std::string> arguments;
  for (int i = 0; i < argc; ++i) arguments.emplace_back(argv[i] ? argv[i] : "");
  return RunLauncher(arguments);
}

}  // namespace qm
