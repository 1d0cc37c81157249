#include "setup/remove_build.h"

#include <imgui.h>

#include "platform/fs.h"
#include "shell/catalogue.h"
#include "shell/install_state.h"
#include "shell/paths.h"

namespace qm {

bool GamePresent(const std::filesystem::path& root, int game) {
  const GameEntry& entry = kGames[game];
  return PathExists(GameDllPath(root, entry)) || PathExists(root / "assets" / Utf8Path(std::string(entry.id) + ".elf"));
}

std::vector<std::filesystem::path> RemovalPaths(int game, bool deleteModFiles) {
  const GameEntry& entry = kGames[game];
  const std::string id(entry.id);
  const std::filesystem::path build = std::filesystem::path("runtime") / Utf8Path(entry.buildFolder);
  std::vector<std::filesystem::path> paths = {build / "game.dll", build / "game.pdb", build / "gameobj",
                                              build / "quillmarch_version.txt",
                                              Utf8Path(game == 0 ? "generated" : "generated_" + id)};
  for (const char* suffix : {".elf", ".functions.toml", ".branches.bin", ".jumptargets.bin", ".layout.bin",
                             ".layout.json", ".splices.bin", ".toggles.bin"})
    paths.push_back(std::filesystem::path("assets") / Utf8Path(id + suffix));
  if (deleteModFiles && game != 0) {
    const std::string_view source = entry.sourceFolder;
    paths.push_back(Utf8Path(source.substr(0, source.find('/'))));
  }
  return paths;
}

std::string RemoveGameBuild(const std::filesystem::path& root, int game, bool alsoDeleteModFiles) {
  uint64_t count = 0;
  bool failed = false;
  for (const auto& relative : RemovalPaths(game, game != 0 && alsoDeleteModFiles)) {
    std::string error;
    const std::filesystem::path path = root / relative;
    if (!PathExists(path, &error)) {
      failed = failed || !error.empty();
      continue;
    }
    failed = !RemoveTree(path, count) || failed;
  }
  std::string message = std::string(kGames[game].title) + " removed (" + std::to_string(count) + " files).";
  if (failed) message += " Some files were in use.";
  return message;
}

void DrawRemoveSection(float s, bool busy, const std::filesystem::path& root, RemoveState& state) {
  ImGui::TextUnformatted("Remove a game");
  ImGui::Separator();
  ImGui::TextWrapped(
      "Deletes a game's build from this PC (about 1-2 GB). Your saves and settings stay; SET UP builds it again.");
  for (int i = 0; i < kGameCount; ++i) {
    const GameEntry& entry = kGames[i];
    ImGui::PushID(i);
    const bool present = GamePresent(root, i);
    ImGui::BeginDisabled(!present || busy);
    if (ImGui::Button("Remove")) ImGui::OpenPopup("confirm");
    ImGui::EndDisabled();
    ImGui::SameLine();
    const std::string title = std::string(entry.title) + (present ? "" : "  (not set up)");
    ImGui::TextUnformatted(title.c_str());
    if (ImGui::BeginPopupModal("confirm", nullptr, ImGuiWindowFlags_AlwaysAutoResize)) {
      ImGui::Text("Remove %s?", std::string(entry.title).c_str());
      if (i != 0)
        ImGui::Checkbox("Also delete the copied mod files (you will need the download again)",
                        &state.alsoDeleteModFiles);
      if (ImGui::Button("Remove", ImVec2(120 * s, 0))) {
        state.removeMessage = RemoveGameBuild(root, i, state.alsoDeleteModFiles);
        ImGui::CloseCurrentPopup();
      }
      ImGui::SameLine();
      if (ImGui::Button("Cancel", ImVec2(120 * s, 0))) ImGui::CloseCurrentPopup();
      ImGui::EndPopup();
    }
    ImGui::PopID();
  }
  if (!state.removeMessage.empty()) ImGui::TextDisabled("%s", state.removeMessage.c_str());
}

}  // namespace qm
