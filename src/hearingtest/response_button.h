// The listener's response button: any button of game controller 1 or the CTRL key, sampled as a
// level (no debouncing, no edges) at every poll of the test, and the lights that show it.
#pragma once

#include <cstdint>

#include "hearingtest/joystick.h"

namespace sonavel {

// Which input is the response button; fixed for the whole of a run.
enum class ResponseSource { CtrlKey, Joystick };

// The response light of the test window.
class ResponseLight {
 public:
  virtual ~ResponseLight() = default;
  virtual void SetLightVisible(bool visible) = 0;
};

// Any button of controller 1 counts; no controller or a failed read counts as not pressed.
bool JoystickButtonDown(Joystick& joystick);

// The joystick test light of the settings dialog: red while a button is down, else black (also
// when the controller cannot be read).
uint32_t JoystickLightColour(Joystick& joystick);

// The response poll of the test. With the joystick as source the button state is read anew;
// with the CTRL key it is what the key handlers left. The light follows the state, and a pressed
// button marks the current presentation as heard.
void PollResponse(ResponseSource source, Joystick& joystick, ResponseLight& light, bool& ButtonPressed,
                  bool& heard);

// The key handlers of the test window: any key pressed while CTRL is held (the CTRL key itself
// and its auto-repeat included) presses the button, any other key-down and every key-up release it.
void FormKeyDown(bool& ButtonPressed, int32_t Key, bool CtrlHeld);
void FormKeyUp(bool& ButtonPressed, int32_t Key);

}  // namespace sonavel
