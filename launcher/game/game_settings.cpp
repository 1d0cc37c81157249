#include "game/game_settings.h"

#include <fstream>
#include <limits>

#include "platform/fs.h"

namespace qm {

std::string_view NetModeWord(NetMode mode) {
  switch (mode) {
    case NetMode::Lockstep:
      return "lockstep";
    case NetMode::Rollback:
      return "rollback";
    default:
      return "smooth";
  }
}

std::string_view NetModeLabel(NetMode mode) {
  switch (mode) {
    case NetMode::Lockstep:
      return "Lockstep (Dolphin-style: waits, never rewinds)";
    case NetMode::Rollback:
      return "Rollback (lowest input lag)";
    default:
      return "Smooth (recommended)";
  }
}

int32_t ReadSettingNumber(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int64_t value = 0;
  constexpr int64_t kLimit = int64_t(std::numeric_limits<int32_t>::max()) + 1;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
    if (value < kLimit) value = value * 10 + (text[i] - '0');
  if (value > kLimit) value = kLimit;
  if (negative) return int32_t(-value);
  return value >= kLimit ? std::numeric_limits<int32_t>::max() : int32_t(value);
}

namespace {

// Calls `apply(key, value)` for each "key=value" line; empty lines and lines without "=" are
// skipped, a CR before the LF is dropped. False when the file cannot be opened.
template <typename Apply>
bool ForEachSetting(const std::filesystem::path& file, Apply apply) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return false;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t eq = line.find('=');
    if (line.empty() || eq == std::string::npos) continue;
    apply(std::string_view(line).substr(0, eq), std::string_view(line).substr(eq + 1));
  }
  return true;
}

int32_t Clamp(int32_t v, int32_t lo, int32_t hi) { return v < lo ? lo : v > hi ? hi : v; }

}  // namespace

void LoadGameSettings(const std::filesystem::path& root, GameSettings& settings, std::FILE* warnings) {
  const std::filesystem::path file = root / "settings.ini";
  const GameSettings defaults;
  settings.gfx_backend = defaults.gfx_backend;
  settings.gfx_msaa = defaults.gfx_msaa;
  settings.gfx_aniso = defaults.gfx_aniso;
  settings.gfx_vsync = defaults.gfx_vsync;
  settings.window_width = defaults.window_width;
  settings.window_height = defaults.window_height;

  ForEachSetting(file, [&](std::string_view key, std::string_view value) {
    if (key == "gfx_backend")
      settings.gfx_backend = value;
    else if (key == "gfx_msaa")
      settings.gfx_msaa = ReadSettingNumber(value);
    else if (key == "gfx_aniso")
      settings.gfx_aniso = ReadSettingNumber(value);
    else if (key == "gfx_vsync")
      settings.gfx_vsync = value == "1";
    else if (key == "window_size" && !value.empty()) {
      const size_t x = value.find('x');
      if (x != std::string_view::npos) {
        settings.window_width = ReadSettingNumber(value);
        settings.window_height = ReadSettingNumber(value.substr(x + 1));
      }
    }
  });

  if (settings.gfx_msaa != 1 && settings.gfx_msaa != 4) {
    const bool four = settings.gfx_msaa >= 2;
    if (warnings)
      std::fprintf(warnings, "[gfx] gfx_msaa=%d is not supported (WebGPU: off or 4x), using %s\n",
                   int(settings.gfx_msaa), four ? "4x" : "off");
    settings.gfx_msaa = four ? 4 : 1;
  }
  const int32_t a = settings.gfx_aniso;
  if (a != 1 && a != 2 && a != 4 && a != 8 && a != 16) settings.gfx_aniso = 16;
  if (settings.window_width < 640 || settings.window_width > 7680 || settings.window_height < 480 ||
      settings.window_height > 4320) {
    settings.window_width = defaults.window_width;
    settings.window_height = defaults.window_height;
  }

  ForEachSetting(file, [&](std::string_view key, std::string_view value) {
    const int32_t n = Clamp(ReadSettingNumber(value), 0, 100);
    if (key == "master")
      settings.master = n;
    else if (key == "music")
      settings.music = n;
    else if (key == "sfx")
      settings.sfx = n;
    else if (key == "net_mode")
      settings.net_mode = value == "rollback"   ? NetMode::Rollback
                          : value == "lockstep" ? NetMode::Lockstep
                                                : NetMode::Smooth;
    else if (key == "net_delay")
      settings.net_delay = value == "auto" ? -1 : Clamp(ReadSettingNumber(value), 1, 8);
  });
}

std::string SettingsFileText(const GameSettings& s) {
  const auto n = [](int32_t v) { return std::to_string(v); };
  std::string text;
  text += "master=" + n(s.master) + "\r\n";
  text += "music=" + n(s.music) + "\r\n";
  text += "sfx=" + n(s.sfx) + "\r\n";
  text += "net_mode=" + std::string(NetModeWord(s.net_mode)) + "\r\n";
  text += "net_delay=" + (s.net_delay < 0 ? std::string("auto") : n(s.net_delay)) + "\r\n";
  text += "gfx_backend=" + s.gfx_backend + "\r\n";
  text += "gfx_msaa=" + n(s.gfx_msaa) + "\r\n";
  text += "gfx_aniso=" + n(s.gfx_aniso) + "\r\n";
  text += std::string("gfx_vsync=") + (s.gfx_vsync ? "1" : "0") + "\r\n";
  text += "window_size=" + n(s.window_width) + "x" + n(s.window_height) + "\r\n";
  return text;
}

bool SaveGameSettings(const std::filesystem::path& root, const GameSettings& settings) {
  std::string error;
  return WriteFileAtomic(root / "settings.ini", SettingsFileText(settings), error);
}

}  // namespace qm
