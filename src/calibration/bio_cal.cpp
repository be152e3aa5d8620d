#include "calibration/bio_cal.h"

#include <string>

namespace sonavel {

namespace {

constexpr int32_t FirstIndex = 1;
constexpr int32_t LastIndex = 11;

const char* const DirectionsGainKnown =
    "Geben Sie Ihre bekannte Hörschwelle im gelben Feld ein, starten Sie den Tongenerator und stellen Sie "
    "die "
    "Lautstärke mit den Schiebereglers genau auf Ihre Hörschwelle zwischen hörbar und unhörbar ein. Der "
    "Gain-Faktor sollte dabei so niedrig wie möglich sein, um den Rauschabstand zu verbessern.";
const char* const DirectionsGain =
    " Starten Sie den Tongenerator und stellen Sie die Lautstärke mit den Schiebereglers genau auf Ihre "
    "Hörschwelle zwischen hörbar und unhörbar ein. Der Gain-Faktor sollte dabei so niedrig wie möglich sein, "
    "um den Rauschabstand zu verbessern.";
const char* const DirectionsKnown =
    "Geben Sie Ihre bekannte Hörschwelle im gelben Feld ein, starten Sie den Tongenerator und stellen Sie "
    "die "
    "Lautstärke mit den Schiebereglers genau auf Ihre Hörschwelle zwischen hörbar und unhörbar ein.";
const char* const DirectionsPlain =
    "Starten Sie den Tongenerator und stellen Sie die Lautstärke mit den Schiebereglers genau auf Ihre "
    "Hörschwelle zwischen hörbar und unhörbar ein.";

int32_t TicksOf(uint32_t steps) { return SliderMaximumOf(steps / 8); }

}  // namespace

bool AskCompatibilityTestFirst(Host& host) {
  return host.MessageBox(CompatibilityFirstQuestion, "", MessageIcon::Confirmation, ButtonYes | ButtonNo) ==
         ResultYes;
}

BioCalWizard::BioCalWizard(const CalibrationWindowContext& context, const CalibrationHandOver& handOver)
    : ctx_(context), handOver_(handOver), tone_(context.output, context.host, context.outputWatch) {}

void BioCalWizard::Show(bool FreshCalibration) {
  const int32_t answer = ctx_.host.MessageBox(ReferenceAudiogramQuestion, "", MessageIcon::Confirmation,
                                              ButtonYes | ButtonNo, BioCalHelpContext);
  Open(FreshCalibration, answer == ResultYes);
}

void BioCalWizard::Open(bool FreshCalibration, bool KnownThresholdMode) {
  tone_.Stop();
  tone_.CheckOutputAgain();
  freshCalibration_ = FreshCalibration;
  knownThresholdMode_ = KnownThresholdMode;
  threshold_ = "0";
  ear_ = LeftEar;
  index_ = FirstIndex;

  MixerControls& c = ctx_.controls;
  wave_ = {};
  wave_.Maximum = SliderMaximumOf(c.WaveVolume.Steps);
  wave_.TickFrequency = TicksOf(c.WaveVolume.Steps);
  wave_.Notice = SliderNotice(c.WaveVolume);
  master_ = {};
  if (ctx_.state.UseEndpointVolume) {
    master_.Maximum = 1000;
    master_.TickFrequency = 100;
  } else {
    master_.Maximum = SliderMaximumOf(c.MasterVolume.Steps);
    master_.TickFrequency = TicksOf(c.MasterVolume.Steps);
    master_.Notice = SliderNotice(c.MasterVolume);
  }
  gain_ = {};
  gain_.Visible = c.OutputGain.Exist && c.OutputGain.Maxvalue > 0 && c.OutputGain.Steps != 0;
  // A hidden gain slider still runs its actions on a control that exists; its range is the
  // control's step count, so a control without steps keeps it at 0.
  gain_.Maximum = SliderMaximumOf(c.OutputGain.Steps);
  gain_.TickFrequency = TicksOf(c.OutputGain.Steps);
  if (gain_.Visible) gain_.Notice = SliderNotice(c.OutputGain);

  if (gain_.Visible)
    directions_ = knownThresholdMode_ ? DirectionsGainKnown : DirectionsGain;
  else
    directions_ = knownThresholdMode_ ? DirectionsKnown : DirectionsPlain;

  PrepareSoundCard(ctx_.state.UseEndpointVolume, c);

  CalibrationTable& work = handOver_.WorkingCalibration;
  const bool fromCalibration = ctx_.state.CalibrationLoaded && !FreshCalibration;
  for (int32_t e = 0; e < EarCount; ++e) {
    for (int32_t i = FirstIndex; i <= LastIndex; ++i) {
      CalibrationEntry& w = work[e][i];
      const CalibrationEntry from = fromCalibration ? ctx_.state.CalibrationData[e][i] : CalibrationEntry{};
      w.WaveLevel = from.WaveLevel;
      w.MasterLevel = from.MasterLevel;
      w.GainLevel = from.GainLevel;
      w.LevelOffset = from.LevelOffset;
    }
  }
  open_ = true;
  PreparePage();
}

void BioCalWizard::Close() {
  tone_.Stop();
  open_ = false;
}

int32_t BioCalWizard::Frequency() const { return ctx_.state.FrequencyTable[index_]; }

std::string BioCalWizard::FreqSideText() const {
  return std::string(ear_ == LeftEar ? "Linkes Ohr " : "Rechtes Ohr ") + std::to_string(Frequency()) + " Hz";
}

std::string BioCalWizard::Caption() const { return "Kalibrierung per Gehör- " + FreqSideText(); }

std::string BioCalWizard::PreviousCaption() const {
  return ear_ == LeftEar && index_ == FirstIndex ? "Abbrechen" : "<- Zurück";
}

std::string BioCalWizard::PreviousHint() const {
  return ear_ == LeftEar && index_ == FirstIndex ? "Kalibrierung abbrechen"
                                                 : "Zurück zur vorherigen Frequenz";
}

CalibrationEntry& BioCalWizard::Current() { return handOver_.WorkingCalibration[ear_][index_]; }

void BioCalWizard::PreparePage() {
  SelectEarChannel(ctx_.state, ear_);
  const CalibrationTable& work = handOver_.WorkingCalibration;
  // A MasterLevel above 0 marks a page that was already set; otherwise the right ear starts
  // from the left ear at the same frequency and the left ear from the previous frequency.
  const CalibrationEntry* source = &work[ear_][index_];
  if (source->MasterLevel <= 0) {
    if (ear_ == RightEar)
      source = &work[LeftEar][index_];
    else if (index_ > FirstIndex)
      source = &work[ear_][index_ - 1];
  }
  const CalibrationEntry from = *source;
  ApplyWave(from.WaveLevel);
  ApplyMaster(from.MasterLevel);
  ApplyGain(from.GainLevel);
}

void BioCalWizard::ApplyWave(int32_t value) {
  TMixUnsignedControl& wave = ctx_.controls.WaveVolume;
  wave_.Value = wave_.Clamp(value);
  SetLevelOfSlider(wave, wave_.Value);
  wave_.Label = std::to_string(wave_.Value);
  Current().WaveLevel = wave_.Value;
}

void BioCalWizard::ApplyMaster(int32_t value) {
  master_.Value = master_.Clamp(value);
  if (ctx_.state.UseEndpointVolume) {
    ctx_.endpoint.SetMasterVolumeLevelScalar(static_cast<float>(master_.Value / 1000.0));
  } else {
    SetLevelOfSlider(ctx_.controls.MasterVolume, master_.Value);
  }
  master_.Label = std::to_string(master_.Value);
  Current().MasterLevel = master_.Value;
}

void BioCalWizard::ApplyGain(int32_t value) {
  TMixUnsignedControl& gain = ctx_.controls.OutputGain;
  if (!gain.Exist) return;  // a card without a gain control keeps GainLevel as it is
  gain_.Value = gain_.Clamp(value);
  SetGainOfEar(gain, gain_.Value, ear_);
  gain_.Label = std::to_string(gain_.Value);
  Current().GainLevel = gain_.Value;
}

void BioCalWizard::WaveOutSliderChange(int32_t value) {
  if (open_) ApplyWave(value);
}

void BioCalWizard::MasterSliderChange(int32_t value) {
  if (open_) ApplyMaster(value);
}

void BioCalWizard::GainSliderChange(int32_t value) {
  if (open_) ApplyGain(value);
}

void BioCalWizard::StartTone() {
  // The wizard is never open during a test; should it be, the test's output stays the test's.
  if (ctx_.state.Run.Active) return;
  // Without a reference audiogram the field is hidden and the listener's threshold is 0 dB.
  int32_t known = 0;
  if (knownThresholdMode_) {
    const std::optional<int32_t> typed = ParseWholeNumber(threshold_);
    if (!typed) {
      ctx_.host.MessageBox("„" + threshold_ + "“" + ThresholdNotWholeText, "", MessageIcon::Error, ButtonOk);
      return;
    }
    if (*typed > MaxKnownThreshold) {
      ctx_.host.MessageBox(ThresholdTooHighText, "", MessageIcon::Error, ButtonOk);
      return;
    }
    known = *typed;
  }
  tone_.Start(ctx_.state.Settings.WaveOutDevice, Frequency(), KnownThresholdToneLevel(known),
              ChannelGainsOfEar(ear_));
}

void BioCalWizard::OnButtonClick() {
  if (!open_) return;
  if (tone_.Playing())
    tone_.Stop();
  else
    StartTone();
}

void BioCalWizard::ThresholdEnter() {
  if (!open_ || !tone_.Playing()) return;
  tone_.Stop();
  StartTone();
}

WizardStep BioCalWizard::NextClick() {
  if (!open_) return WizardStep::Closed;
  tone_.Stop();
  CalibrationEntry& entry = Current();
  entry.WaveLevel = wave_.Value;
  entry.MasterLevel = master_.Value;
  entry.LevelOffset = 0.0;
  if (index_ < LastIndex) {
    ++index_;
  } else if (ear_ == LeftEar) {
    ear_ = RightEar;
    index_ = FirstIndex;
  } else {
    Finish();
    return WizardStep::Finished;
  }
  PreparePage();
  return WizardStep::Page;
}

WizardStep BioCalWizard::PreviousClick() {
  if (!open_) return WizardStep::Closed;
  tone_.Stop();
  if (ear_ == LeftEar && index_ == FirstIndex) {
    Close();
    return WizardStep::Closed;
  }
  if (index_ > FirstIndex) {
    --index_;
  } else {
    ear_ = LeftEar;
    index_ = LastIndex;
  }
  PreparePage();
  return WizardStep::Page;
}

void BioCalWizard::Finish() {
  const LocalDateTime now = ctx_.host.Now();
  handOver_.NewCalibrationDate = FormatShortDate(ctx_.regional, now.Day);
  handOver_.NewCalibrationTime = FormatLongTime(ctx_.regional, now.Hour, now.Minute, now.Second);
  handOver_.NewCalibrationPending = true;
  handOver_.Header.Comment = CalibrationByEarComment;
  Close();
}

}  // namespace sonavel
