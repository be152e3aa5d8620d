// The master volume of the default output endpoint (the sound server's default output), which
// replaces the mixer's master control where a sound server runs.
#pragma once

#include <cstdint>

namespace sonavel {

class EndpointVolume {
 public:
  virtual ~EndpointVolume() = default;
  // 0 = silent, 1 = the endpoint's normal (100 %) volume. Returns 0 on success.
  virtual int32_t SetMasterVolumeLevelScalar(float level) = 0;
};

}  // namespace sonavel
