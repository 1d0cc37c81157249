// Setting up games from the home screen: SDL's real file dialogs, answered by a stand-in zenity,
// then the stand-in build script.
#include "setup/source_pickers.h"

#include <gtest/gtest.h>

#include <fstream>

#include "platform/env.h"
#include "stand_in.h"
#include "temp_install.h"
#include "ui_items.h"
#include "window_driver.h"

namespace qm {
namespace {

using test::TempInstall;

constexpr const char* kPickFiles = "Pick your files. They stay on this PC; nothing is uploaded.";

class SetUpFromHome : public ::testing::Test {
 protected:
  void SetUp() override {
    test::InstallBuildScript(install_);
    install_.Write("VERSION", "1.0.0\n");
    disc_ = install_.Write("downloads/Brawl (USA).iso", "image");
    mod_ = install_.MakeDir("downloads/Project+ extracted");
    SetEnvVar("SDL_FILE_DIALOG_DRIVER", "zenity");
    path_ = GetEnvVar("PATH").value_or("");
    SetEnvVar("PATH", std::string(QM_STAND_IN_ZENITY_DIR) + ":" + path_);
    SetEnvVar("QM_ZENITY_LOG", (install_.root() / "zenity.log").string());
    SetEnvVar("QM_ZENITY_ANSWERS", (install_.root() / "answers.txt").string());
    SetEnvVar("QM_STANDIN_GAME_EXE", test::StandInGamePath().string());
    UnsetEnvVar("QM_STANDIN_BUILD");
    UnsetEnvVar("VADUREZIZUVAZO");
  }
  void TearDown() override {
    SetEnvVar("PATH", path_);
    UnsetEnvVar("SDL_FILE_DIALOG_DRIVER");
  }
  void Answers(const std::string& lines) { std::ofstream(install_.root() / "answers.txt") << lines; }
  std::string Dialogs() { return test::ReadAll(install_.root() / "zenity.log"); }
  std::string SetupLog(const char* id) {
    return test::ReadAll(install_.root() / "logs" / (std::string("setup_") + id + ".log"));
  }
  static void ClickPlay(LauncherApp& app) { test::Click(app, 1180 - 44 - 115, 720 - 92 + 30); }

  TempInstall install_;
  std::filesystem::path disc_, mod_;
  std::string path_;
};

TEST_F(SetUpFromHome, BrawlAsksForTheDiscAndBuilds) {
  Answers(disc_.string() + "\n");
  SetEnvVar("QM_STANDIN_BUILD", "pace=0.25");
  int stage = 0;
  std::string building, badge;
  const bool done = test::RunUntil(install_.root(), [&](LauncherApp& app) {
    switch (stage) {
      case 0:
        if (app.framesPresented == 3) {
          ClickPlay(app);
          stage = 1;
        }
        return false;
      case 1:  // the dialog answered and the build runs
        if (app.setup.phase == SetupPhase::Building && app.setup.percent >= 45) {
          building = app.home.statusText;
          test::SaveScreenshot(app, "setup_brawl_building");
          stage = 2;
        }
        return false;
      default:
        return app.setup.phase == SetupPhase::SetupIdle && !app.home.statusText.empty() &&
               app.home.statusText != building;
    }
  });
  ASSERT_TRUE(done) << "stage " << stage << "\n" << Dialogs() << SetupLog("brawl");
  EXPECT_EQ(building, "Building on this PC. You can minimize this window; closing it does not stop the build.");
  const std::string dialogs = Dialogs();
  EXPECT_NE(dialogs.find("\"--title\", \"Pick your Super Smash Bros. Brawl (USA) disc image\""), std::string::npos)
      << dialogs;
  EXPECT_NE(dialogs.find("Wii disc image (.wbfs, .iso)"), std::string::npos) << dialogs;
  EXPECT_EQ(dialogs.find("--directory"), std::string::npos);
  EXPECT_NE(SetupLog("brawl").find("\"--wbfs\", \"" + disc_.string() + "\"]"), std::string::npos) << SetupLog("brawl");
  EXPECT_EQ(InstallStateText(install_.root(), "1.0.0", kGames[0]), "");
}

TEST_F(SetUpFromHome, AModAsksForTheDiscThenWhereTheModIs) {
  install_.Write("launcher.ini", "version=pplus\n");
  Answers(disc_.string() + "\n" + mod_.string() + "\n");
  int stage = 0;
  std::string finalStatus;
  const bool done = test::RunUntil(install_.root(), [&](LauncherApp& app) {
    if (stage == 0 && app.framesPresented == 3) {
      test::RecordUiItems();
      ClickPlay(app);
      stage = 1;
    } else if (stage == 1 && app.setup.phase == SetupPhase::AskingModSource) {
      stage = 2;  // the window shows from the next frame on
    } else if (stage == 2) {
      test::SaveScreenshot(app, "setup_where_is_the_mod");
      const auto folder = test::FindUiItem("Extracted folder");
      if (!folder) return false;
      test::Click(app, folder->Centre().x, folder->Centre().y);
      stage = 3;
    } else if (stage == 3 && app.setup.phase == SetupPhase::SetupIdle && !app.home.statusText.empty() &&
               app.home.statusText.rfind("Building", 0) != 0) {
      finalStatus = app.home.statusText;
      return true;
    }
    return false;
  });
  ASSERT_TRUE(done) << "stage " << stage << "\n" << Dialogs();
  EXPECT_EQ(finalStatus, "Project+ v3.2.1 is ready. Press PLAY.") << SetupLog("pplus");
  const std::string dialogs = Dialogs();
  EXPECT_NE(dialogs.find("\"--directory\""), std::string::npos) << dialogs;
  EXPECT_NE(dialogs.find("Pick the folder you extracted your Project+ v3.2.1 (Wii) download to"), std::string::npos);
  EXPECT_NE(SetupLog("pplus").find("\"--wbfs\", \"" + disc_.string() + "\", \"--mod\", \"" + mod_.string() + "\"]"),
            std::string::npos)
      << SetupLog("pplus");
}

TEST_F(SetUpFromHome, CancellingTheDiscDialogGoesBackToIdle) {
  Answers("CANCEL\n");
  int stage = 0;
  const bool done = test::RunUntil(install_.root(), [&](LauncherApp& app) {
    if (stage == 0 && app.framesPresented == 3) {
      ClickPlay(app);
      stage = 1;
    } else if (stage == 1 && app.setup.phase == SetupPhase::PickingDisc) {
      stage = 2;
    } else if (stage == 2 && app.setup.phase == SetupPhase::SetupIdle) {
      EXPECT_EQ(app.home.statusText, kPickFiles);
      EXPECT_FALSE(app.home.statusIsError);
      return true;
    }
    return false;
  });
  EXPECT_TRUE(done) << "stage " << stage;
  EXPECT_FALSE(std::filesystem::exists(install_.root() / "logs" / "setup_brawl.log"));
}

TEST_F(SetUpFromHome, RexWithTheDiscExtractedAsksOnlyForTheMod) {
  install_.Write("launcher.ini", "version=rex\n");
  install_.Write("Disc/DATA/sys/main.dol");
  int stage = 0;
  const bool done = test::RunUntil(install_.root(), [&](LauncherApp& app) {
    if (stage == 0 && app.framesPresented == 3) {
      test::RecordUiItems();
      ClickPlay(app);
      stage = 1;
    } else if (stage == 1 && app.setup.phase == SetupPhase::AskingModSource) {
      EXPECT_EQ(app.setup.discPath, "");
      stage = 2;
    } else if (stage == 2) {
      const auto cancel = test::FindUiItem("Cancel");
      if (!cancel) return false;
      test::Click(app, cancel->Centre().x, cancel->Centre().y);
      stage = 3;
    } else if (stage == 3 && app.setup.phase == SetupPhase::SetupIdle) {
      return true;
    }
    return false;
  });
  EXPECT_TRUE(done) << "stage " << stage;
  EXPECT_EQ(Dialogs(), "");  // no dialog was shown
}

TEST_F(SetUpFromHome, UpdateGameWithAllSourcesBuildsAtOnce) {
  install_.Write("Disc/DATA/sys/main.dol");
  install_.Write("assets/brawl.elf");
  install_.Write("runtime/build/game.dll");
  install_.Write("runtime/build/quillmarch_version.txt", "0.9.0\n");
  std::string firstStatus;
  int stage = 0;
  const bool done = test::RunUntil(install_.root(), [&](LauncherApp& app) {
    if (stage == 0 && app.framesPresented == 3) {
      test::SaveScreenshot(app, "home_update_game");
      ClickPlay(app);
      stage = 1;
    } else if (stage == 1 && app.setup.phase == SetupPhase::Building) {
      firstStatus = app.home.statusText;
      stage = 2;
    } else if (stage == 2 && app.setup.phase == SetupPhase::SetupIdle) {
      return true;
    }
    return false;
  });
  ASSERT_TRUE(done) << "stage " << stage;
  EXPECT_EQ(firstStatus, "Building on this PC. You can minimize this window; closing it does not stop the build.");
  EXPECT_EQ(Dialogs(), "");
  EXPECT_NE(SetupLog("brawl").find("args: [\"--game\", \"brawl\"]\n"), std::string::npos) << SetupLog("brawl");
}

}  // namespace
}  // namespace qm
