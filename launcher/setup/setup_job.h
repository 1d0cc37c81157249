// The one set-up job of the launcher: which game is being set up, where it stands, the picked
// sources, the running build script and its progress. Touched only by the UI thread.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "platform/process.h"

namespace qm {

enum class SetupPhase : int32_t { SetupIdle = 0, PickingDisc = 1, PickingMod = 2, Building = 3, AskingModSource = 4 };

struct SetupJob {
  SetupPhase phase = SetupPhase::SetupIdle;
  int game = 0;
  std::string discPath;  // picked in this set-up; empty when none was asked for
  std::string modPath;
  std::filesystem::path logPath;
  ProcessHandle process;
  std::string progressLine = "Starting...";
  int32_t percent = 0;
  std::string errorLine;
  double startTime = 0, anchorTime = 0, nextPoll = 0;  // seconds on SDL's tick clock
  // Where the incremental log reader stands: bytes applied so far, and the last line while it has
  // no line feed yet.
  uint64_t logOffset = 0;
  std::string partialLine;
};

inline bool SetupBusyWith(const SetupJob& job, int game) {
  return job.phase != SetupPhase::SetupIdle && job.game == game;
}

// A status-line message for the home screen.
struct StatusMessage {
  std::string text;
  bool isError = false;
};

}  // namespace qm
