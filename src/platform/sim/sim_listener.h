// A simulated listener who answers through the real response path. At every event pump it looks
// at the buffer the simulated wave output is playing at that moment and at the simulated mixer's
// levels, works out the hearing level at the ear, and holds the response button from a reaction
// time after the tone's onset until the tone's end when it hears the tone.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>

#include "mixer/mixer_discovery.h"
#include "platform/sim/buffer_analysis.h"
#include "platform/sim/sim_endpoint_volume.h"
#include "platform/sim/sim_host.h"
#include "platform/sim/sim_mixer.h"
#include "platform/sim/sim_wave_out.h"

namespace sonavel {

enum class ListenerKind { Never, Always, Thresholds };

struct ListenerSettings {
  ListenerKind kind = ListenerKind::Thresholds;
  // dB HL per ear at 125, 250, 500, 750, 1000, 1500, 2000, 3000, 4000, 6000 and 8000 Hz.
  std::array<std::array<double, 11>, 2> thresholds{};
  double reactionSeconds = 0.3;
  // What the card and the headphones give: the hearing level at the ear of a full-scale tone
  // with the card's volumes at full. 70 makes the test's scale exact without a calibration (a
  // full-scale tone is the test's ceiling, 70 dB HL); a louder card needs its volumes lowered,
  // which a calibration by ear finds.
  double fullScaleHL = 70.0;
  // With a slope s (dB) a tone L dB above threshold is heard with probability 1 / (1 + e^(-L/s)).
  std::optional<double> slope;
  double falseAlarm = 0;  // probability of pressing for a tone not heard
  double lapse = 0;       // probability of missing a tone heard
  uint64_t seed = 1;
};

// The record slot (0..10) of the test frequency nearest to `hz`.
int32_t NearestTestFrequencySlot(double hz);

class SimListener {
 public:
  // `press` is how the listener works the button (a CTRL key event or the simulated joystick).
  SimListener(ListenerSettings settings, SimHost& host, const SimWaveOut& wave, const SimMixer& mixer,
              const Mixer& mixerAccess, const SimEndpointVolume& endpoint, const bool& useEndpointVolume,
              std::function<void(bool pressed)> press);

  // Starts listening at every event pump of the host.
  void Attach();
  void Poll();

  // The hearing level at the ear of the buffer sounding now, or nothing when none sounds.
  std::optional<double> LevelAtEar(const SimWaveOut::Submission& s, const BufferAnalysis& a) const;

  int64_t Presses = 0;

 private:
  double GainDb(const TMixUnsignedControl& control, int32_t channel) const;
  bool Decide(double levelHL, double threshold);
  double Uniform();

  ListenerSettings settings_;
  SimHost& host_;
  const SimWaveOut& wave_;
  const SimMixer& mixer_;
  const Mixer& mixerAccess_;
  const SimEndpointVolume& endpoint_;
  const bool& useEndpointVolume_;
  std::function<void(bool)> press_;
  bool pressed_ = false;
  // Per submission: what the buffer holds and whether the tone is heard.
  size_t current_ = static_cast<size_t>(-1);
  BufferAnalysis analysis_;
  bool heard_ = false;
  uint64_t rng_;
};

}  // namespace sonavel
