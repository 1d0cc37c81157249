#include "game/launch.h"

#include <SDL3/SDL_init.h>

#include "platform/env.h"
#include "platform/fs.h"
#include "platform/process.h"
#include "shell/catalogue.h"
#include "shell/install_state.h"
#include "shell/launcher_state.h"
#include "shell/paths.h"

namespace qm {

std::string SignedExitCode(int64_t code) { return std::to_string(int32_t(uint32_t(code))); }

std::string GameStoppedText(int game, int64_t exitCode) {
  const GameEntry& entry = kGames[game];
  return std::string(entry.title) + " stopped with code " + SignedExitCode(exitCode) + ". Log: logs/" +
         std::string(entry.id) + ".log";
}

bool LaunchGame(LauncherState& state, int index, std::string& errorText) {
  const GameEntry& entry = kGames[index];
  const Path logs = state.installRoot / "logs";
  std::string error;
  if (!CreateFolders(logs, error)) {
    errorText = error;
    return false;
  }
  const Path log = logs / Utf8Path(std::string(entry.id) + ".log");
  const Path prev = logs / Utf8Path(std::string(entry.id) + ".prev.log");
  error.clear();
  if (PathExists(log, &error)) {
    RenameReplacing(log, prev, error);  // a failed rename is ignored: the log is then overwritten
  } else if (!error.empty()) {
    errorText = error;
    return false;
  }
  const Path exe = GameExePath(state.installRoot, entry);

  SetEnvVar("TW_WATCHDOG", "0");
  bool fullscreen = state.gameFullscreen;
  if (state.hostedMode && !fullscreen) fullscreen = GetEnvVar("VADUREZIZUVAZO_MODE") == "bigpicture";
  if (fullscreen)
    SetEnvVar("TW_FULLSCREEN", "1");
  else
    UnsetEnvVar("TW_FULLSCREEN");
  UnsetEnvVar("TW_NO_AUDIO");

  // Let go of the controllers so that the game can open them. Headless play never had them.
  const bool hadGamepads = SDL_WasInit(SDL_INIT_GAMEPAD) != 0;
  if (hadGamepads) SDL_QuitSubSystem(SDL_INIT_GAMEPAD);

  ProcessSpec spec;
  spec.program = exe;
  spec.workingFolder = exe.parent_path();
  spec.logFile = log;
  spec.endWithParent = state.headlessPlay;
  ProcessHandle process;
  int code = 0;
  if (!StartProcess(spec, process, code)) {
    errorText = "Could not start " + PathUtf8(exe) + " (error " + std::to_string(code) + ").";
    if (hadGamepads) SDL_InitSubSystem(SDL_INIT_GAMEPAD);
    return false;
  }
  state.gameProcess = process;
  state.playedGame = index;
  return true;
}

}  // namespace qm
