#include "shell/catalogue.h"

namespace qm {

const std::array<GameEntry, kGameCount> kGames = {{
    {"brawl",
     "Super Smash Bros. Brawl",
     "The original game (USA, Rev 2).",
     "build",
     "Disc/DATA",
     "the extracted disc (Disc/DATA)",
     "",
     {0.93f, 0.27f, 0.22f, 1.0f}},
    {"pplus",
     "Project+ v3.2.1",
     "Competitive Brawl mod, built in natively.",
     "build_pplus",
     "Project+.v3.2.1.Wii/Project+ v3.2.1 (Wii)",
     "your Project+ v3.2.1 (Wii) download",
     "Project+",
     {0.2f, 0.82f, 0.5f, 1.0f}},
    {"rex",
     "Super Smash REX 0\u00bd",
     "Project+ based mod with new fighters. Port in progress.",
     "build_rex",
     "REX Release 0\u00bd Hotfix 1 - Wii/REX Release 0\u00bd Hotfix 1 - Wii",
     "your REX 0\u00bd Hotfix 1 (Wii) download",
     "rex_",
     {0.9f, 0.2f, 0.45f, 1.0f}},
}};

const std::array<std::string_view, 3> kStateLabels = {"READY", "NOT SET UP", "SETTING UP"};

std::optional<int> FindGame(std::string_view text) {
  for (int i = 0; i < kGameCount; ++i)
    if (kGames[i].id == text) return i;
  return std::nullopt;
}

}  // namespace qm
