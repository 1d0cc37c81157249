// Game launch with the stand-in game in a temporary install.
#include "game/launch.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/env.h"
#include "platform/process.h"
#include "shell/install_state.h"
#include "shell/launcher_state.h"
#include "stand_in.h"
#include "temp_install.h"

namespace qm {
namespace {

using test::TempInstall;

class GameLaunch : public ::testing::Test {
 protected:
  void SetUp() override {
    test::InstallReadyGame(install_, 0);
    state_.installRoot = install_.root();
    for (const char* name : {"TW_FULLSCREEN", "TW_NO_AUDIO", "VADUREZIZUVAZO_MODE", "QM_STANDIN_GAME"})
      UnsetEnvVar(name);
  }
  // Starts game 0 and waits for it to end; returns its log.
  std::string Play(int* exitCode = nullptr) {
    std::string error;
    EXPECT_TRUE(LaunchGame(state_, 0, error)) << error;
    const int code = test::WaitForGame(state_.gameProcess);
    if (exitCode) *exitCode = code;
    return test::ReadAll(install_.root() / "logs" / "brawl.log");
  }
  TempInstall install_;
  LauncherState state_;
};

TEST_F(GameLaunch, PassesTheEnvironmentRules) {
  struct Case {
    bool hosted, fullscreen;
    const char* mode;  // VADUREZIZUVAZO_MODE, nullptr for unset
    const char* expected;
  } cases[] = {
      {false, true, nullptr, "TW_FULLSCREEN=1"},
      {false, false, nullptr, "TW_FULLSCREEN=(unset)"},
      {false, false, "bigpicture", "TW_FULLSCREEN=(unset)"},  // ignored without hosted mode
      {true, false, "bigpicture", "TW_FULLSCREEN=1"},
      {true, false, "BigPicture", "TW_FULLSCREEN=(unset)"},
      {true, false, nullptr, "TW_FULLSCREEN=(unset)"},
      {true, true, "desktop", "TW_FULLSCREEN=1"},
  };
  for (const Case& c : cases) {
    SetEnvVar("TW_FULLSCREEN", "1");  // inherited by the launcher: must not leak through
    SetEnvVar("TW_NO_AUDIO", "1");
    if (c.mode)
      SetEnvVar("VADUREZIZUVAZO_MODE", c.mode);
    else
      UnsetEnvVar("VADUREZIZUVAZO_MODE");
    state_.hostedMode = c.hosted;
    state_.gameFullscreen = c.fullscreen;
    const std::string log = Play();
    EXPECT_NE(log.find(std::string("\n") + c.expected + "\n"), std::string::npos) << c.hosted << c.fullscreen << log;
    EXPECT_NE(log.find("\nTW_WATCHDOG=0\n"), std::string::npos);
    EXPECT_NE(log.find("\nTW_NO_AUDIO=(unset)\n"), std::string::npos);
    EXPECT_NE(log.find(std::string("\nVADUREZIZUVAZO_MODE=") + (c.mode ? c.mode : "(unset)") + "\n"),
              std::string::npos);
  }
}

TEST_F(GameLaunch, RotatesTheLogAndRunsInTheBuildFolder) {
  EXPECT_FALSE(std::filesystem::exists(install_.root() / "logs"));
  install_.Write("settings.ini", "master=40\r\n");
  const std::string first = Play();
  EXPECT_FALSE(std::filesystem::exists(install_.root() / "logs" / "brawl.prev.log"));
  EXPECT_NE(first.find("\ncwd=" + (install_.root() / "runtime" / "build").string() + "\n"), std::string::npos) << first;
  EXPECT_NE(first.find("\nargc=1\n"), std::string::npos);                    // no arguments
  EXPECT_NE(first.find("settings.ini:\nmaster=40\r\n"), std::string::npos);  // found relative to the build folder

  install_.Write("logs/brawl.prev.log", "an older generation");
  const std::string second = Play();
  EXPECT_EQ(test::ReadAll(install_.root() / "logs" / "brawl.prev.log"), first);
  EXPECT_NE(second, first);  // a fresh log: the pid differs
}

TEST_F(GameLaunch, ReportsExitCodes) {
  struct Case {
    const char* behaviour;
    int expected;
  } cases[] = {{"exit=0", 0}, {"exit=3", 3}, {"exit=1", 1}, {"crash", 128 + 11}};
  for (const Case& c : cases) {
    SetEnvVar("QM_STANDIN_GAME", c.behaviour);
    int code = -1;
    Play(&code);
    EXPECT_EQ(code, c.expected) << c.behaviour;
  }
  EXPECT_EQ(GameStoppedText(0, 3), "Super Smash Bros. Brawl stopped with code 3. Log: logs/brawl.log");
  EXPECT_EQ(GameStoppedText(2, 1), "Super Smash REX 0\u00bd stopped with code 1. Log: logs/rex.log");
  EXPECT_EQ(SignedExitCode(3221225477ll), "-1073741819");
  EXPECT_EQ(SignedExitCode(139), "139");
}

TEST_F(GameLaunch, MissingExecutableFailsWithTheErrorCode) {
  std::filesystem::remove(GameExePath(install_.root(), kGames[0]));
  std::string error = "untouched";
  EXPECT_FALSE(LaunchGame(state_, 0, error));
  EXPECT_EQ(error, "Could not start " + GameExePath(install_.root(), kGames[0]).string() + " (error 2).");
  EXPECT_EQ(state_.gameProcess.id, 0);
  EXPECT_TRUE(std::filesystem::exists(install_.root() / "logs" / "brawl.log"));  // created empty
}

TEST_F(GameLaunch, LogsFolderThatCannotBeMadeIsAnError) {
  install_.Write("logs", "a file where the folder should be");
  std::string error;
  EXPECT_FALSE(LaunchGame(state_, 0, error));
  EXPECT_NE(error.find("Could not create"), std::string::npos) << error;
}

}  // namespace
}  // namespace qm
