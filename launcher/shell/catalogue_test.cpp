#include "shell/catalogue.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

TEST(Catalogue, FindGameIsExactAndCaseSensitive) {
  struct Case {
    const char* text;
    std::optional<int> expected;
  } cases[] = {{"brawl", 0},       {"pplus", 1},           {"rex", 2}, {"Brawl", std::nullopt}, {"rex ", std::nullopt},
               {"", std::nullopt}, {"build", std::nullopt}};
  for (const Case& c : cases) EXPECT_EQ(FindGame(c.text), c.expected) << c.text;
}

TEST(Catalogue, RexTextsCarryTheOneHalfSign) {
  // U+00BD is two bytes in UTF-8: C2 BD.
  EXPECT_EQ(kGames[2].title, "Super Smash REX 0\xC2\xBD");
  EXPECT_EQ(kGames[2].sourceDescription, "your REX 0\xC2\xBD Hotfix 1 (Wii) download");
  EXPECT_TRUE(kGames[0].markerFolder.empty());
  EXPECT_EQ(kStateLabels[int(InstallStatus::SettingUp)], "SETTING UP");
}

}  // namespace
}  // namespace qm
