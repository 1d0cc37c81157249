#include "game/game_settings.h"

#include <gtest/gtest.h>

#include <functional>

#include "temp_install.h"

namespace qm {
namespace {

using test::TempInstall;

// Loads `file` into settings that start from `start`, returning what was printed as a warning.
std::string Load(const std::string& file, GameSettings& settings) {
  TempInstall install;
  install.Write("settings.ini", file);
  std::FILE* warnings = std::tmpfile();
  LoadGameSettings(install.root(), settings, warnings);
  std::rewind(warnings);
  std::string printed;
  for (int c; (c = std::fgetc(warnings)) != EOF;) printed.push_back(char(c));
  std::fclose(warnings);
  return printed;
}

struct SettingCase {
  const char* file;
  std::function<bool(const GameSettings&)> holds;
  const char* what;
};

TEST(GameSettings, ValidatesEveryValue) {
  const SettingCase cases[] = {
      {"window_size=1920x1080\n", [](auto& s) { return s.window_width == 1920 && s.window_height == 1080; }, "kept"},
      {"window_size=1920\n", [](auto& s) { return s.window_width == 1280 && s.window_height == 720; }, "no x"},
      {"window_size=600x600\n", [](auto& s) { return s.window_width == 1280 && s.window_height == 720; }, "too small"},
      {"window_size=7680x4320\n", [](auto& s) { return s.window_width == 7680 && s.window_height == 4320; }, "largest"},
      {"window_size=7681x4320\n", [](auto& s) { return s.window_width == 1280 && s.window_height == 720; }, "too wide"},
      {"window_size=1920x\n", [](auto& s) { return s.window_width == 1280 && s.window_height == 720; }, "no height"},
      {"window_size=99999999999999999999x1080\n", [](auto& s) { return s.window_width == 1280; }, "overflow"},
      {"gfx_aniso=3\n", [](auto& s) { return s.gfx_aniso == 16; }, "aniso 3"},
      {"gfx_aniso=32\n", [](auto& s) { return s.gfx_aniso == 16; }, "aniso 32"},
      {"gfx_aniso=0\n", [](auto& s) { return s.gfx_aniso == 16; }, "aniso 0"},
      {"gfx_aniso=2\n", [](auto& s) { return s.gfx_aniso == 2; }, "aniso 2"},
      {"gfx_vsync=true\n", [](auto& s) { return !s.gfx_vsync; }, "vsync word"},
      {"gfx_vsync=1\r\n", [](auto& s) { return s.gfx_vsync; }, "vsync CR LF"},
      {"master=150\nmusic=-5\nsfx=abc\n", [](auto& s) { return s.master == 100 && s.music == 0 && s.sfx == 0; },
       "volumes"},
      {"master=  +42xyz\n", [](auto& s) { return s.master == 42; }, "number prefix"},
      {"net_delay=0\n", [](auto& s) { return s.net_delay == 1; }, "delay 0"},
      {"net_delay=12\n", [](auto& s) { return s.net_delay == 8; }, "delay 12"},
      {"net_delay=AUTO\n", [](auto& s) { return s.net_delay == 1; }, "delay AUTO"},
      {"net_delay=auto\n", [](auto& s) { return s.net_delay == -1; }, "delay auto"},
      {"net_delay=500\n", [](auto& s) { return s.net_delay == 8; }, "delay not clamped to 100 first"},
      {"net_mode=rollback\n", [](auto& s) { return s.net_mode == NetMode::Rollback; }, "rollback"},
      {"net_mode=lockstep\n", [](auto& s) { return s.net_mode == NetMode::Lockstep; }, "lockstep"},
      {"net_mode=Rollback\n", [](auto& s) { return s.net_mode == NetMode::Smooth; }, "capital R"},
      {"net_mode=\n", [](auto& s) { return s.net_mode == NetMode::Smooth; }, "empty mode"},
      {"gfx_backend=opengl\n", [](auto& s) { return s.gfx_backend == "opengl"; }, "unknown backend kept"},
      {"gfx_backend=a=b\n", [](auto& s) { return s.gfx_backend == "a=b"; }, "value with ="},
      {"master = 50\n", [](auto& s) { return s.master == 100; }, "spaces around ="},
      {"master=10\nmaster=20\n", [](auto& s) { return s.master == 20; }, "last wins"},
      {"[gfx]\ngfx_vsync=1\n", [](auto& s) { return s.gfx_vsync && s.master == 100 && s.gfx_aniso == 16; }, "header"},
  };
  for (const SettingCase& c : cases) {
    GameSettings settings;
    Load(c.file, settings);
    EXPECT_TRUE(c.holds(settings)) << c.what << ": " << c.file;
  }
}

TEST(GameSettings, UnsupportedMsaaIsReplacedWithAWarning) {
  struct Case {
    const char* file;
    int32_t msaa;
    const char* warning;
  } cases[] = {
      {"gfx_msaa=2\n", 4, "[gfx] gfx_msaa=2 is not supported (WebGPU: off or 4x), using 4x\n"},
      {"gfx_msaa=0\n", 1, "[gfx] gfx_msaa=0 is not supported (WebGPU: off or 4x), using off\n"},
      {"gfx_msaa=8\n", 4, "[gfx] gfx_msaa=8 is not supported (WebGPU: off or 4x), using 4x\n"},
      {"gfx_msaa=4\n", 4, ""},
      {"gfx_msaa=1\n", 1, ""},
  };
  for (const Case& c : cases) {
    GameSettings settings;
    EXPECT_EQ(Load(c.file, settings), c.warning);
    EXPECT_EQ(settings.gfx_msaa, c.msaa) << c.file;
  }
}

TEST(GameSettings, MissingKeysResetGraphicsButKeepVolumes) {
  GameSettings settings;
  settings.master = 40;
  settings.gfx_vsync = true;
  settings.window_width = 1920;
  Load("music=70\n", settings);
  EXPECT_EQ(settings.master, 40);
  EXPECT_EQ(settings.music, 70);
  EXPECT_FALSE(settings.gfx_vsync);
  EXPECT_EQ(settings.window_width, 1280);

  TempInstall empty;  // no file at all
  settings.gfx_vsync = true;
  LoadGameSettings(empty.root(), settings, nullptr);
  EXPECT_FALSE(settings.gfx_vsync);
  EXPECT_EQ(settings.master, 40);
}

TEST(GameSettings, WritesTheTenLinesExactly) {
  TempInstall install;
  GameSettings settings;
  ASSERT_TRUE(SaveGameSettings(install.root(), settings));
  EXPECT_EQ(test::ReadAll(install.root() / "settings.ini"),
            "master=100\r\nmusic=100\r\nsfx=100\r\nnet_mode=smooth\r\nnet_delay=auto\r\ngfx_backend=auto\r\n"
            "gfx_msaa=1\r\ngfx_aniso=16\r\ngfx_vsync=0\r\nwindow_size=1280x720\r\n");
  settings.master = 40;
  settings.net_mode = NetMode::Lockstep;
  settings.net_delay = 3;
  settings.gfx_backend = "opengl";
  settings.gfx_vsync = true;
  settings.window_width = 1920;
  settings.window_height = 1080;
  EXPECT_EQ(SettingsFileText(settings),
            "master=40\r\nmusic=100\r\nsfx=100\r\nnet_mode=lockstep\r\nnet_delay=3\r\ngfx_backend=opengl\r\n"
            "gfx_msaa=1\r\ngfx_aniso=16\r\ngfx_vsync=1\r\nwindow_size=1920x1080\r\n");
}

TEST(GameSettings, HugeBinaryAndUnwritableFilesAreHarmless) {
  std::string noise(50 * 1024 * 1024, '\0');
  for (size_t i = 0; i < noise.size(); ++i) noise[i] = char((i * 2654435761u) >> 11);
  GameSettings settings;
  Load(noise + "\nmaster=7\n", settings);
  EXPECT_EQ(settings.master, 7);
  EXPECT_TRUE(settings.gfx_msaa == 1 || settings.gfx_msaa == 4);
  EXPECT_GE(settings.window_width, 640);

  TempInstall install;
  install.MakeDir("settings.ini");  // cannot be replaced by a file
  settings.master = 55;
  EXPECT_FALSE(SaveGameSettings(install.root(), settings));
  EXPECT_EQ(settings.master, 55);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(install.root()), {}), 1);  // no temporary left
}

}  // namespace
}  // namespace qm
