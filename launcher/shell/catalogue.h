// The fixed catalogue of the three games the launcher offers. The index of a row (0, 1, 2) is the
// game number used everywhere: the selected game, the one being set up, played or played online.
#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace qm {

struct GameEntry {
  std::string_view id;
  std::string_view title;
  std::string_view description;
  std::string_view buildFolder;
  std::string_view sourceFolder;       // relative to the install root; '/' separates segments
  std::string_view sourceDescription;  // how the source is named to the user
  std::string_view markerFolder;       // inside sourceFolder; empty for the Brawl game (no mod)
  std::array<float, 4> accent;         // red, green, blue, alpha, each 0..1
};

constexpr int kGameCount = 3;
extern const std::array<GameEntry, kGameCount> kGames;

enum class InstallStatus { Ready = 0, NotSetUp = 1, SettingUp = 2 };

// Badge texts indexed by InstallStatus, and the fourth badge for a game that needs a rebuild.
extern const std::array<std::string_view, 3> kStateLabels;
constexpr std::string_view kUpdateLabel = "UPDATE";

// Index of the row whose id equals `text` byte for byte, or none.
std::optional<int> FindGame(std::string_view text);

}  // namespace qm
