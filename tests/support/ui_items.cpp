// ImGui's item hooks (IMGUI_ENABLE_TEST_ENGINE): every item registers its box, and labelled items
// their label. Two frames are kept: the one being built and the last complete one.
#include "ui_items.h"

#include <imgui_internal.h>

#include <cstdarg>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace qm::test {
namespace {

struct Entry {
  ImGuiID id;
  std::string label;
  UiItem item;
};

struct Frames {
  int frame = -1;
  std::unordered_map<ImGuiID, UiItem> boxes, completeBoxes;  // boxes by id
  std::vector<Entry> building, complete;
};

Frames& Recorded() {
  static Frames frames;
  return frames;
}

void Roll(ImGuiContext* ctx) {
  Frames& f = Recorded();
  if (ctx->FrameCount != f.frame) {
    f.complete.swap(f.building);
    f.building.clear();
    f.completeBoxes.swap(f.boxes);
    f.boxes.clear();
    f.frame = ctx->FrameCount;
  }
}

}  // namespace

void RecordUiItems() {
  if (ImGuiContext* ctx = ImGui::GetCurrentContext()) ctx->TestEngineHookItems = true;
}

std::optional<UiItem> FindUiItem(std::string_view label, int nth) {
  for (const Entry& e : Recorded().complete)
    if (e.label == label && nth-- == 0) return e.item;
  return std::nullopt;
}

std::optional<UiItem> FindUiItemIn(const char* window, std::string_view label) {
  ImGuiWindow* w = ImGui::FindWindowByName(window);
  if (!w) return std::nullopt;
  const ImGuiID id = ImHashStr(label.data(), label.size(), w->ID);
  const auto& boxes = Recorded().completeBoxes;
  const auto found = boxes.find(id);
  if (found == boxes.end()) return std::nullopt;
  return found->second;
}

ImGuiID FocusedUiItem() { return ImGui::GetCurrentContext() ? ImGui::GetCurrentContext()->NavId : 0; }

}  // namespace qm::test

using qm::test::Recorded;

void ImGuiTestEngineHook_ItemAdd(ImGuiContext* ctx, ImGuiID id, const ImRect& bb, const ImGuiLastItemData* data) {
  qm::test::Roll(ctx);
  qm::test::UiItem item;
  item.id = id;
  item.min = bb.Min;
  item.max = bb.Max;
  item.disabled = data && (data->ItemFlags & ImGuiItemFlags_Disabled);
  Recorded().boxes[id] = item;
}

void ImGuiTestEngineHook_ItemInfo(ImGuiContext* ctx, ImGuiID id, const char* label, ImGuiItemStatusFlags) {
  qm::test::Roll(ctx);
  auto& f = Recorded();
  const auto box = f.boxes.find(id);
  if (label && box != f.boxes.end()) f.building.push_back({id, label, box->second});
}

void ImGuiTestEngineHook_Log(ImGuiContext*, const char*, ...) {}

const char* ImGuiTestEngine_FindItemDebugLabel(ImGuiContext*, ImGuiID) { return nullptr; }
