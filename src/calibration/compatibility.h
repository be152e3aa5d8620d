// The rules of the hardware compatibility test (TfrmCompatibilityTest): before calibrating, the
// user plays the looped test tone at any test frequency, on either ear's channel, at a digital
// level from 0 down to -60 dB relative to full scale, while moving the card's wave, master and
// gain sliders. The window maps its controls onto this class.
#pragma once

#include <cstdint>
#include <string>

#include "calibration/calibration_tone.h"

namespace sonavel {

constexpr const char* CompatibilityWarningText =
    "Je nach Hardware kann dieser Test sehr laute Töne im Kopfhörer erzeugen.\n"
    "BITTE NEHMEN SIE DEN KOPFHÖRER AB, wenn sie den Testton einschalten, und setzen Sie ihn DANN wieder auf "
    "und erhöhen falls nötig langsam den Pegel.";
constexpr const char* ZeroWaveStepsText =
    "Your soundcard is reporting zero possible levels on the wave volume control and is therefore not "
    "compatible with this program, sorry. Please try another sound card.";
constexpr const char* ZeroMasterStepsText =
    "Your soundcard is reporting zero possible levels on the master volume control and is therefore not "
    "compatible with this program, sorry. Please try another sound card.";
constexpr int32_t CompatibilityHelpContext = 26;

// The frequency slider: positions 1 (top) to 11 (bottom); position p plays frequency index 12 - p.
constexpr int32_t FrequencyPositionMin = 1;
constexpr int32_t FrequencyPositionMax = 11;
constexpr int32_t FrequencyIndexOfPosition(int32_t position) { return 12 - position; }

// The level field's range, dB relative to full scale.
constexpr int32_t CompatibilityLevelMin = -60;
constexpr int32_t CompatibilityLevelMax = 0;

// The level of the field as it is written back when the field is left: the whole number that
// the text starts with (blanks before it and a sign allowed, so "-30 dB" is -30), held within
// -60..0. A text that starts with no number keeps `previous`.
int32_t CompatibilityLevelOfText(const std::string& text, int32_t previous);

class CompatibilityTestRules {
 public:
  explicit CompatibilityTestRules(const CalibrationWindowContext& context);
  CompatibilityTestRules(const CompatibilityTestRules&) = delete;
  CompatibilityTestRules& operator=(const CompatibilityTestRules&) = delete;

  // Showing the window: the warning, the active output device, the sliders from the card's
  // current levels (with the zero-steps messages), the sound card prepared.
  void Show();
  // Closing (btnClose or the window's close button): a playing tone stops as OnButton stops it.
  void Close();
  bool IsShown() const { return shown_; }

  // Label9.
  const std::string& ActiveSoundcardText() const { return activeSoundcard_; }

  // The volume sliders (values, not positions; see SliderView).
  const SliderView& WaveSlider() const { return wave_; }
  const SliderView& MasterSlider() const { return master_; }
  const SliderView& GainSlider() const { return gain_; }
  // GainSlider, GainLabel and Label4 together.
  bool GainVisible() const { return gain_.Visible; }
  void WaveOutSliderChange(int32_t value);
  void MasterSliderChange(int32_t value);
  void GainSliderChange(int32_t value);

  // tbrFrequency and Label8.
  int32_t FrequencyPosition() const { return frequencyPosition_; }
  int32_t Frequency() const;
  std::string FrequencyText() const { return std::to_string(Frequency()); }
  // A move of the frequency slider; a playing tone starts again at the new frequency.
  void FrequencyChange(int32_t position);

  // Threshold: the level typed, and the rule when the field is left (the text is written back).
  const std::string& ThresholdText() const { return threshold_; }
  void SetThresholdText(std::string text) { threshold_ = std::move(text); }
  void ThresholdExit();

  // rdoLeftEar / rdoRightEar: fixed while the tone plays.
  int32_t Ear() const { return ear_; }
  bool EarButtonsEnabled() const { return !tone_.Playing(); }
  // False (and no change) while the tone plays.
  bool ChooseEar(int32_t ear);

  // The tone.
  void OnButtonClick();
  bool TonePlaying() const { return tone_.Playing(); }
  // The tone button and the volume sliders work only while no test runs: the window may stay
  // open beside a test (when it was opened from the question before a calibration), and its
  // tone or sliders would change the test's output. A test that starts stops the tone first.
  bool CardControlsEnabled() const { return !ctx_.state.Run.Active; }
  void TestStarted() { tone_.Stop(); }
  std::string OnButtonCaption() const { return tone_.Playing() ? "Aus" : "Ein"; }
  bool LedGreen() const { return tone_.Playing(); }

 private:
  // The slider of a mixer control set from the card's current level.
  void SetUpFromCard(SliderView& slider, TMixUnsignedControl& control);
  void ApplyWave();
  void ApplyMaster();
  void ApplyGain();

  CalibrationWindowContext ctx_;
  LoopedTone tone_;
  bool shown_ = false;
  std::string activeSoundcard_;
  SliderView wave_, master_, gain_;
  int32_t frequencyPosition_ = FrequencyPositionMax;
  std::string threshold_ = "0";
  int32_t level_ = 0;  // the last level written back to the field
  int32_t ear_ = LeftEar;
};

}  // namespace sonavel
