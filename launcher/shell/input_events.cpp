#include "shell/input_events.h"

#include <SDL3/SDL_gamepad.h>

namespace qm {

int32_t StickDirection(int32_t value, int32_t previous) {
  if (value < -16000) return -1;
  if (value > 16000) return 1;
  if (value >= -7999 && value <= 7999) return 0;
  return previous;
}

namespace {

int32_t LabelledCode(const SDL_GamepadButtonEvent& button) {
  int32_t code = button.button;
  SDL_Gamepad* pad = SDL_GetGamepadFromID(button.which);
  switch (pad ? SDL_GetGamepadButtonLabel(pad, SDL_GamepadButton(button.button)) : SDL_GAMEPAD_BUTTON_LABEL_UNKNOWN) {
    case SDL_GAMEPAD_BUTTON_LABEL_A:
      code = kPadA;
      break;
    case SDL_GAMEPAD_BUTTON_LABEL_B:
      code = kPadB;
      break;
    case SDL_GAMEPAD_BUTTON_LABEL_X:
      code = kPadX;
      break;
    case SDL_GAMEPAD_BUTTON_LABEL_Y:
      code = kPadY;
      break;
    default:
      break;
  }
  return code;
}

void HandleStick(LauncherState& state, const SDL_GamepadAxisEvent& axis) {
  if (axis.axis != SDL_GAMEPAD_AXIS_LEFTX && axis.axis != SDL_GAMEPAD_AXIS_LEFTY) return;
  const bool vertical = axis.axis == SDL_GAMEPAD_AXIS_LEFTY;
  int32_t& stored = state.stickDirection[vertical ? 1 : 0];
  const int32_t direction = StickDirection(axis.value, stored);
  if (direction != 0 && direction != stored) {
    if (vertical)
      state.padCodes.push_back(direction < 0 ? kPadDpadUp : kPadDpadDown);
    else
      state.padCodes.push_back(direction < 0 ? kPadDpadLeft : kPadDpadRight);
  }
  stored = direction;
}

}  // namespace

void HandleEvent(LauncherState& state, const SDL_Event& event, SDL_WindowID windowId) {
  switch (event.type) {
    case SDL_EVENT_QUIT:
      state.running = false;
      break;
    case SDL_EVENT_WINDOW_CLOSE_REQUESTED:
      if (windowId != 0 && event.window.windowID == windowId) state.running = false;
      break;
    case SDL_EVENT_GAMEPAD_ADDED:
      SDL_OpenGamepad(event.gdevice.which);  // whatever the result
      state.padSeen = true;
      break;
    case SDL_EVENT_GAMEPAD_BUTTON_DOWN:
      state.padCodes.push_back(LabelledCode(event.gbutton));
      break;
    case SDL_EVENT_GAMEPAD_AXIS_MOTION:
      HandleStick(state, event.gaxis);
      break;
    default:
      break;
  }
}

}  // namespace qm
