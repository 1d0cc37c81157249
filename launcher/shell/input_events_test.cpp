#include "shell/input_events.h"

#include <SDL3/SDL.h>
#include <gtest/gtest.h>

namespace qm {
namespace {

TEST(InputEvents, StickDeadBandKeepsThePreviousDirection) {
  struct Case {
    int32_t value, previous, expected;
  } cases[] = {{-32768, 0, -1}, {-16001, 0, -1}, {-16000, 0, 0}, {-16000, -1, -1}, {-8000, 1, 1},
               {-7999, -1, 0},  {0, 1, 0},       {7999, 1, 0},   {8000, 0, 0},     {12000, 1, 1},
               {16000, -1, -1}, {16001, 0, 1},   {32767, -1, 1}};
  for (const Case& c : cases)
    EXPECT_EQ(StickDirection(c.value, c.previous), c.expected) << c.value << " " << c.previous;
}

TEST(InputEvents, QuitAndCloseOfTheLauncherWindowEndTheLoop) {
  LauncherState state;
  SDL_Event event{};
  event.type = SDL_EVENT_WINDOW_CLOSE_REQUESTED;
  event.window.windowID = 7;
  HandleEvent(state, event, 8);  // another window
  EXPECT_TRUE(state.running);
  HandleEvent(state, event, 7);
  EXPECT_FALSE(state.running);
  state.running = true;
  event.type = SDL_EVENT_QUIT;
  HandleEvent(state, event, 7);
  EXPECT_FALSE(state.running);
}

// Real SDL gamepads, made with SDL's virtual joystick API, so SDL's own mapping and button labels run.
class VirtualGamepad : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(SDL_Init(SDL_INIT_GAMEPAD)) << SDL_GetError(); }
  void TearDown() override {
    if (id_) SDL_DetachVirtualJoystick(id_);
    SDL_Quit();
  }

  void Attach(uint16_t vendor, uint16_t product) {
    SDL_VirtualJoystickDesc desc;
    SDL_INIT_INTERFACE(&desc);
    desc.type = SDL_JOYSTICK_TYPE_GAMEPAD;
    desc.vendor_id = vendor;
    desc.product_id = product;
    desc.naxes = SDL_GAMEPAD_AXIS_COUNT;
    desc.nbuttons = SDL_GAMEPAD_BUTTON_COUNT;
    desc.name = "Quillmarch test pad";
    id_ = SDL_AttachVirtualJoystick(&desc);
    ASSERT_NE(id_, 0u) << SDL_GetError();
    Pump();
    ASSERT_TRUE(state_.padSeen);
    joystick_ = SDL_GetJoystickFromID(id_);
    ASSERT_NE(joystick_, nullptr) << "the gamepad was not opened on its added event";
  }
  void Pump() {
    SDL_UpdateJoysticks();
    SDL_Event event;
    while (SDL_PollEvent(&event)) HandleEvent(state_, event, 0);
  }
  void Press(SDL_GamepadButton button) {
    SDL_SetJoystickVirtualButton(joystick_, button, true);
    Pump();
    SDL_SetJoystickVirtualButton(joystick_, button, false);
    Pump();
  }
  void Stick(SDL_GamepadAxis axis, int16_t value) {
    SDL_SetJoystickVirtualAxis(joystick_, axis, value);
    Pump();
  }

  LauncherState state_;
  SDL_JoystickID id_ = 0;
  SDL_Joystick* joystick_ = nullptr;
};

TEST_F(VirtualGamepad, FaceButtonsAreCodedByTheirLabel) {
  Attach(0x057e, 0x2009);  // Nintendo Switch Pro Controller: B is the bottom face button
  Press(SDL_GAMEPAD_BUTTON_SOUTH);
  Press(SDL_GAMEPAD_BUTTON_EAST);
  Press(SDL_GAMEPAD_BUTTON_START);
  EXPECT_EQ(state_.padCodes, (std::vector<int32_t>{kPadB, kPadA, kPadStart}));
}

TEST_F(VirtualGamepad, XboxLayoutKeepsPositionalCodes) {
  Attach(0x045e, 0x028e);  // Xbox 360 controller: A is the bottom face button
  Press(SDL_GAMEPAD_BUTTON_SOUTH);
  Press(SDL_GAMEPAD_BUTTON_WEST);
  EXPECT_EQ(state_.padCodes, (std::vector<int32_t>{kPadA, kPadX}));
}

TEST_F(VirtualGamepad, LeftStickGivesDpadCodesOncePerPush) {
  Attach(0x045e, 0x028e);
  for (int16_t v : {20000, 12000, 20000, 7000, 20000}) Stick(SDL_GAMEPAD_AXIS_LEFTY, v);
  EXPECT_EQ(state_.padCodes, (std::vector<int32_t>{kPadDpadDown, kPadDpadDown}));
  state_.padCodes.clear();
  for (int16_t v : {-20000, 0, 20000}) Stick(SDL_GAMEPAD_AXIS_LEFTX, v);
  Stick(SDL_GAMEPAD_AXIS_RIGHTX, 30000);  // other axes are ignored
  EXPECT_EQ(state_.padCodes, (std::vector<int32_t>{kPadDpadLeft, kPadDpadRight}));
}

}  // namespace
}  // namespace qm
