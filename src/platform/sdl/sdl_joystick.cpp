#include "platform/sdl/sdl_joystick.h"

#include <SDL.h>

#include <algorithm>

namespace sonavel {

SdlJoystick::SdlJoystick() {
  // The program has no SDL window: controller state must update without one.
  SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
  initialised_ = SDL_InitSubSystem(SDL_INIT_JOYSTICK) == 0;
  if (initialised_) SDL_JoystickEventState(SDL_IGNORE);
}

SdlJoystick::~SdlJoystick() {
  if (joystick_) SDL_JoystickClose(joystick_);
  if (initialised_) SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
}

bool SdlJoystick::ReadButtons(uint32_t& buttons) {
  buttons = 0;
  if (!initialised_) return false;
  SDL_PumpEvents();
  SDL_JoystickUpdate();
  if (joystick_ && !SDL_JoystickGetAttached(joystick_)) {
    SDL_JoystickClose(joystick_);
    joystick_ = nullptr;
  }
  if (!joystick_) {
    if (SDL_NumJoysticks() < 1) return false;
    joystick_ = SDL_JoystickOpen(0);
    if (!joystick_) return false;
    SDL_JoystickUpdate();
  }
  const int count = std::min(SDL_JoystickNumButtons(joystick_), 32);
  if (count < 0) return false;
  for (int i = 0; i < count; ++i)
    if (SDL_JoystickGetButton(joystick_, i)) buttons |= 1u << i;
  return true;
}

}  // namespace sonavel
