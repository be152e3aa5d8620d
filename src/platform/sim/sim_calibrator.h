// A simulated person who calibrates by ear: he knows his own thresholds (he types them as the
// known thresholds of a reference audiogram), listens to the wizard's looped tone on the
// simulated card and moves the volume sliders to the lowest positions at which he still hears
// it, on each of the wizard's 22 pages. With the test that follows, it shows that a calibration
// by ear leads a listener to his own thresholds.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "calibration/bio_cal.h"
#include "platform/sim/sim_listener.h"

namespace sonavel {

// The calibrating person's thresholds in dB HL at the eleven test frequencies (both ears), whole
// numbers as he types them, at most the highest known threshold the wizard plays.
using CalibratorThresholds = std::array<int32_t, 11>;

class SimCalibrator {
 public:
  // `card` says what the card and the headphones give (its fullScaleHL); the other listener
  // settings are his own: he answers exactly at his thresholds.
  SimCalibrator(const CalibratorThresholds& thresholds, const ListenerSettings& card, SimHost& host,
                const SimWaveOut& wave, const SimMixer& mixer, const Mixer& mixerAccess,
                const SimEndpointVolume& endpoint, const bool& useEndpointVolume);

  // He hears the tone that sounds now: its level at the ear reaches his threshold for its ear
  // and frequency. Listening takes a pulse of the looped tone (one second on the clock).
  bool HearsNow();

  // One page: with the sliders set through `setMaster` and `setWave` (slider values 0..maximum),
  // finds the lowest master position at which he hears the tone with the wave slider at full,
  // then the lowest wave position with that master. Both sliders end at full when he cannot hear
  // the tone at all. Hearing grows with either slider, so each search halves its range.
  void FindThresholdPositions(int32_t waveMaximum, int32_t masterMaximum,
                              const std::function<void(int32_t)>& setWave,
                              const std::function<void(int32_t)>& setMaster);

  // The whole calibration through the wizard's rules: opened for a new calibration with a
  // reference audiogram, on each page his threshold typed, the tone on, the sliders found, Next,
  // until the wizard hands over. True when it finished (every page done).
  bool Calibrate(BioCalWizard& wizard);

  const CalibratorThresholds& Thresholds() const { return thresholds_; }
  int64_t Probes = 0;  // slider positions listened to

 private:
  CalibratorThresholds thresholds_;
  SimHost& host_;
  const SimWaveOut& wave_;
  SimListener ear_;
};

}  // namespace sonavel
