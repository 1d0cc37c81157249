// The game's settings file, "settings.ini" in the install root. The game reads it when it starts;
// the launcher reads it with full validation and writes it back whole, in ten fixed lines, after
// every change made in its windows.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace qm {

enum class NetMode : int32_t { Lockstep = 0, Rollback = 1, Smooth = 2 };

std::string_view NetModeWord(NetMode mode);   // "lockstep", "rollback", "smooth"
std::string_view NetModeLabel(NetMode mode);  // as the online window lists it

struct GameSettings {
  int32_t master = 100;
  int32_t music = 100;
  int32_t sfx = 100;
  NetMode net_mode = NetMode::Smooth;
  int32_t net_delay = -1;  // -1 automatic, else 1..8 frames
  std::string gfx_backend = "auto";
  int32_t gfx_msaa = 1;
  int32_t gfx_aniso = 16;
  bool gfx_vsync = false;
  int32_t window_width = 1280;
  int32_t window_height = 720;
};

// Reads root / "settings.ini" into `settings`. Graphics fields restart from their defaults;
// volume and network fields keep their value when their key is missing. The one warning (an
// unsupported gfx_msaa) goes to `warnings`.
void LoadGameSettings(const std::filesystem::path& root, GameSettings& settings, std::FILE* warnings = stderr);

// The ten lines of the file, each ending in CR LF.
std::string SettingsFileText(const GameSettings& settings);

// Writes root / "settings.ini" (atomically). False, with the file left as it was, when it cannot be
// written; the caller keeps its in-memory values.
bool SaveGameSettings(const std::filesystem::path& root, const GameSettings& settings);

// "Reading a number": leading white space, an optional sign, the digits that follow; no digits
// give 0. Values beyond 32 bits saturate.
int32_t ReadSettingNumber(std::string_view text);

}  // namespace qm
