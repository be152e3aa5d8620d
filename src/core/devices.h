// The drivers the application wires into the core at start-up, as one object that the test
// procedure, the calibration windows, the simulator and the CLI take.
#pragma once

#include "audio/endpoint_volume.h"
#include "audio/wave_out.h"
#include "hearingtest/joystick.h"
#include "mixer/mixer_device.h"

namespace sonavel {

struct Devices {
  WaveOut& waveOut;
  MixerDriver& mixer;
  EndpointVolume& endpointVolume;
  Joystick& joystick;
  // The master level goes through the endpoint volume (a sound server's default output
  // answered at start-up).
  bool useEndpointVolume = false;
};

}  // namespace sonavel
