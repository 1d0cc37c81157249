// Starting the recompiled game of one catalogue entry: its log (keeping the previous run's), the
// environment through which the launcher passes its choices, and the gamepads handed over.
#pragma once

#include <cstdint>
#include <string>

namespace qm {

struct LauncherState;

// Starts game `index`. True on success, with `gameProcess` and `playedGame` set; false with
// `errorText` replaced by the failure message.
bool LaunchGame(LauncherState& state, int index, std::string& errorText);

// An exit code as a signed 32-bit decimal number (3221225477 reads -1073741819).
std::string SignedExitCode(int64_t code);

// The status line for a game that ended with a non-zero code.
std::string GameStoppedText(int game, int64_t exitCode);

}  // namespace qm
