#include "platform/sim/sim_calibrator.h"

#include <string>

namespace sonavel {

namespace {

// He answers exactly at his thresholds, the same on both ears.
ListenerSettings CalibratingEar(const CalibratorThresholds& thresholds, const ListenerSettings& card) {
  ListenerSettings l;
  l.kind = ListenerKind::Thresholds;
  l.fullScaleHL = card.fullScaleHL;
  for (auto& ear : l.thresholds)
    for (size_t i = 0; i < ear.size(); ++i) ear[i] = thresholds[i];
  return l;
}

// The lowest value of 0..maximum at which `hears` holds, for a `hears` that grows with the value;
// the maximum when it does not hold even there. The slider is left at the value returned.
int32_t LowestHeard(int32_t maximum, const std::function<void(int32_t)>& set, const std::function<bool()>& hears) {
  set(maximum);
  if (!hears()) return maximum;
  int32_t lo = 0, hi = maximum;
  while (lo < hi) {
    const int32_t mid = lo + (hi - lo) / 2;
    set(mid);
    if (hears())
      hi = mid;
    else
      lo = mid + 1;
  }
  set(hi);
  return hi;
}

}  // namespace

SimCalibrator::SimCalibrator(const CalibratorThresholds& thresholds, const ListenerSettings& card, SimHost& host,
                             const SimWaveOut& wave, const SimMixer& mixer, const Mixer& mixerAccess,
                             const SimEndpointVolume& endpoint, const bool& useEndpointVolume)
    : thresholds_(thresholds),
      host_(host),
      wave_(wave),
      ear_(CalibratingEar(thresholds, card), host, wave, mixer, mixerAccess, endpoint, useEndpointVolume,
           [](bool) {}) {}

bool SimCalibrator::HearsNow() {
  ++Probes;
  host_.Advance(1.0);
  const SimWaveOut::Submission* s = wave_.PlayingAt(host_.MonotonicSeconds());
  if (s == nullptr || s->bytes.empty()) return false;
  const BufferAnalysis a = AnalyseBuffer(s->bytes);
  const std::optional<double> level = ear_.LevelAtEar(*s, a);
  if (!level) return false;
  return *level >= thresholds_[static_cast<size_t>(NearestTestFrequencySlot(a.frequency))];
}

void SimCalibrator::FindThresholdPositions(int32_t waveMaximum, int32_t masterMaximum,
                                           const std::function<void(int32_t)>& setWave,
                                           const std::function<void(int32_t)>& setMaster) {
  const auto hears = [this] { return HearsNow(); };
  setWave(waveMaximum);
  if (LowestHeard(masterMaximum, setMaster, hears) == masterMaximum) {
    // Not even the master at full: perhaps not at all; then both stay at full.
    setMaster(masterMaximum);
    if (!HearsNow()) return;
  }
  LowestHeard(waveMaximum, setWave, hears);
}

bool SimCalibrator::Calibrate(BioCalWizard& wizard) {
  wizard.Open(true, true);
  for (int32_t page = 0; page < 2 * 11; ++page) {
    if (!wizard.IsOpen()) return false;
    wizard.SetThresholdText(std::to_string(thresholds_[static_cast<size_t>(wizard.FrequencyIndex() - 1)]));
    wizard.OnButtonClick();
    // A threshold the wizard refuses or a device that does not play: nothing to listen to.
    if (!wizard.TonePlaying()) return false;
    FindThresholdPositions(
        wizard.WaveSlider().Maximum, wizard.MasterSlider().Maximum,
        [&](int32_t v) { wizard.WaveOutSliderChange(v); }, [&](int32_t v) { wizard.MasterSliderChange(v); });
    if (wizard.NextClick() == WizardStep::Finished) return true;
  }
  return false;
}

}  // namespace sonavel
