#include "game/settings_window.h"

#include <imgui.h>

#include <cfloat>
#include <cstdio>
#include <string>

namespace qm {

const std::array<std::string_view, 6> kResolutions = {"1280x720",  "1600x900",  "1920x1080",
                                                      "2560x1440", "3200x1800", "3840x2160"};
const std::array<Choice, 2> kMsaaChoices = {{{1, "", "Off"}, {4, "", "4x"}}};
const std::array<Choice, 5> kAnisoChoices = {
    {{1, "", "Off"}, {2, "", "2x"}, {4, "", "4x"}, {8, "", "8x"}, {16, "", "16x"}}};
const std::array<Choice, 4> kBackendChoices = {
    {{0, "auto", "Automatic"}, {1, "d3d12", "Direct3D 12"}, {2, "vulkan", "Vulkan"}, {3, "d3d11", "Direct3D 11"}}};

int MsaaIndex(const GameSettings& settings) { return settings.gfx_msaa == 4 ? 1 : 0; }

int AnisoIndex(const GameSettings& settings) {
  switch (settings.gfx_aniso) {
    case 16:
      return 4;
    case 8:
      return 3;
    case 4:
      return 2;
    case 2:
      return 1;
    default:
      return 0;
  }
}

int BackendIndex(const GameSettings& settings) {
  if (settings.gfx_backend == "vulkan") return 2;
  if (settings.gfx_backend == "d3d12") return 1;
  if (settings.gfx_backend == "d3d11") return 3;
  return 0;
}

namespace {

ImVec4 Dimmed() { return ImGui::GetStyle().Colors[ImGuiCol_TextDisabled]; }

// A combo over a choice table; true when the user picked an entry other than the current one.
template <size_t N>
bool ChoiceCombo(const char* label, const std::array<Choice, N>& choices, int current, int& picked) {
  bool changed = false;
  if (ImGui::BeginCombo(label, choices[current].label.data())) {
    for (int i = 0; i < int(N); ++i) {
      if (ImGui::Selectable(choices[i].label.data(), i == current) && i != current) {
        picked = i;
        changed = true;
      }
      if (i == current) ImGui::SetItemDefaultFocus();
    }
    ImGui::EndCombo();
  }
  return changed;
}

bool VolumeSlider(const char* text, const char* id, int32_t& value) {
  ImGui::TextUnformatted(text);
  ImGui::SetNextItemWidth(-1);  // the full width of the window
  int v = value;
  const bool changed = ImGui::SliderInt(id, &v, 0, 100, "%d%%");
  value = v;
  return changed;
}

void DrawVolume(GameSettings& settings, const std::filesystem::path& root) {
  ImGui::TextUnformatted("Volume");
  ImGui::Separator();
  bool changed = VolumeSlider("Master", "##master", settings.master);
  changed |= VolumeSlider("Music", "##music", settings.music);
  changed |= VolumeSlider("Sound effects and voices", "##sfx", settings.sfx);
  if (changed) SaveGameSettings(root, settings);
  ImGui::Spacing();
  if (ImGui::Button("Reset to 100%")) {
    settings.master = settings.music = settings.sfx = 100;
    SaveGameSettings(root, settings);
  }
  ImGui::Spacing();
  ImGui::TextColored(Dimmed(),
                     "Applies the next time a game starts. Works in all three games and online\n"
                     "(only your own speakers change).");
  ImGui::Spacing();
}

void DrawGraphics(GameSettings& settings, const std::filesystem::path& root, float s) {
  ImGui::TextUnformatted("Graphics");
  ImGui::Separator();
  bool changed = false;
  char preview[32];
  std::snprintf(preview, sizeof preview, "%dx%d", int(settings.window_width), int(settings.window_height));
  ImGui::SetNextItemWidth(220 * s);
  if (ImGui::BeginCombo("Window resolution", preview)) {
    for (std::string_view entry : kResolutions) {
      const bool current = entry == preview;
      // Picking the current entry again counts as a change too.
      if (ImGui::Selectable(entry.data(), current)) {
        int w = 0, h = 0;
        if (std::sscanf(entry.data(), "%dx%d", &w, &h) == 2) {
          settings.window_width = w;
          settings.window_height = h;
          changed = true;
        }
      }
      if (current) ImGui::SetItemDefaultFocus();
    }
    ImGui::EndCombo();
  }
  int picked = 0;
  ImGui::SetNextItemWidth(220 * s);
  if (ChoiceCombo("Anti-aliasing (MSAA)", kMsaaChoices, MsaaIndex(settings), picked)) {
    settings.gfx_msaa = kMsaaChoices[picked].value;
    changed = true;
  }
  ImGui::SetNextItemWidth(220 * s);
  if (ChoiceCombo("Anisotropic filtering", kAnisoChoices, AnisoIndex(settings), picked)) {
    settings.gfx_aniso = kAnisoChoices[picked].value;
    changed = true;
  }
  ImGui::SetNextItemWidth(220 * s);
  if (ChoiceCombo("Graphics API", kBackendChoices, BackendIndex(settings), picked)) {
    settings.gfx_backend = kBackendChoices[picked].word;
    changed = true;
  }
  changed |= ImGui::Checkbox("VSync", &settings.gfx_vsync);
  if (changed) SaveGameSettings(root, settings);
  ImGui::TextColored(Dimmed(), "In a game: F10 or L3+R3 opens the same settings.");
  ImGui::Spacing();
}

void DrawControls(bool& open, bool canOpenControls, bool& openControls) {
  ImGui::TextUnformatted("Controls");
  ImGui::Separator();
  ImGui::TextWrapped(
      "Rebind buttons, sticks and triggers for players 1-4 (keyboard or any controller). In a game, press F1 at "
      "any time. Saved for all three games.");
  ImGui::BeginDisabled(!canOpenControls);
  if (ImGui::Button("Open controls (starts the selected game)")) {
    openControls = true;
    open = false;
  }
  ImGui::EndDisabled();
  if (!canOpenControls) ImGui::TextColored(Dimmed(), "Set up the selected game first.");
  ImGui::Spacing();
}

}  // namespace

void DrawSettingsWindow(bool& open, float scale, bool canOpenControls, bool& openControls, bool busy,
                        GameSettings& settings, const std::filesystem::path& installRoot, RemoveState& removeState) {
  if (!open) return;
  const float s = scale;
  const ImGuiViewport* viewport = ImGui::GetMainViewport();
  // 520s wide, as high as the contents: the constraint keeps automatic resizing to the height.
  ImGui::SetNextWindowSizeConstraints(ImVec2(520 * s, 0), ImVec2(520 * s, FLT_MAX));
  ImGui::SetNextWindowPos(viewport->GetCenter(), ImGuiCond_Appearing, ImVec2(0.5f, 0.5f));
  ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, ImVec2(22 * s, 18 * s));
  const bool visible =
      ImGui::Begin("Settings", &open,
                   ImGuiWindowFlags_NoCollapse | ImGuiWindowFlags_AlwaysAutoResize | ImGuiWindowFlags_NoSavedSettings);
  ImGui::PopStyleVar();
  if (visible) {
    DrawVolume(settings, installRoot);
    DrawGraphics(settings, installRoot, s);
    DrawControls(open, canOpenControls, openControls);
    // The "Add to Steam" section goes here, before "Remove a game".
    DrawRemoveSection(s, busy, installRoot, removeState);
  }
  ImGui::End();
}

}  // namespace qm
