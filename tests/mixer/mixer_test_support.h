// A simulated mixer opened from a fixture in tests/data, with the host that sees its messages.
#pragma once

#include <string>

#include "mixer/mixer_discovery.h"
#include "platform/sim/sim_host.h"
#include "platform/sim/sim_mixer.h"

namespace sonavel::test {

struct OpenedMixer {
  explicit OpenedMixer(const std::string& fixture, uint32_t device = 0)
      : driver(LoadMixerFixture(std::string(SONAVEL_TEST_DATA) + "/" + fixture)), mixer(driver) {
    mixer.CountMixerDevices();
    Open(device);
  }
  // Opens device n and shows its failures as the program does.
  void Open(uint32_t n) { ShowMixerFailures(host, mixer.OpenMixerDevice(n)); }
  SimHost host;
  SimMixer driver;
  Mixer mixer;
  MixerControls& c = mixer.Controls;
};

}  // namespace sonavel::test
