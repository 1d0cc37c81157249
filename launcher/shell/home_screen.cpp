#include "shell/home_screen.h"

#include <SDL3/SDL_timer.h>
#include <SDL3/SDL_video.h>

#include <cfloat>
#include <cmath>

#include "game/launch.h"
#include "game/settings_window.h"
#include "platform/env.h"
#include "setup/build_progress.h"
#include "setup/source_pickers.h"
#include "shell/app.h"
#include "shell/install_state.h"
#include "shell/launcher_ini.h"

namespace qm {

// --- Plain rules -------------------------------------------------------------------------------

PickerContext PickerContextOf(LauncherApp& app) {
  return PickerContext{app.setup, app.state.installRoot, app.window, &app.state.dialogResult, SDL_GetTicks() / 1000.0};
}

void SetStatus(HomeScreen& home, std::string text, bool isError) {
  home.statusText = std::move(text);
  home.statusIsError = isError;
}

std::string_view PlayLabel(bool ready, bool setupRunning, bool needsUpdate) {
  if (ready) return "PLAY";
  if (setupRunning) return "SETTING UP...";
  return needsUpdate ? "UPDATE GAME" : "SET UP";
}

std::string BadgeText(InstallStatus status, bool needsUpdate, bool building, int percent) {
  if (building) return "SETTING UP  " + std::to_string(percent) + "%";
  if (status == InstallStatus::NotSetUp && needsUpdate) return std::string(kUpdateLabel);
  return std::string(kStateLabels[int(status)]);
}

std::string CardSecondLine(const GameEntry& game, const std::string& stateText, const SetupJob& job, int index) {
  if (stateText.empty()) return std::string(game.description);
  if (!SetupBusyWith(job, index)) return stateText;
  return job.phase == SetupPhase::Building ? job.progressLine : "Pick your files...";
}

std::string FooterText(std::string_view launcherVersion, bool padSeen) {
  std::string text = "dev build";
  if (launcherVersion != "dev") {
    text = "v";
    text += launcherVersion;
  }
  text += padSeen ? "  \u00b7  Controller: A play, X settings, Y online, B back"
                  : "  \u00b7  Double-click or Enter to play  \u00b7  game output: logs/";
  return text;
}

PadOutcome ApplyPadCodes(const std::vector<int32_t>& codes, const PadContext& context, HomeScreen& home,
                         int& selectedGame) {
  PadOutcome outcome;
  for (const int32_t code : codes) {
    if (code == 1 && !context.modWindowUp) home.settingsOpen = home.onlineOpen = home.updatesOpen = false;
    if (context.windowUp) {
      switch (code) {
        case 0:
          outcome.navKeys.push_back(PadNavKey::Activate);
          break;
        case 11:
          outcome.navKeys.push_back(PadNavKey::Up);
          break;
        case 12:
          outcome.navKeys.push_back(PadNavKey::Down);
          break;
        case 13:
          outcome.navKeys.push_back(PadNavKey::Left);
          break;
        case 14:
          outcome.navKeys.push_back(PadNavKey::Right);
          break;
        default:
          break;
      }
      continue;
    }
    switch (code) {
      case 11:
        selectedGame = (selectedGame + 2) % kGameCount;
        break;
      case 12:
        selectedGame = (selectedGame + 1) % kGameCount;
        break;
      case 0:
      case 6:
        if (context.playEnabled) {
          home.launchRequest = home.launchRequest || context.ready;
          home.setupRequest = home.setupRequest || !context.ready;
        }
        break;
      case 2:
        home.settingsOpen = true;
        outcome.reloadSettings = true;
        break;
      case 3:
        home.onlineOpen = true;
        break;
      case 4:
        home.updatesOpen = !context.hostedMode;
        break;
      default:
        break;
    }
  }
  return outcome;
}

// --- Drawing -----------------------------------------------------------------------------------

namespace {

ImU32 Rgba(int r, int g, int b, int a) { return IM_COL32(r, g, b, a); }
ImU32 Col(ImVec4 c) { return ImGui::ColorConvertFloat4ToU32(c); }
ImVec4 WithAlpha(ImVec4 c, float a) { return ImVec4(c.x, c.y, c.z, a); }
ImVec4 Lerp(ImVec4 a, ImVec4 b, float t) {
  return ImVec4(a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, a.z + (b.z - a.z) * t, a.w + (b.w - a.w) * t);
}
ImVec4 Accent(int game) {
  const auto& a = kGames[game].accent;
  return ImVec4(a[0], a[1], a[2], a[3]);
}
void Smooth(float& value, float target, float rate, float dt) {
  value += (target - value) * (1.0f - std::exp(-rate * dt));
}
void Smooth(ImVec4& value, ImVec4 target, float rate, float dt) {
  value = Lerp(value, target, 1.0f - std::exp(-rate * dt));
}

void Text(ImDrawList* list, ImFont* font, ImVec2 pos, ImU32 colour, std::string_view text,
          const ImVec4* clip = nullptr) {
  list->AddText(font, font->LegacySize, pos, colour, text.data(), text.data() + text.size(), 0.0f, clip);
}
void ShadowedText(ImDrawList* list, ImFont* font, ImVec2 pos, float offset, ImU32 colour, std::string_view text) {
  Text(list, font, ImVec2(pos.x + offset, pos.y + offset), Rgba(0, 0, 0, 160), text);
  Text(list, font, pos, colour, text);
}
ImVec2 TextSize(ImFont* font, std::string_view text) {
  return font->CalcTextSizeA(font->LegacySize, FLT_MAX, 0.0f, text.data(), text.data() + text.size());
}

struct Frame {
  float s, W, H, t, dt, P, X0, X1;
};

void DrawBackground(LauncherApp& app, Frame& f) {
  ImDrawList* bg = ImGui::GetBackgroundDrawList();
  const LauncherState& state = app.state;
  const float s = f.s, W = f.W, H = f.H;
  const ImVec4 accent = app.home.accentNow;
  bg->AddRectFilled(ImVec2(0, 0), ImVec2(W, H), Rgba(8, 9, 14, 255));
  const ImTextureID art = ImTextureID(reinterpret_cast<intptr_t>(state.backgroundTexture));
  const float A = state.backgroundAspect;
  if (state.backgroundTexture) {
    const float h2 = W / A, y0 = -(h2 - H) * 0.38f, d = 10 * s * std::sin(0.12f * f.t);
    bg->AddImage(art, ImVec2(-12 * s + d, y0 - 12 * s), ImVec2(W + 12 * s + d, y0 + h2 + 12 * s), ImVec2(0, 0),
                 ImVec2(1, 1), Rgba(44, 46, 60, 255));
  }
  bg->AddRectFilledMultiColor(ImVec2(0, 0), ImVec2(W, H), Col(WithAlpha(accent, 0.1f)), Col(WithAlpha(accent, 0.05f)),
                              Rgba(4, 5, 9, 200), Rgba(4, 5, 9, 200));
  f.P = 0;
  if (state.backgroundTexture) {
    const float P = A * H;
    f.P = P;
    bg->AddImage(art, ImVec2(0, 0), ImVec2(P, H));
    bg->AddRectFilledMultiColor(ImVec2(P - 140 * s, 0), ImVec2(P + 2, H), Rgba(8, 9, 14, 0), Rgba(8, 9, 14, 235),
                                Rgba(8, 9, 14, 235), Rgba(8, 9, 14, 0));
    bg->AddRectFilled(ImVec2(P + 1, 0), ImVec2(W, H), Rgba(8, 9, 14, 175));
  }
  bg->AddRectFilledMultiColor(ImVec2(f.P, 0), ImVec2(W, 3 * s), Col(WithAlpha(accent, 0)), Col(WithAlpha(accent, 0.9f)),
                              Col(WithAlpha(accent, 0.9f)), Col(WithAlpha(accent, 0)));
  f.X0 = f.P + 44 * s;
  f.X1 = W - 44 * s;
}

void DrawTitle(LauncherApp& app, const Frame& f) {
  ImDrawList* list = ImGui::GetWindowDrawList();
  const float s = f.s;
  Text(list, app.fonts.fontTitle, ImVec2(f.X0 + 2 * s, 42 * s), Rgba(0, 0, 0, 160), "QUILLMARCH");
  Text(list, app.fonts.fontTitle, ImVec2(f.X0, 40 * s), Rgba(255, 255, 255, 255), "QUILLMARCH");
  Text(list, app.fonts.fontBody, ImVec2(f.X0 + 2 * s, 86 * s), Rgba(175, 182, 200, 255),
       "Brawl, natively recompiled. Choose your game.");
}

void DrawCards(LauncherApp& app, const Frame& f) {
  LauncherState& state = app.state;
  HomeScreen& home = app.home;
  ImDrawList* list = ImGui::GetWindowDrawList();
  const float s = f.s;
  float y = 133 * s;
  bool anyFocused = false;
  for (int i = 0; i < kGameCount; ++i) {
    const GameEntry& game = kGames[i];
    const std::string text = InstallStateText(state.installRoot, state.launcherVersion, game);
    const bool busy = !text.empty() && SetupBusyWith(app.setup, i);
    const InstallStatus status = text.empty() ? InstallStatus::Ready
                                 : busy       ? InstallStatus::SettingUp
                                              : InstallStatus::NotSetUp;
    const bool building = busy && app.setup.phase == SetupPhase::Building;

    ImGui::SetCursorScreenPos(ImVec2(f.X0, y));
    ImGui::PushID(i);
    if (ImGui::InvisibleButton("##card", ImVec2(f.X1 - f.X0, 104 * s))) state.selectedGame = i;
    ImGui::PopID();
    const bool hovered = ImGui::IsItemHovered();
    // Focus arriving on a card selects it; a card that merely keeps the focus does not override
    // a selection made since by the gamepad.
    if (ImGui::IsItemFocused()) {
      anyFocused = true;
      if (home.focusedCard != i) state.selectedGame = i;
      home.focusedCard = i;
    }
    if (hovered && ImGui::IsMouseDoubleClicked(ImGuiMouseButton_Left) && text.empty()) home.launchRequest = true;

    Smooth(home.cardHover[i], hovered ? 1.0f : 0.0f, 12, f.dt);
    Smooth(home.cardSelect[i], i == state.selectedGame ? 1.0f : 0.0f, 12, f.dt);
    const float h = home.cardHover[i], e = home.cardSelect[i];
    const ImVec4 c = Accent(i);
    const float shift = (3 * e + 2 * h) * s;
    const ImVec2 r0(f.X0 + shift, y), r1(f.X1 + shift, y + 104 * s);
    const float x = r0.x, ry = r0.y;

    if (e > 0.01f) DrawGlow(list, r0, r1, c, e, 12 * s, s);
    list->AddRectFilled(r0, r1, Rgba(16, 18, 26, int(170 + 40 * e)), 12 * s);
    list->AddRectFilledMultiColor(ImVec2(r0.x + 3.6f * s, r0.y), ImVec2(r1.x - 3.6f * s, r1.y),
                                  Col(WithAlpha(c, 0.05f * h + 0.18f * e)), Col(WithAlpha(c, 0)), Col(WithAlpha(c, 0)),
                                  Col(WithAlpha(c, 0.05f * h + 0.18f * e)));
    const ImVec4 outline = Lerp(ImVec4(1, 1, 1, 0.1f + 0.1f * h), ImVec4(c.x, c.y, c.z, 0.95f), e);
    list->AddRect(r0, r1, Col(outline), 12 * s, 0, (e + 1) * s);
    const ImVec4 bar = text.empty() ? c : ImVec4(0.45f, 0.47f, 0.52f, 1);
    list->AddRectFilled(ImVec2(x + 12 * s, ry + 18 * s), ImVec2(x + 16 * s, ry + 104 * s - 18 * s),
                        Col(WithAlpha(bar, 0.6f + 0.4f * e)), 2 * s);
    ShadowedText(list, app.fonts.fontCardTitle, ImVec2(x + 34 * s, ry + 18 * s), 1.5f * s,
                 text.empty() ? Rgba(248, 249, 252, 255) : Rgba(170, 174, 186, 255), game.title);

    const std::string badge = BadgeText(status, NeedsUpdate(text), building, app.setup.percent);
    const ImVec2 badgeSize = TextSize(app.fonts.fontSmall, badge);
    const ImVec2 p0(r1.x - 18 * s - 20 * s - badgeSize.x, ry + 18 * s),
        p1(r1.x - 18 * s, ry + 18 * s + badgeSize.y + 8 * s);
    const ImVec4 base = status == InstallStatus::Ready       ? ImVec4(0.3f, 0.85f, 0.52f, 1)
                        : status == InstallStatus::SettingUp ? ImVec4(0.95f, 0.42f, 0.36f, 1)
                                                             : ImVec4(0.95f, 0.7f, 0.3f, 1);
    list->AddRectFilled(p0, p1, Col(WithAlpha(base, 0.16f)), 20 * s);
    list->AddRect(p0, p1, Col(WithAlpha(base, 0.55f)), 20 * s, 0, 1.0f);
    Text(list, app.fonts.fontSmall, ImVec2(p0.x + 10 * s, p0.y + 4 * s), Col(base), badge);

    const ImVec4 clip(r0.x, r0.y, r1.x - 18 * s, r1.y);
    Text(list, app.fonts.fontBody, ImVec2(x + 34 * s, ry + 18 * s + 4 * s + 23 * s), Rgba(178, 184, 200, 255),
         CardSecondLine(game, text, app.setup, i), &clip);
    if (building) DrawBuildProgress(list, r0, r1, c, s, app.fonts.fontSmall, app.setup, SDL_GetTicks() / 1000.0, f.t);
    y += 104 * s + 16 * s;
  }
  if (!anyFocused) home.focusedCard = -1;
}

void DrawStatusAndButtons(LauncherApp& app, const Frame& f) {
  HomeScreen& home = app.home;
  const float s = f.s;
  if (!home.statusText.empty()) {
    ImGui::SetCursorScreenPos(ImVec2(f.X0, f.H - 92 * s - 40 * s));
    ImGui::PushTextWrapPos(f.X1);
    ImGui::PushStyleColor(ImGuiCol_Text,
                          home.statusIsError ? ImVec4(1.0f, 0.55f, 0.48f, 1) : ImVec4(0.7f, 0.74f, 0.82f, 1));
    ImGui::TextUnformatted(home.statusText.c_str());
    ImGui::PopStyleColor();
    ImGui::PopTextWrapPos();
  }
  ImGui::SetCursorScreenPos(ImVec2(f.X0, f.H - 92 * s + 16 * s));
  ImGui::Checkbox("Fullscreen", &app.state.gameFullscreen);
  ImGui::SameLine(0, 24 * s);
  if (ImGui::Button("Online...")) home.onlineOpen = true;
  ImGui::SameLine(0, 16 * s);
  ImGui::BeginDisabled(app.state.hostedMode);
  if (ImGui::Button("Updates...")) home.updatesOpen = true;
  ImGui::EndDisabled();
  ImGui::SameLine(0, 16 * s);
  if (ImGui::Button("Settings...")) {
    home.settingsOpen = true;
    LoadGameSettings(app.state.installRoot, app.settings);
  }
  ImGui::SameLine(0, 16 * s);
  // Log collection comes with its own subsystem; until then the button shows what it will do.
  ImGui::BeginDisabled(true);
  ImGui::Button("Collect logs");
  ImGui::EndDisabled();
  if (ImGui::IsItemHovered(ImGuiHoveredFlags_AllowWhenDisabled))
    ImGui::SetTooltip("Zips the game, set up and online logs onto your Desktop, for bug reports.");
}

struct PlayState {
  bool ready, enabled;
};

PlayState DrawPlayButton(LauncherApp& app, const Frame& f) {
  LauncherState& state = app.state;
  HomeScreen& home = app.home;
  ImDrawList* list = ImGui::GetWindowDrawList();
  const float s = f.s;
  const std::string text = InstallStateText(state.installRoot, state.launcherVersion, kGames[state.selectedGame]);
  const bool ready = text.empty();
  const bool idle = app.setup.phase == SetupPhase::SetupIdle;
  const bool enabled = ready || idle;

  const ImVec2 b0(f.X1 - 230 * s, f.H - 92 * s), b1(b0.x + 230 * s, b0.y + 60 * s);
  ImGui::SetCursorScreenPos(b0);
  ImGui::BeginDisabled(!enabled);
  const bool clicked = ImGui::InvisibleButton("##play", ImVec2(230 * s, 60 * s));
  const bool hovered = ImGui::IsItemHovered(), held = ImGui::IsItemActive();
  ImGui::EndDisabled();
  Smooth(home.playHover, enabled && hovered ? 1.0f : 0.0f, 12, f.dt);
  const float ph = home.playHover;
  const ImVec4 accent = home.accentNow;

  if (!enabled) {
    list->AddRectFilled(b0, b1, Rgba(40, 42, 50, 220), 12 * s);
    list->AddRect(b0, b1, Rgba(255, 255, 255, 30), 12 * s, 0, 1.0f);
  } else {
    const float pulse = 0.55f + 0.45f * (0.5f + 0.5f * std::sin(2.6f * f.t));
    DrawGlow(list, b0, b1, accent, (0.7f + 0.3f * ph) * pulse, 12 * s, s);
    const float darken = held ? 0.35f : 0.15f;
    const ImVec4 fill(accent.x * (1 - darken), accent.y * (1 - darken), accent.z * (1 - darken),
                      accent.w + (1 - accent.w) * darken);
    list->AddRectFilled(b0, b1, Col(fill), 12 * s);
    const ImVec4 light = Lerp(accent, ImVec4(1, 1, 1, 1), 0.18f + 0.12f * ph);
    list->AddRectFilledMultiColor(ImVec2(b0.x + 6 * s, b0.y), ImVec2(b1.x - 6 * s, b0.y + 30 * s),
                                  Col(WithAlpha(light, 0.9f)), Col(WithAlpha(light, 0.9f)), Col(WithAlpha(light, 0)),
                                  Col(WithAlpha(light, 0)));
    list->AddRect(b0, b1, Rgba(255, 255, 255, int(60 + 60 * ph)), 12 * s, 0, 1.5f * s);
    const float u = std::fmod(0.45f * f.t, 1.6f) - 0.3f;
    if (u > 0 && u < 1) {
      const float cx = b0.x + 230 * s * u;
      list->AddRectFilledMultiColor(ImVec2(cx - 30 * s, b0.y + 2 * s), ImVec2(cx + 30 * s, b1.y - 2 * s),
                                    Rgba(255, 255, 255, 0), Rgba(255, 255, 255, 40), Rgba(255, 255, 255, 40),
                                    Rgba(255, 255, 255, 0));
    }
  }
  const std::string_view label = PlayLabel(ready, !idle, NeedsUpdate(text));
  const ImVec2 size = TextSize(app.fonts.fontButton, label);
  const ImVec2 pos(b0.x + (230 * s - size.x) / 2, b0.y + (60 * s - size.y) / 2 - 1 * s);
  ShadowedText(list, app.fonts.fontButton, pos, 1.5f * s, enabled ? Rgba(255, 255, 255, 255) : Rgba(140, 144, 156, 255),
               label);
  if (clicked && ready) home.launchRequest = true;
  if (clicked && !ready) home.setupRequest = true;
  return {ready, enabled};
}

void DrawFooter(LauncherApp& app, const Frame& f) {
  Text(ImGui::GetWindowDrawList(), app.fonts.fontSmall, ImVec2(f.X0, f.H - 24 * f.s), Rgba(120, 126, 142, 255),
       FooterText(app.state.launcherVersion, app.state.padSeen));
}

ImGuiKey NavKeyFor(PadNavKey key) {
  switch (key) {
    case PadNavKey::Activate:
      return ImGuiKey_Space;
    case PadNavKey::Up:
      return ImGuiKey_UpArrow;
    case PadNavKey::Down:
      return ImGuiKey_DownArrow;
    case PadNavKey::Left:
      return ImGuiKey_LeftArrow;
    case PadNavKey::Right:
      return ImGuiKey_RightArrow;
    default:
      return ImGuiKey_None;
  }
}

}  // namespace

void DrawHomeScreen(LauncherApp& app) {
  LauncherState& state = app.state;
  HomeScreen& home = app.home;
  const ImGuiIO& io = ImGui::GetIO();
  home.launchRequest = home.setupRequest = false;
  const bool modWindowUp = app.setup.phase == SetupPhase::AskingModSource;
  const bool windowUp = home.settingsOpen || home.onlineOpen || home.updatesOpen || modWindowUp;

  Frame f{};
  f.s = app.scale;
  f.W = io.DisplaySize.x;
  f.H = io.DisplaySize.y;
  f.t = float(ImGui::GetTime());
  f.dt = std::min(io.DeltaTime, 0.05f);
  if (!home.accentStarted) {
    home.accentNow = Accent(state.selectedGame);
    home.accentStarted = true;
  }
  Smooth(home.fade, 1.0f, 6, f.dt);
  Smooth(home.accentNow, Accent(state.selectedGame), 8, f.dt);

  ImGui::SetNextWindowPos(ImVec2(0, 0));
  ImGui::SetNextWindowSize(io.DisplaySize);
  ImGui::PushStyleVar(ImGuiStyleVar_Alpha, home.fade);
  ImGui::Begin("##launcher", nullptr,
               ImGuiWindowFlags_NoTitleBar | ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoMove |
                   ImGuiWindowFlags_NoScrollbar | ImGuiWindowFlags_NoCollapse | ImGuiWindowFlags_NoBackground |
                   ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoBringToFrontOnFocus);
  DrawBackground(app, f);
  DrawTitle(app, f);
  // The online connection and the online and updates windows are serviced and drawn here, before
  // the cards, by their own subsystems.
  const bool gameRuns = state.gameProcess.id != 0;
  const bool canOpenControls =
      home.settingsOpen && !gameRuns &&
      InstallStateText(state.installRoot, state.launcherVersion, kGames[state.selectedGame]).empty();
  bool openControls = false;
  DrawSettingsWindow(home.settingsOpen, f.s, canOpenControls, openControls,
                     app.setup.phase != SetupPhase::SetupIdle || gameRuns, app.settings, state.installRoot,
                     app.removeState);
  if (openControls) {
    SetEnvVar("TW_OPEN_CONTROLS", "1");
    home.launchRequest = true;
  }
  DrawCards(app, f);
  DrawStatusAndButtons(app, f);
  const PlayState play = DrawPlayButton(app, f);
  DrawFooter(app, f);

  if (play.enabled && ImGui::IsKeyPressed(ImGuiKey_Enter, false) && !ImGui::IsAnyItemActive()) {
    home.launchRequest = play.ready || home.launchRequest;
    home.setupRequest = !play.ready;
  }
  if (state.gameProcess.id == 0 && app.window && (SDL_GetWindowFlags(app.window) & SDL_WINDOW_INPUT_FOCUS)) {
    PadContext context{windowUp, modWindowUp, play.enabled, play.ready, state.hostedMode};
    const PadOutcome outcome = ApplyPadCodes(state.padCodes, context, home, state.selectedGame);
    if (outcome.reloadSettings) LoadGameSettings(state.installRoot, app.settings);
    for (const PadNavKey key : outcome.navKeys) {
      ImGui::GetIO().AddKeyEvent(NavKeyFor(key), true);
      ImGui::GetIO().AddKeyEvent(NavKeyFor(key), false);
    }
  }
  ImGui::End();
  ImGui::PopStyleVar();
  if (app.setup.phase == SetupPhase::AskingModSource)
    DrawModSourceWindow(PickerContextOf(app), f.s, app.fonts.fontCardTitle);
}

void ApplyHomeRequests(LauncherApp& app) {
  LauncherState& state = app.state;
  HomeScreen& home = app.home;
  const bool ready = InstallStateText(state.installRoot, state.launcherVersion, kGames[state.selectedGame]).empty();
  if (home.setupRequest && app.setup.phase == SetupPhase::SetupIdle && !ready) {
    SaveLauncherState(state);
    const StatusMessage message = StartSetup(PickerContextOf(app), state.selectedGame);
    SetStatus(home, message.text, message.isError);
  } else if (home.launchRequest && ready) {
    SaveLauncherState(state);
    std::string error;
    const bool started = LaunchGame(state, state.selectedGame, error);
    UnsetEnvVar("TW_NET");
    UnsetEnvVar("TW_NET_PLAYERS");
    UnsetEnvVar("TW_OPEN_CONTROLS");
    if (!started) {
      SetStatus(home, error, true);
    } else {
      SetStatus(home, "", false);
      SDL_HideWindow(app.window);
    }
  }
  home.launchRequest = home.setupRequest = false;
}

}  // namespace qm
