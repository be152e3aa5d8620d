// Game controller 1 through SDL2's joystick subsystem alone (no video): its buttons as a mask.
// A controller plugged in later is found at the next read; one pulled out reads as not pressed.
#pragma once

#include <cstdint>

#include "hearingtest/joystick.h"

struct _SDL_Joystick;

namespace sonavel {

class SdlJoystick : public Joystick {
 public:
  SdlJoystick();
  ~SdlJoystick() override;
  SdlJoystick(const SdlJoystick&) = delete;

  bool ReadButtons(uint32_t& buttons) override;

 private:
  bool initialised_ = false;
  _SDL_Joystick* joystick_ = nullptr;
};

}  // namespace sonavel
