// The rules of the calibration by ear (the wizard TfrmBioCal): 22 pages, the left ear at the
// eleven test frequencies and then the right ear, on each of which the user sets the card's
// wave, master and gain sliders to the border of hearing of a looped tone of known level. The
// window maps its controls onto this class; everything it shows comes from here.
#pragma once

#include <cstdint>
#include <string>

#include "model/calibration_data.h"
#include "calibration/calibration_file.h"
#include "calibration/calibration_tone.h"

namespace sonavel {

// The question of the New Calibration command: Yes opens the compatibility test instead.
constexpr const char* CompatibilityFirstQuestion =
    "Vor der Kalibrierung des Audiometers sollte die Kompatibilität der Soundkarte geprüft werden.\n"
    "Möchten sie diesen Test jetzt durchführen?";
// The question on each opening of the wizard (Yes, No and Help).
constexpr const char* ReferenceAudiogramQuestion =
    "Haben Sie ein Audiogramm von einem aktuallen Hörtest (z.B. von einem Hörtest bei einem Ohrenarzt), den "
    "Sie "
    "als Referenz benutzen können? Ist dies nicht der Fall, ist es zu empfehlen das gesunde Gehör einer "
    "jungen "
    "Person als Referenz zu verwenden.";
constexpr int32_t BioCalHelpContext = 11;

constexpr const char* CalibrationByEarComment = "Calibration by Ear";

// The threshold field when the tone starts.
constexpr const char* ThresholdNotWholeText =
    " ist keine ganze Zahl. Bitte geben Sie die bekannte Hörschwelle als ganze Zahl in dB ein.";
constexpr const char* ThresholdTooHighText =
    "Eine Hörschwelle über 70 dB lässt sich nicht abspielen: der Ton läge über dem Höchstpegel der "
    "Soundkarte und würde verzerrt. Bitte geben Sie höchstens 70 dB ein.";
// The highest known threshold: it plays at full scale, as the test plays its ceiling.
constexpr int32_t MaxKnownThreshold = CeilingHL;

// The digital level of the wizard's tone for a known threshold of `known` dB HL: the level at
// which the test plays that hearing level with a calibration by ear (LevelOffset 0), so that the
// slider positions found for it are the ones that make the test's dB HL true. (The wizard once
// played it 10 dB higher than the test, at known - 60, and every test read 10 dB high.)
inline double KnownThresholdToneLevel(int32_t known) { return InternalLevel(known); }

// Asks the question of the New Calibration command; true when the user wants the compatibility
// test first.
bool AskCompatibilityTestFirst(Host& host);

// Where the finished calibration goes: the hand-over to the Calibration Information dialog and
// the header whose Comment a calibration by ear sets. Held by reference so that the wizard
// depends on nothing but these values.
struct CalibrationHandOver {
  CalibrationTable& WorkingCalibration;  // entries 1..11 of both ears are the wizard's
  bool& NewCalibrationPending;
  std::string& NewCalibrationDate;
  std::string& NewCalibrationTime;
  CalibrationHeader& Header;
};

// What a click on Next or Previous led to.
enum class WizardStep {
  Page,      // another page is shown
  Finished,  // the last page is done: show the Calibration Information dialog; the wizard is closed
  Closed,    // cancelled on the first page; the wizard is closed
};

class BioCalWizard {
 public:
  BioCalWizard(const CalibrationWindowContext& context, const CalibrationHandOver& handOver);
  BioCalWizard(const BioCalWizard&) = delete;
  BioCalWizard& operator=(const BioCalWizard&) = delete;

  // Showing the window: asks about a reference audiogram through the host (Yes, No, Help), then
  // opens. `FreshCalibration` is true for a new calibration, false to check the one in use.
  void Show(bool FreshCalibration);
  // Opening with the answer already given: the sliders, the directions, the sound card
  // prepared, the working table filled and the first page prepared.
  void Open(bool FreshCalibration, bool KnownThresholdMode);
  // The window's close button (and the end of every other way out): stops the tone.
  void Close();
  bool IsOpen() const { return open_; }

  // The page.
  int32_t Ear() const { return ear_; }
  int32_t FrequencyIndex() const { return index_; }
  int32_t Frequency() const;
  std::string Caption() const;          // the window's caption
  std::string FreqSideText() const;     // lblFreqSide
  std::string PreviousCaption() const;  // "Abbrechen" on the first page, else "<- Zurück"
  std::string PreviousHint() const;
  bool KnownThresholdMode() const { return knownThresholdMode_; }
  // Threshold and Label6 are shown only with a reference audiogram.
  bool ThresholdVisible() const { return knownThresholdMode_; }
  const std::string& DirectionsText() const { return directions_; }
  // GainSlider, GainBox, GainLabel and Label4 together.
  bool GainVisible() const { return gain_.Visible; }

  // The sliders (values, not positions; see SliderView).
  const SliderView& WaveSlider() const { return wave_; }
  const SliderView& MasterSlider() const { return master_; }
  const SliderView& GainSlider() const { return gain_; }
  void WaveOutSliderChange(int32_t value);
  void MasterSliderChange(int32_t value);
  void GainSliderChange(int32_t value);

  // The known threshold in dB as typed.
  const std::string& ThresholdText() const { return threshold_; }
  void SetThresholdText(std::string text) { threshold_ = std::move(text); }
  // Enter in Threshold: while the tone plays, it starts again at the new level.
  void ThresholdEnter();

  // The tone.
  void OnButtonClick();
  bool TonePlaying() const { return tone_.Playing(); }
  std::string OnButtonCaption() const { return tone_.Playing() ? "Aus" : "Ein"; }
  bool LedGreen() const { return tone_.Playing(); }
  // The digital level of the tone, dB relative to full scale: the known threshold - 70.
  double ToneLevel() const { return tone_.Level(); }

  // Next and Previous (Previous also for Escape).
  WizardStep NextClick();
  WizardStep PreviousClick();

 private:
  CalibrationEntry& Current();
  void PreparePage();
  void ApplyWave(int32_t value);
  void ApplyMaster(int32_t value);
  void ApplyGain(int32_t value);
  void StartTone();
  void Finish();

  CalibrationWindowContext ctx_;
  CalibrationHandOver handOver_;
  LoopedTone tone_;
  bool open_ = false;
  bool knownThresholdMode_ = false;
  bool freshCalibration_ = false;
  int32_t ear_ = LeftEar;
  int32_t index_ = 1;
  std::string threshold_ = "0";
  std::string directions_;
  SliderView wave_, master_, gain_;
};

}  // namespace sonavel
