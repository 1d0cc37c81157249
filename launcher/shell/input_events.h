// Translation of SDL events into the launcher's inputs: quit and close requests, and gamepad
// buttons and the left stick as the label-based codes that the home screen consumes.
#pragma once

#include <SDL3/SDL_events.h>

#include <cstdint>

#include "shell/launcher_state.h"

namespace qm {

// SDL gamepad button codes as they arrive in padCodes (0-3 by the printed label: A, B, X, Y).
enum PadCode : int32_t {
  kPadA = 0,
  kPadB = 1,
  kPadX = 2,
  kPadY = 3,
  kPadBack = 4,
  kPadGuide = 5,
  kPadStart = 6,
  kPadDpadUp = 11,
  kPadDpadDown = 12,
  kPadDpadLeft = 13,
  kPadDpadRight = 14,
};

// New direction (-1, 0, 1) of one stick axis; values between the two thresholds keep `previous`,
// a dead band against flicker.
int32_t StickDirection(int32_t value, int32_t previous);

// Applies one event to the launcher state. `windowId` is the launcher window's, 0 when none.
// The caller first hands the event to ImGui's platform back end.
void HandleEvent(LauncherState& state, const SDL_Event& event, SDL_WindowID windowId);

}  // namespace qm
