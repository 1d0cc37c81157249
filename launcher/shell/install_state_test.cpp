#include "shell/install_state.h"

#include <gtest/gtest.h>

#include <vector>

#include "temp_install.h"

namespace qm {
namespace {

using test::TempInstall;

constexpr const char* kNeedsDisc = "Set up: needs your Brawl (USA) disc image.";
constexpr const char* kReadyToBuild = "Set up: ready to build.";
const std::string kDisc = "Disc/DATA/sys/main.dol";
const std::string kPplusMarker = "Project+.v3.2.1.Wii/Project+ v3.2.1 (Wii)/Project+/pf/";
const std::string kRexMarker = "REX Release 0\u00bd Hotfix 1 - Wii/REX Release 0\u00bd Hotfix 1 - Wii/rex_/pf/";

struct File {
  std::string path;  // ends in '/' for a folder
  std::string content;
};

struct StateCase {
  const char* name;
  std::vector<File> files;
  std::string version;
  int game;
  std::string expected;
};

void PrintTo(const StateCase& c, std::ostream* os) { *os << c.name; }

class InstallStateTable : public ::testing::TestWithParam<StateCase> {};

TEST_P(InstallStateTable, GivesTheStateText) {
  const StateCase& c = GetParam();
  TempInstall install;
  for (const File& f : c.files) {
    if (f.path.back() == '/')
      install.MakeDir(f.path);
    else
      install.Write(f.path, f.content);
  }
  EXPECT_EQ(InstallStateText(install.root(), c.version, kGames[c.game]), c.expected);
}

const std::string kBrawlBuilt[] = {"assets/brawl.elf", "runtime/build/game.dll"};

INSTANTIATE_TEST_SUITE_P(
    Cases, InstallStateTable,
    ::testing::Values(
        StateCase{"FreshInstallBrawl", {}, "1.0.0", 0, kNeedsDisc},
        StateCase{"FreshInstallPplus", {}, "1.0.0", 1, kNeedsDisc},
        StateCase{"FreshInstallRex", {}, "1.0.0", 2, kNeedsDisc},
        StateCase{"DiscOnlyBrawl", {{kDisc, ""}}, "1.0.0", 0, kReadyToBuild},
        StateCase{"DiscOnlyPplus", {{kDisc, ""}}, "1.0.0", 1, "Set up: needs your Project+ v3.2.1 (Wii) download."},
        StateCase{"DiscOnlyRex", {{kDisc, ""}}, "1.0.0", 2, "Set up: needs your REX 0\u00bd Hotfix 1 (Wii) download."},
        StateCase{"DiscFolderCountsToo", {{kDisc + "/", ""}}, "1.0.0", 0, kReadyToBuild},
        StateCase{"DiscAndPplusMarker", {{kDisc, ""}, {kPplusMarker, ""}}, "1.0.0", 1, kReadyToBuild},
        StateCase{"DiscAndRexMarkerNonAsciiPath", {{kDisc, ""}, {kRexMarker, ""}}, "1.0.0", 2, kReadyToBuild},
        StateCase{"ImageWithoutGameDll", {{kDisc, ""}, {"assets/brawl.elf", ""}}, "1.0.0", 0, kReadyToBuild},
        StateCase{"GameDllWithoutImage", {{"runtime/build/game.dll", ""}}, "1.0.0", 0, kNeedsDisc},
        StateCase{"BuiltStampMissing", {{kBrawlBuilt[0], ""}, {kBrawlBuilt[1], ""}}, "1.3.0", 0, ""},
        StateCase{"BuiltStampEmpty",
                  {{kBrawlBuilt[0], ""}, {kBrawlBuilt[1], ""}, {"runtime/build/quillmarch_version.txt", ""}},
                  "1.3.0",
                  0,
                  ""},
        StateCase{"BuiltStampEqual",
                  {{kBrawlBuilt[0], ""}, {kBrawlBuilt[1], ""}, {"runtime/build/quillmarch_version.txt", "1.3.0\r\n"}},
                  "1.3.0",
                  0,
                  ""},
        StateCase{"BuiltStampDifferent",
                  {{kBrawlBuilt[0], ""}, {kBrawlBuilt[1], ""}, {"runtime/build/quillmarch_version.txt", "1.2.0\n"}},
                  "1.3.0",
                  0,
                  "Updated to 1.3.0: press UPDATE GAME to rebuild (only changed parts, a few minutes)."},
        StateCase{"BuiltStampTrailingSpace",
                  {{kBrawlBuilt[0], ""}, {kBrawlBuilt[1], ""}, {"runtime/build/quillmarch_version.txt", "1.2.0 \n"}},
                  "1.2.0",
                  0,
                  "Updated to 1.2.0: press UPDATE GAME to rebuild (only changed parts, a few minutes)."},
        StateCase{"DevWithDev",
                  {{kBrawlBuilt[0], ""}, {kBrawlBuilt[1], ""}, {"runtime/build/quillmarch_version.txt", "dev"}},
                  "dev",
                  0,
                  ""},
        StateCase{"NotBuiltStampDifferentSourcesPresent",
                  {{kDisc, ""}, {kPplusMarker, ""}, {"runtime/build_pplus/quillmarch_version.txt", "1.2.0"}},
                  "1.3.0",
                  1,
                  "Updated to 1.3.0: press UPDATE GAME to rebuild (a few minutes; downloads the compiler once)."},
        StateCase{"NotBuiltStampDifferentModMissing",
                  {{kDisc, ""}, {"runtime/build_pplus/quillmarch_version.txt", "1.2.0"}},
                  "1.3.0",
                  1,
                  "Set up: needs your Project+ v3.2.1 (Wii) download."},
        StateCase{"NotBuiltStampDifferentDiscMissing",
                  {{"runtime/build/quillmarch_version.txt", "1.2.0"}},
                  "1.3.0",
                  0,
                  kNeedsDisc},
        StateCase{"NotBuiltStampEqualSourcesPresent",
                  {{kDisc, ""}, {"runtime/build/quillmarch_version.txt", "1.3.0"}},
                  "1.3.0",
                  0,
                  kReadyToBuild}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(InstallState, StatusAndUpdateFollowTheText) {
  EXPECT_EQ(StatusOf(""), InstallStatus::Ready);
  EXPECT_EQ(StatusOf(kNeedsDisc), InstallStatus::NotSetUp);
  EXPECT_TRUE(NeedsUpdate("Updated to 1.3.0: press UPDATE GAME to rebuild (only changed parts, a few minutes)."));
  EXPECT_TRUE(NeedsUpdate("Updated to"));
  EXPECT_FALSE(NeedsUpdate("Updated t"));
  EXPECT_FALSE(NeedsUpdate(kReadyToBuild));
  EXPECT_FALSE(NeedsUpdate(""));
}

TEST(InstallState, PathsHangOffTheBuildFolder) {
  const Path root = "/install";
  EXPECT_EQ(GameDllPath(root, kGames[1]), Path("/install/runtime/build_pplus/game.dll"));
  EXPECT_EQ(GameExePath(root, kGames[2]).parent_path(), Path("/install/runtime/build_rex"));
  EXPECT_EQ(BuildStampPath(root, kGames[0]), Path("/install/runtime/build/quillmarch_version.txt"));
}

TEST(InstallState, ErrorsOtherThanNotFoundReadAsAbsent) {
  TempInstall install;
  // "Disc" is a file, so every path below it fails with "not a directory".
  install.Write("Disc", "not a folder");
  EXPECT_EQ(InstallStateText(install.root(), "1.0.0", kGames[0]), kNeedsDisc);
}

}  // namespace
}  // namespace qm
