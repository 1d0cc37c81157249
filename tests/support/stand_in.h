// Puts the stand-in game into a temporary install so that a catalogue game reads as ready.
#pragma once

#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/process.h"
#include "shell/catalogue.h"
#include "shell/install_state.h"
#include "temp_install.h"

namespace qm::test {

// Built by CMake; the path comes in as a compile definition.
inline std::filesystem::path StandInGamePath() { return QM_STAND_IN_GAME; }

// The files of a ready game: disc marker, extracted image, game.dll and the stand-in executable.
inline void InstallReadyGame(const TempInstall& install, int game) {
  install.MakeDir("tools");
  install.Write("Disc/DATA/sys/main.dol");
  install.Write("assets/" + std::string(kGames[game].id) + ".elf");
  const auto exe = GameExePath(install.root(), kGames[game]);
  std::filesystem::create_directories(exe.parent_path());
  std::filesystem::copy_file(StandInGamePath(), exe, std::filesystem::copy_options::overwrite_existing);
  install.Write("runtime/" + std::string(kGames[game].buildFolder) + "/game.dll");
}

// The stand-in build script as the install's tools/quillmarch_build.py.
inline void InstallBuildScript(const TempInstall& install) {
  install.MakeDir("tools");
  std::filesystem::copy_file(QM_STAND_IN_BUILD, install.root() / "tools" / "quillmarch_build.py",
                             std::filesystem::copy_options::overwrite_existing);
}

// Waits (at most 30 s) for the game to end and returns its exit code; -1 on time-out.
inline int WaitForGame(ProcessHandle& process) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  int code = 0;
  while (!ProcessEnded(process, code)) {
    if (std::chrono::steady_clock::now() > deadline) return -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return code;
}

}  // namespace qm::test
