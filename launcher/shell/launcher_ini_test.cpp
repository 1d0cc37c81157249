#include "shell/launcher_ini.h"

#include <gtest/gtest.h>

#include "shell/launcher_state.h"
#include "temp_install.h"

namespace qm {
namespace {

TEST(LauncherIni, ReadsSelectionAndFullscreen) {
  struct Case {
    const char* text;
    int selected;
    bool fullscreen;
  } cases[] = {
      {"version=rex\nfullscreen=1\n", 2, true},
      {"version=REX\n", 0, false},    // ids are case-sensitive
      {"fullscreen=1 \n", 0, false},  // a trailing space is not "1"
      {"fullscreen=true\n", 0, false},
      {"version=pplus\r\nfullscreen=1\r\n", 1, true},                          // Windows line ends read the same
      {"=rex\nversion\nversion =rex\n", 0, false},                             // empty key, no "=", key with a space
      {"version=pplus\nversion=mario\n", 1, false},                            // an unknown value keeps the earlier one
      {"version=pplus\nversion=rex\nfullscreen=1\nfullscreen=0\n", 2, false},  // the last valid wins
      {"version=rex", 2, false},                                               // no final line feed
      {"", 0, false},
      {"\xff\xfe\x01version=rex\n", 0, false},  // binary junk before the key
  };
  for (const Case& c : cases) {
    int selected = 0;
    bool fullscreen = false;
    ApplyLauncherIni(c.text, selected, fullscreen);
    EXPECT_EQ(selected, c.selected) << c.text;
    EXPECT_EQ(fullscreen, c.fullscreen) << c.text;
  }
}

TEST(LauncherIni, SavesTwoLinesAndReadsThemBack) {
  test::TempInstall install;
  LauncherState state;
  state.installRoot = install.root();
  state.selectedGame = 1;
  state.gameFullscreen = false;
  SaveLauncherState(state);
  EXPECT_EQ(test::ReadAll(install.root() / "launcher.ini"), "version=pplus\nfullscreen=0\n");

  LauncherState loaded;
  loaded.installRoot = install.root();
  LoadLauncherState(loaded);
  EXPECT_EQ(loaded.selectedGame, 1);
  EXPECT_FALSE(loaded.gameFullscreen);
  EXPECT_EQ(LauncherIniText(2, true), "version=rex\nfullscreen=1\n");
}

TEST(LauncherIni, BadFilesGiveDefaultsAndFailedWritesAreSilent) {
  test::TempInstall install;
  LauncherState state;
  state.installRoot = install.root();
  LoadLauncherState(state);  // missing file
  EXPECT_EQ(state.selectedGame, 0);

  // 50 MB of binary noise with one valid line at its end.
  std::string noise(50 * 1024 * 1024, '\0');
  for (size_t i = 0; i < noise.size(); ++i) noise[i] = char((i * 2654435761u) >> 13);
  install.Write("launcher.ini", noise + "\nversion=rex\n");
  LoadLauncherState(state);
  EXPECT_EQ(state.selectedGame, 2);

  // A folder where the file should be: the write fails, nothing throws, nothing is left behind.
  std::filesystem::remove(install.root() / "launcher.ini");
  install.MakeDir("launcher.ini");
  SaveLauncherState(state);
  EXPECT_TRUE(std::filesystem::is_directory(install.root() / "launcher.ini"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(install.root()), {}), 1);
}

}  // namespace
}  // namespace qm
