#include "setup/source_pickers.h"

#include <SDL3/SDL_dialog.h>
#include <SDL3/SDL_properties.h>
#include <imgui.h>

#include <cfloat>

#include "setup/build_runner.h"
#include "shell/catalogue.h"
#include "shell/install_state.h"
#include "shell/launcher_state.h"

namespace qm {

namespace {

constexpr const char* kPickFiles = "Pick your files. They stay on this PC; nothing is uploaded.";
constexpr const char* kBuilding =
    "Building on this PC. You can minimize this window; closing it does not stop the build.";

// SDL reads the filters when the dialog opens, on its own thread: they must outlive the call.
const SDL_DialogFileFilter kDiscFilters[] = {{"Wii disc image (.wbfs, .iso)", "wbfs;iso;rvz;gcz"}, {"All files", "*"}};
const SDL_DialogFileFilter kModFilters[] = {{"Mod download (.zip, .rar, .7z)", "zip;rar;7z"}, {"All files", "*"}};

void ShowDialog(const PickerContext& context, SDL_FileDialogType type, const std::string& title,
                const SDL_DialogFileFilter* filters) {
  const SDL_PropertiesID props = SDL_CreateProperties();
  SDL_SetPointerProperty(props, SDL_PROP_FILE_DIALOG_WINDOW_POINTER, context.window);
  SDL_SetStringProperty(props, SDL_PROP_FILE_DIALOG_TITLE_STRING, title.c_str());
  if (filters) {
    SDL_SetPointerProperty(props, SDL_PROP_FILE_DIALOG_FILTERS_POINTER, const_cast<SDL_DialogFileFilter*>(filters));
    SDL_SetNumberProperty(props, SDL_PROP_FILE_DIALOG_NFILTERS_NUMBER, 2);
  }
  SDL_SetBooleanProperty(props, SDL_PROP_FILE_DIALOG_MANY_BOOLEAN, false);
  SDL_ShowFileDialogWithProperties(type, FileDialogCallback, context.dialogResult, props);
  SDL_DestroyProperties(props);
}

StatusMessage Build(PickerContext& context) {
  std::string error;
  if (StartBuild(context.job, context.root, context.now, error)) return {kBuilding, false};
  context.job.phase = SetupPhase::SetupIdle;
  return {error, true};
}

}  // namespace

std::string DiscDialogTitle() { return "Pick your Super Smash Bros. Brawl (USA) disc image"; }
std::string ModFileDialogTitle(int game) {
  return "Pick " + std::string(kGames[game].sourceDescription) + " (.zip, .rar or .7z)";
}
std::string ModFolderDialogTitle(int game) {
  return "Pick the folder you extracted " + std::string(kGames[game].sourceDescription) + " to";
}

StatusMessage StartSetup(PickerContext context, int index) {
  SetupJob& job = context.job;
  job.game = index;
  job.discPath.clear();
  job.modPath.clear();
  if (DiscPresent(context.root)) {
    if (ModSourcePresent(context.root, kGames[index])) return Build(context);
    job.phase = SetupPhase::AskingModSource;
    return {kPickFiles, false};
  }
  job.phase = SetupPhase::PickingDisc;
  ShowDialog(context, SDL_FILEDIALOG_OPENFILE, DiscDialogTitle(), kDiscFilters);
  return {kPickFiles, false};
}

std::optional<StatusMessage> OnSourcePicked(PickerContext context, const std::string& text) {
  SetupJob& job = context.job;
  // An answer while no dialog is awaited cannot come from our flows; it is ignored.
  if (job.phase != SetupPhase::PickingDisc && job.phase != SetupPhase::PickingMod) return std::nullopt;
  if (text.empty()) {
    job.phase = SetupPhase::SetupIdle;  // cancelled: the status line keeps "Pick your files..."
    return std::nullopt;
  }
  if (job.phase == SetupPhase::PickingDisc) {
    job.discPath = text;
    if (!ModSourcePresent(context.root, kGames[job.game])) {
      job.phase = SetupPhase::AskingModSource;
      return std::nullopt;
    }
  } else {
    job.modPath = text;
  }
  return Build(context);
}

void FileDialogCallback(void* userdata, const char* const* filelist, int) {
  auto* slot = static_cast<DialogResult*>(userdata);
  std::lock_guard lock(slot->mutex);
  slot->text = filelist && filelist[0] ? filelist[0] : "";
  slot->ready = true;
}

void DrawModSourceWindow(PickerContext context, float s, ImFont* fontCardTitle) {
  SetupJob& job = context.job;
  const GameEntry& entry = kGames[job.game];
  const ImGuiViewport* viewport = ImGui::GetMainViewport();
  ImGui::SetNextWindowPos(viewport->GetCenter(), ImGuiCond_Always, ImVec2(0.5f, 0.5f));
  ImGui::SetNextWindowSizeConstraints(ImVec2(560 * s, 0), ImVec2(560 * s, FLT_MAX));
  ImGui::PushStyleColor(ImGuiCol_WindowBg, ImVec4(0.07f, 0.08f, 0.11f, 1.0f));
  ImGui::PushStyleColor(ImGuiCol_Border, ImVec4(1, 1, 1, 0.14f));
  ImGui::PushStyleVar(ImGuiStyleVar_WindowRounding, 14 * s);
  ImGui::PushStyleVar(ImGuiStyleVar_WindowBorderSize, 1.5f * s);
  ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, ImVec2(28 * s, 24 * s));
  ImGui::PushStyleVar(ImGuiStyleVar_FrameRounding, 10 * s);
  if (ImGui::Begin("##modchoice", nullptr,
                   ImGuiWindowFlags_NoTitleBar | ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoMove |
                       ImGuiWindowFlags_NoScrollbar | ImGuiWindowFlags_NoCollapse | ImGuiWindowFlags_AlwaysAutoResize |
                       ImGuiWindowFlags_NoSavedSettings)) {
    if (ImGui::IsWindowAppearing()) ImGui::SetWindowFocus();  // focused when it comes up, not held
    ImGui::PushFont(fontCardTitle, fontCardTitle->LegacySize);
    ImGui::Text("Where is %s?", std::string(entry.title).c_str());
    ImGui::PopFont();
    ImGui::Spacing();
    ImGui::TextWrapped("Pick %s the way you have it. Your files stay on this PC; nothing is uploaded.",
                       std::string(entry.sourceDescription).c_str());
    ImGui::Spacing();
    const float width = ImGui::GetContentRegionAvail().x;
    if (ImGui::Button("Download file  (.zip / .rar / .7z)", ImVec2(width, 46 * s))) {
      job.phase = SetupPhase::PickingMod;
      ShowDialog(context, SDL_FILEDIALOG_OPENFILE, ModFileDialogTitle(job.game), kModFilters);
    }
    if (ImGui::Button("Extracted folder", ImVec2(width, 46 * s))) {
      job.phase = SetupPhase::PickingMod;
      ShowDialog(context, SDL_FILEDIALOG_OPENFOLDER, ModFolderDialogTitle(job.game), nullptr);
    }
    ImGui::Spacing();
    if (ImGui::Button("Cancel", ImVec2(120 * s, 34 * s))) job.phase = SetupPhase::SetupIdle;
  }
  ImGui::End();
  ImGui::PopStyleVar(4);
  ImGui::PopStyleColor(2);
}

}  // namespace qm
