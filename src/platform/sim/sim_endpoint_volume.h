// A simulated default-output volume: it stores what it is set to.
#pragma once

#include <optional>
#include <vector>

#include "audio/endpoint_volume.h"

namespace sonavel {

class SimEndpointVolume : public EndpointVolume {
 public:
  int32_t SetMasterVolumeLevelScalar(float level) override {
    Calls.push_back(level);
    if (Fail || !(level >= 0.0f && level <= 1.0f)) return 1;
    Level = level;
    return 0;
  }

  std::optional<float> Level;  // the last value taken
  std::vector<float> Calls;    // every value asked for
  bool Fail = false;
};

}  // namespace sonavel
