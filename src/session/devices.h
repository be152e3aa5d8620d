// The drivers the application wires into the core at start-up, as one object that the test
// procedure, the calibration windows, the simulator and the CLI take. Whether the master level
// goes through the endpoint volume is the state's UseEndpointVolume.
#pragma once

#include "audio/endpoint_volume.h"
#include "audio/output_watch.h"
#include "audio/wave_out.h"
#include "hearingtest/joystick.h"
#include "mixer/mixer_device.h"

namespace sonavel {

struct Devices {
  WaveOut& waveOut;
  MixerDriver& mixer;
  EndpointVolume& endpointVolume;
  Joystick& joystick;
  // The sound server's watch over the playback chain during a run; nullptr: nothing is watched
  // (ALSA without a server, the simulator, most tests).
  OutputWatch* outputWatch = nullptr;
};

}  // namespace sonavel
