// Where the widgets of the last complete ImGui frame are, by label, recorded through ImGui's item
// hooks (test builds compile ImGui with them). Window tests click and drag them like a person.
#pragma once

#include <imgui.h>

#include <optional>
#include <string>
#include <string_view>

namespace qm::test {

struct UiItem {
  ImGuiID id = 0;
  ImVec2 min, max;
  bool disabled = false;
  ImVec2 Centre() const { return ImVec2((min.x + max.x) / 2, (min.y + max.y) / 2); }
};

// Starts recording in the current ImGui context.
void RecordUiItems();

// The `nth` item (0 first) labelled `label` in the last complete frame.
std::optional<UiItem> FindUiItem(std::string_view label, int nth = 0);

// An item of `window` by its label, for widgets that register no label (combos): its id is the
// label hashed in the window.
std::optional<UiItem> FindUiItemIn(const char* window, std::string_view label);

// The item that has the keyboard / gamepad focus, 0 for none.
ImGuiID FocusedUiItem();

}  // namespace qm::test
