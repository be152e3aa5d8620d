// Game controller 1 as the response button reads it: an ok flag and the button mask.
#pragma once

#include <cstdint>

namespace sonavel {

class Joystick {
 public:
  virtual ~Joystick() = default;
  // Reads controller 1; false when there is none or the read fails (`buttons` is then 0).
  virtual bool ReadButtons(uint32_t& buttons) = 0;
};

}  // namespace sonavel
