// Picks and builds the drivers at start-up: the sound server (libpulse) when one answers, else
// ALSA; SONAVEL_AUDIO=pulse|alsa|sim forces one. The mixer is ALSA's (with the "pulse" control
// device where a server runs), the joystick SDL's; "sim" gives the simulated set on the host's
// clock. The server's output watch comes with the libpulse drivers, on their connection.
#pragma once

#include <memory>
#include <string>

#include "core/host.h"
#include "session/devices.h"

namespace sonavel {

struct DriverOptions {
  std::string audio;         // "pulse", "alsa", "sim"; empty: SONAVEL_AUDIO, else automatic
  std::string mixerFixture;  // a fixture file for the simulated mixer (any audio choice)
};

struct PlatformDrivers {
  std::unique_ptr<WaveOut> waveOut;
  std::unique_ptr<MixerDriver> mixer;
  std::unique_ptr<EndpointVolume> endpointVolume;
  std::unique_ptr<Joystick> joystick;
  // The sound server's watch over the playback chain; nullptr without a server (ALSA).
  std::unique_ptr<OutputWatch> outputWatch;
  // A sound server's default output answered at start-up: the master level goes through the
  // endpoint volume (the application copies this into the state's UseEndpointVolume).
  bool useEndpointVolume = false;
  std::string audioSystem;  // which wave driver was chosen: "pulse", "alsa" or "sim"
  std::string note;         // why the chosen one was chosen, when it was not asked for

  Devices View() const { return {*waveOut, *mixer, *endpointVolume, *joystick, outputWatch.get()}; }
};

// Throws SonavelError for an unknown SONAVEL_AUDIO value or a malformed mixer fixture.
PlatformDrivers MakeDrivers(Host& host, const DriverOptions& options = {});

}  // namespace sonavel
