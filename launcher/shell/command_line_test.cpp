#include "shell/command_line.h"

#include <gtest/gtest.h>

#include "temp_install.h"

namespace qm {
namespace {

using test::TempInstall;

TEST(ScanCommandLine, RecognisesPrepareAndPlay) {
  struct Case {
    std::vector<std::string> args;
    bool prepare;
    std::optional<int> play;
  } cases[] = {
      {{"launcher"}, false, std::nullopt},
      {{"launcher", "--play", "pplus"}, false, 1},
      {{"launcher", "--play"}, false, std::nullopt},                 // --play as the last argument
      {{"launcher", "--play", "mario"}, false, std::nullopt},        // unknown id
      {{"launcher", "--play", "rex", "--play", "brawl"}, false, 0},  // a later request wins
      {{"launcher", "--play", "rex", "--play", "Brawl"}, false, 2},  // an unknown one keeps the earlier
      {{"launcher", "--prepare", "--game", "brawl"}, true, std::nullopt},
      {{"launcher", "--play", "rex", "--prepare"}, true, std::nullopt},  // pass-through wins
      {{"--prepare"}, false, std::nullopt},                              // the program itself does not count
  };
  for (const Case& c : cases) {
    const CommandLine got = ScanCommandLine(c.args);
    EXPECT_EQ(got.prepare, c.prepare) << ::testing::PrintToString(c.args);
    EXPECT_EQ(got.playRequest, c.play) << ::testing::PrintToString(c.args);
  }
}

TEST(ScanCommandLine, StatusCountsOnlyAsTheSecondArgument) {
  EXPECT_TRUE(IsStatusRequest({"launcher", "--status"}));
  EXPECT_TRUE(IsStatusRequest({"launcher", "--status", "extra"}));
  EXPECT_FALSE(IsStatusRequest({"launcher", "--play", "brawl", "--status"}));
  EXPECT_FALSE(IsStatusRequest({"--status"}));
}

TEST(WriteStatusFile, WritesOneLinePerGame) {
  TempInstall install;
  install.MakeDir("logs");
  install.Write("logs/status.txt", "old contents that are longer than the new ones ..........................");
  install.Write("Disc/DATA/sys/main.dol");
  install.Write("assets/brawl.elf");
  install.Write("runtime/build/game.dll");
  WriteStatusFile(install.root(), "1.0.0");
  EXPECT_EQ(test::ReadAll(install.root() / "logs" / "status.txt"),
            "brawl: READY\n"
            "pplus: Set up: needs your Project+ v3.2.1 (Wii) download.\n"
            "rex: Set up: needs your REX 0\u00bd Hotfix 1 (Wii) download.\n");
}

TEST(WriteStatusFile, WritesNothingWithoutALogsFolder) {
  TempInstall install;
  WriteStatusFile(install.root(), "1.0.0");
  EXPECT_FALSE(std::filesystem::exists(install.root() / "logs"));
}

}  // namespace
}  // namespace qm
