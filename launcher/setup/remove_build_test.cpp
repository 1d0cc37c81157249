#include "setup/remove_build.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "shell/install_state.h"
#include "temp_install.h"

namespace qm {
namespace {

using test::TempInstall;

TEST(RemoveBuild, CountsEveryFileAndFolder) {
  TempInstall install;
  install.Write("runtime/build/game.dll");
  for (int i = 0; i < 10; ++i) install.Write("runtime/build/gameobj/unit" + std::to_string(i) + ".o");
  install.Write("runtime/build/tarnwick", "kept");
  EXPECT_TRUE(GamePresent(install.root(), 0));
  EXPECT_EQ(RemoveGameBuild(install.root(), 0, false), "Super Smash Bros. Brawl removed (12 files).");
  EXPECT_TRUE(std::filesystem::exists(install.root() / "runtime" / "build" / "tarnwick"));
  EXPECT_FALSE(GamePresent(install.root(), 0));
}

TEST(RemoveBuild, DeletesWhatTheSetUpLeftAndKeepsTheRest) {
  TempInstall install;
  const char* made[] = {"runtime/build_pplus/game.dll",
                        "runtime/build_pplus/game.pdb",
                        "runtime/build_pplus/quillmarch_version.txt",
                        "generated_pplus/a.cpp",
                        "generated/kept.cpp",
                        "assets/pplus.elf",
                        "assets/pplus.functions.toml",
                        "assets/pplus.toggles.bin",
                        "assets/brawl.elf",
                        "Disc/DATA/sys/main.dol",
                        "settings.ini",
                        "Project+.v3.2.1.Wii/Project+ v3.2.1 (Wii)/Project+/pf/x"};
  for (const char* path : made) install.Write(path);
  EXPECT_EQ(RemoveGameBuild(install.root(), 1, false), "Project+ v3.2.1 removed (8 files).");
  for (const char* kept : {"generated/kept.cpp", "assets/brawl.elf", "Disc/DATA/sys/main.dol", "settings.ini"})
    EXPECT_TRUE(std::filesystem::exists(install.root() / kept)) << kept;
  EXPECT_EQ(InstallStateText(install.root(), "1.0", kGames[1]), "Set up: ready to build.");

  install.Write("assets/pplus.elf");
  // With the mod files: the first segment of the source folder goes too (5 entries below it).
  EXPECT_EQ(RemoveGameBuild(install.root(), 1, true), "Project+ v3.2.1 removed (6 files).");
  EXPECT_EQ(InstallStateText(install.root(), "1.0", kGames[1]), "Set up: needs your Project+ v3.2.1 (Wii) download.");

  // The brawl game never deletes mod files, and deletes "generated", not a "generated_" folder.
  install.Write("assets/brawl.elf");
  const auto paths = RemovalPaths(0, true);
  EXPECT_EQ(paths.size(), 13u);
  EXPECT_EQ(paths[4], std::filesystem::path("generated"));
  EXPECT_EQ(RemoveGameBuild(install.root(), 0, true), "Super Smash Bros. Brawl removed (3 files).");
  EXPECT_EQ(RemovalPaths(2, true).back(), TempInstall::Path("REX Release 0\u00bd Hotfix 1 - Wii"));
}

TEST(RemoveBuild, FilesInUseAreReportedAndTheRestGoes) {
  TempInstall install;
  install.Write("runtime/build/game.dll");
  install.Write("assets/brawl.elf");
  install.Write("assets/brawl.layout.bin");
  // Root ignores permissions; an immutable file stops even root, where the file system allows it.
  const std::string dll = (install.root() / "runtime" / "build" / "game.dll").string();
  if (std::system(("chattr +i '" + dll + "' 2>/dev/null").c_str()) != 0) GTEST_SKIP() << "no immutable files here";
  const std::string message = RemoveGameBuild(install.root(), 0, false);
  std::system(("chattr -i '" + dll + "'").c_str());
  EXPECT_EQ(message, "Super Smash Bros. Brawl removed (2 files). Some files were in use.");
  EXPECT_TRUE(std::filesystem::exists(dll));
  EXPECT_FALSE(std::filesystem::exists(install.root() / "assets" / "brawl.elf"));
}

TEST(RemoveBuild, AnImageAloneCountsAsPresent) {
  TempInstall install;
  EXPECT_FALSE(GamePresent(install.root(), 2));
  install.Write("assets/rex.elf");
  EXPECT_TRUE(GamePresent(install.root(), 2));
  EXPECT_EQ(RemoveGameBuild(install.root(), 2, false), "Super Smash REX 0\u00bd removed (1 files).");
}

}  // namespace
}  // namespace qm
