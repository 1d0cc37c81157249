// The one set-up job: which game is being set up, where it stands, and its progress texts. The
// home screen reads it to draw the card of the game being set up and the PLAY button.
#pragma once

#include <string>

namespace qm {

enum class SetupPhase { Idle, PickingDisc, PickingMod, Building, AskingModLocation };

struct SetupJob {
  SetupPhase phase = SetupPhase::Idle;
  int game = 0;
  int percent = 0;
  std::string lastLine;  // the build's last progress line
};

inline bool SetupBusyWith(const SetupJob& job, int game) { return job.phase != SetupPhase::Idle && job.game == game; }

}  // namespace qm
