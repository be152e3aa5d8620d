// The calibration windows' rules on the simulated devices: a mixer built from a small fixture
// text, the virtual-clock wave output, the endpoint volume and the hand-over values.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "calibration/bio_cal.h"
#include "calibration/compatibility.h"
#include "platform/sim/buffer_analysis.h"
#include "platform/sim/sim_endpoint_volume.h"
#include "platform/sim/sim_host.h"
#include "platform/sim/sim_mixer.h"
#include "platform/sim/sim_wave_out.h"

namespace sonavel::test {

// Master 65535 in 20 steps (q = 3276), gain 1000 in 10 (q = 100), wave 65535 in 100 (q = 655).
inline const char* const CalibrationCard = R"(
device "Cal Card" version 1.0
destination DST_SPEAKERS "Speakers" id 0xFFFF0000
  control VOLUME "Master Volume" id 0x10 max 65535 steps 20 value 1000 2000
  control UNSIGNED "Output Gain" id 0x11 max 1000 steps 10
  source SRC_WAVEOUT "Wave"
    control VOLUME "Wave Volume" id 0x20 max 65535 steps 100 value 32750
)";
constexpr uint32_t MasterID = 0x10;
constexpr uint32_t GainID = 0x11;
constexpr uint32_t WaveID = 0x20;

struct CalibrationRig {
  explicit CalibrationRig(const std::string& fixture = CalibrationCard, bool endpointVolume = false)
      : driver(ParseMixerFixture(fixture)), mixer(driver), wave(host), output(wave) {
    mixer.CountMixerDevices();
    mixer.OpenMixerDevice(0);
    state.UseEndpointVolume = endpointVolume;
  }

  CalibrationWindowContext Context() {
    return {state, mixer.Controls, endpoint, output, wave, host, regional};
  }
  CalibrationHandOver HandOver() {
    return {WorkingCalibration, NewCalibrationPending, NewCalibrationDate, NewCalibrationTime, Header};
  }

  // The items of the last set of a control, as the block carried them (one for a uniform one).
  std::vector<int32_t> LastSet(uint32_t controlID) const {
    for (auto it = driver.Sets.rbegin(); it != driver.Sets.rend(); ++it)
      if (it->controlID == controlID) return it->items;
    return {};
  }
  size_t SetCount(uint32_t controlID) const {
    size_t n = 0;
    for (const auto& s : driver.Sets) n += s.controlID == controlID;
    return n;
  }
  // What the device plays now, analysed.
  std::optional<BufferAnalysis> Sounding() const {
    const SimWaveOut::Submission* s = wave.PlayingAt(host.Seconds());
    if (!s) return std::nullopt;
    return AnalyseBuffer(s->bytes);
  }

  SimHost host;
  SimMixer driver;
  Mixer mixer;
  SimWaveOut wave;
  ToneOutput output;
  SimEndpointVolume endpoint;
  AppState state;
  RegionalFormat regional = RegionalDeDe();

  CalibrationTable WorkingCalibration{};
  bool NewCalibrationPending = false;
  std::string NewCalibrationDate;
  std::string NewCalibrationTime;
  CalibrationHeader Header;
};

}  // namespace sonavel::test
