// The build runner with the stand-in build script, started for real.
#include "setup/build_runner.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/env.h"
#include "setup/build_progress.h"
#include "stand_in.h"
#include "temp_install.h"

namespace qm {
namespace {

using test::TempInstall;

double Now() { return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(); }

// Polls the build like the frame loop until it ends (at most 30 s); returns the status message.
StatusMessage RunToEnd(SetupJob& job, const TempInstall& install, const std::string& version = "1.0.0") {
  const double deadline = Now() + 30;
  while (Now() < deadline) {
    if (const auto code = PollBuild(job, Now())) return FinishBuild(job, *code, install.root(), version);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ADD_FAILURE() << "the build did not end";
  return {};
}

class BuildRunner : public ::testing::Test {
 protected:
  void SetUp() override {
    test::InstallBuildScript(install_);
    install_.Write("VERSION", "1.0.0\n");
    UnsetEnvVar("QM_STANDIN_BUILD");
    SetEnvVar("QM_STANDIN_GAME_EXE", test::StandInGamePath().string());
  }
  std::string Log(const char* id) {
    return test::ReadAll(install_.root() / "logs" / (std::string("setup_") + id + ".log"));
  }
  TempInstall install_;
};

TEST_F(BuildRunner, ArgumentsFollowThePickedSources) {
  SetupJob job;
  job.game = 0;
  job.discPath = "/discs/brawl.iso";
  const std::string script = (install_.root() / "tools" / "quillmarch_build.py").string();
  EXPECT_EQ(BuildArguments(install_.root(), job),
            (std::vector<std::string>{"-I", "-u", script, "--game", "brawl", "--wbfs", "/discs/brawl.iso"}));
  job.discPath.clear();
  EXPECT_EQ(BuildArguments(install_.root(), job), (std::vector<std::string>{"-I", "-u", script, "--game", "brawl"}));
  job.game = 1;
  job.discPath = "d";
  job.modPath = "m";
  EXPECT_EQ(BuildArguments(install_.root(), job),
            (std::vector<std::string>{"-I", "-u", script, "--game", "pplus", "--wbfs", "d", "--mod", "m"}));
}

TEST_F(BuildRunner, ABuildRunsFromTheRootAndEndsReady) {
  // Awkward but legal paths arrive intact: spaces, quotes, a trailing backslash, non-ASCII.
  const auto disc = install_.Write("my discs/Brawl \"USA\" \u00bd\\.iso", "image");
  SetupJob job;
  job.game = 0;
  job.discPath = disc.string();
  std::string error;
  ASSERT_TRUE(StartBuild(job, install_.root(), Now(), error)) << error;
  EXPECT_EQ(job.phase, SetupPhase::Building);
  EXPECT_EQ(job.progressLine, "Starting...");
  const StatusMessage end = RunToEnd(job, install_);
  EXPECT_EQ(end.text, "Super Smash Bros. Brawl is ready. Press PLAY.");
  EXPECT_FALSE(end.isError);
  EXPECT_EQ(job.phase, SetupPhase::SetupIdle);
  EXPECT_EQ(job.progressLine, "Done");
  EXPECT_EQ(job.percent, 100);
  std::string escaped;  // as the script prints it, in JSON
  for (char c : disc.string()) {
    if (c == '"' || c == '\\') escaped += '\\';
    escaped += c;
  }
  EXPECT_NE(Log("brawl").find("args: [\"--game\", \"brawl\", \"--wbfs\", \"" + escaped + "\"]\n"), std::string::npos)
      << Log("brawl");
}

TEST_F(BuildRunner, FailuresNameTheirReason) {
  install_.Write("Disc/DATA/sys/main.dol");
  struct Case {
    const char* behaviour;
    int game;
    const char* expected;
  } cases[] = {
      {"fail=The mod archive is damaged", 2, "Set up failed: The mod archive is damaged  (log: logs/setup_rex.log)"},
      {"exit=2,noerror", 0, "Set up failed: exit code 2  (log: logs/setup_brawl.log)"},
      {"exit=0,noerror", 0, "Set up failed: exit code 0  (log: logs/setup_brawl.log)"},  // ended 0, not ready
      {"missing disc", 0, "Set up failed: Could not read the disc image NOSUCH  (log: logs/setup_brawl.log)"},
  };
  install_.MakeDir("REX Release 0\u00bd Hotfix 1 - Wii/REX Release 0\u00bd Hotfix 1 - Wii/rex_/pf");
  for (const Case& c : cases) {
    SetEnvVar("QM_STANDIN_BUILD", c.behaviour);
    SetupJob job;
    job.game = c.game;
    if (std::string_view(c.behaviour) == "missing disc") job.discPath = (install_.root() / "no such.iso").string();
    std::string error;
    ASSERT_TRUE(StartBuild(job, install_.root(), Now(), error)) << error;
    const StatusMessage end = RunToEnd(job, install_);
    std::string expected = c.expected;
    if (const size_t at = expected.find("NOSUCH"); at != std::string::npos) expected.replace(at, 6, job.discPath);
    EXPECT_EQ(end.text, expected);
    EXPECT_TRUE(end.isError);
  }
  // A second build of rex starts with an empty log.
  UnsetEnvVar("QM_STANDIN_BUILD");
  SetupJob job;
  job.game = 2;
  std::string error;
  ASSERT_TRUE(StartBuild(job, install_.root(), Now(), error));
  EXPECT_EQ(RunToEnd(job, install_).text, "Super Smash REX 0\u00bd is ready. Press PLAY.");
  EXPECT_EQ(Log("rex").find("damaged"), std::string::npos);
}

TEST_F(BuildRunner, ErrorLinesDoNotSpoilASuccess) {
  install_.Write("Disc/DATA/sys/main.dol");
  SetupJob job;
  job.game = 0;
  job.errorLine = "left over from an earlier build";
  std::string error;
  ASSERT_TRUE(StartBuild(job, install_.root(), Now(), error));
  EXPECT_TRUE(job.errorLine.empty());
  EXPECT_FALSE(RunToEnd(job, install_).isError);
}

TEST_F(BuildRunner, NoPythonMeansTheBuildCannotStart) {
  const std::string path = GetEnvVar("PATH").value_or("");
  SetEnvVar("PATH", "/nonexistent");
  SetupJob job;
  std::string error;
  EXPECT_FALSE(StartBuild(job, install_.root(), Now(), error));
  SetEnvVar("PATH", path);
  EXPECT_EQ(error, "Could not start the build (error 2).");
  EXPECT_EQ(job.phase, SetupPhase::SetupIdle);

  // The install's own Python wins over the search path's.
  EXPECT_NE(BuildPython(install_.root()), BundledPythonPath(install_.root()));
  std::filesystem::create_directories(BundledPythonPath(install_.root()).parent_path());
  std::filesystem::create_symlink(FindOnSearchPath("python3"), BundledPythonPath(install_.root()));
  EXPECT_EQ(BuildPython(install_.root()), BundledPythonPath(install_.root()));
}

TEST_F(BuildRunner, PrepareHandsTheArgumentsThrough) {
  SetEnvVar("QM_STANDIN_BUILD", "exit=3,noerror");
  install_.Write("Disc/DATA/sys/main.dol");
  EXPECT_EQ(RunPrepare({"launcher", "--prepare", "--game", "brawl"}, install_.root()), 3);
  UnsetEnvVar("QM_STANDIN_BUILD");
  EXPECT_EQ(RunPrepare({"launcher", "--prepare", "--game", "brawl"}, install_.root()), 0);
  EXPECT_EQ(RunPrepare({"launcher", "--prepare", "--game", "mario"}, install_.root()), 1);
  const std::string path = GetEnvVar("PATH").value_or("");
  SetEnvVar("PATH", "/nonexistent");
  EXPECT_EQ(RunPrepare({"launcher", "--prepare"}, install_.root()), 1);
  SetEnvVar("PATH", path);
}

}  // namespace
}  // namespace qm
