#include "hearingtest/response_button.h"

namespace sonavel {

bool JoystickButtonDown(Joystick& joystick) {
  uint32_t buttons = 0;
  if (!joystick.ReadButtons(buttons)) return false;
  return buttons != 0;
}

uint32_t JoystickLightColour(Joystick& joystick) { return JoystickButtonDown(joystick) ? 0x000000FFu : 0u; }

void PollResponse(ResponseSource source, Joystick& joystick, ResponseLight& light, bool& ButtonPressed,
                  bool& heard) {
  if (source == ResponseSource::Joystick) ButtonPressed = JoystickButtonDown(joystick);
  light.SetLightVisible(ButtonPressed);
  if (ButtonPressed) heard = true;
}

void FormKeyDown(bool& ButtonPressed, int32_t /*Key*/, bool CtrlHeld) { ButtonPressed = CtrlHeld; }

void FormKeyUp(bool& ButtonPressed, int32_t /*Key*/) { ButtonPressed = false; }

}  // namespace sonavel
