// The master volume of the sound server's default output: the scalar times the normal volume,
// on every channel of the default sink.
#pragma once

#include <memory>

#include "audio/endpoint_volume.h"
#include "platform/pulse/pulse_connection.h"

namespace sonavel {

class PulseEndpointVolume : public EndpointVolume {
 public:
  explicit PulseEndpointVolume(std::shared_ptr<PulseConnection> connection) : c_(std::move(connection)) {}
  int32_t SetMasterVolumeLevelScalar(float level) override;

 private:
  std::shared_ptr<PulseConnection> c_;
};

}  // namespace sonavel
