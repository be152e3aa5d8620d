#include "calibration/compatibility.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

namespace sonavel {

namespace {

constexpr const char* ActiveSoundcardPrefix = "Aktive Soundkarte: ";
// When the selected output device cannot be asked for its name.
constexpr const char* UnknownSoundcardText = "(nicht verfügbar)";

int32_t TicksOf(uint32_t steps) { return SliderMaximumOf(steps / 8); }

}  // namespace

int32_t CompatibilityLevelOfText(const std::string& text, int32_t previous) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
    negative = text[i] == '-';
    ++i;
  }
  if (i >= text.size() || !std::isdigit(static_cast<unsigned char>(text[i]))) return previous;
  // Only the range matters, so a long run of digits saturates instead of overflowing.
  int64_t magnitude = 0;
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
    magnitude = std::min<int64_t>(magnitude * 10 + (text[i] - '0'), 1000000);
  const int64_t value = negative ? -magnitude : magnitude;
  return static_cast<int32_t>(std::clamp<int64_t>(value, CompatibilityLevelMin, CompatibilityLevelMax));
}

CompatibilityTestRules::CompatibilityTestRules(const CalibrationWindowContext& context)
    : ctx_(context), tone_(context.output, context.host, context.outputWatch) {
  // As laid out: the endpoint master runs 0..1000 and starts at full volume (position 0).
  master_.Maximum = 1000;
  master_.TickFrequency = 100;
  master_.Value = 1000;
}

void CompatibilityTestRules::Show() {
  ctx_.host.MessageBox(CompatibilityWarningText, "", MessageIcon::Warning, ButtonOk);
  tone_.CheckOutputAgain();

  WaveOutCaps caps;
  activeSoundcard_ = ActiveSoundcardPrefix;
  activeSoundcard_ += ctx_.waveOut.GetDevCaps(ctx_.state.Settings.WaveOutDevice, caps) == WaveOk
                          ? WaveOutEntryText(caps)
                          : UnknownSoundcardText;

  MixerControls& c = ctx_.controls;
  // A control without a step size cannot be used, whether it reports no steps or more steps
  // than values.
  if (!SliderActsOn(c.WaveVolume)) ctx_.host.MessageBox(ZeroWaveStepsText, "", MessageIcon::Warning, ButtonOk);
  SetUpFromCard(wave_, c.WaveVolume);

  if (!ctx_.state.UseEndpointVolume) {
    if (!SliderActsOn(c.MasterVolume))
      ctx_.host.MessageBox(ZeroMasterStepsText, "", MessageIcon::Warning, ButtonOk);
    SetUpFromCard(master_, c.MasterVolume);
  } else {
    // The endpoint volume is never read: the slider keeps its range and position.
    master_.Maximum = 1000;
    master_.TickFrequency = 100;
    master_.Notice.clear();
  }

  gain_.Visible = c.OutputGain.Exist;
  if (gain_.Visible) {
    SetUpFromCard(gain_, c.OutputGain);
    ApplyGain();
  }

  ApplyMaster();
  ApplyWave();
  PrepareSoundCard(ctx_.state.UseEndpointVolume, c);
  shown_ = true;
}

void CompatibilityTestRules::Close() {
  tone_.Stop();
  shown_ = false;
}

void CompatibilityTestRules::SetUpFromCard(SliderView& slider, TMixUnsignedControl& control) {
  slider.Maximum = SliderMaximumOf(control.Steps);
  slider.TickFrequency = TicksOf(control.Steps);
  slider.Notice = SliderNotice(control);
  int32_t left = 0;
  int32_t right = 0;
  control.GetLevel(left, right);
  const int32_t q = StepSize(control.Maxvalue, control.Steps);
  if (q <= 0) {
    // No step size: there is no position for the card's level.
    slider.Value = 0;
    return;
  }
  const int64_t position = (static_cast<int64_t>(control.Maxvalue) - left) / q;
  slider.Value = slider.ValueAt(static_cast<int32_t>(std::clamp<int64_t>(position, 0, slider.Maximum)));
}

void CompatibilityTestRules::ApplyWave() {
  TMixUnsignedControl& wave = ctx_.controls.WaveVolume;
  const int64_t q = StepSize(wave.Maxvalue, wave.Steps);
  SetLevelOfSlider(wave, wave_.Value);
  wave_.Label = std::to_string(q * wave_.Value);
}

void CompatibilityTestRules::ApplyMaster() {
  if (ctx_.state.UseEndpointVolume) {
    const double scalar = master_.Value / 1000.0;
    ctx_.endpoint.SetMasterVolumeLevelScalar(static_cast<float>(scalar));
    master_.Label = FormatDecimal(scalar, ctx_.regional.DecimalSeparator);
    return;
  }
  TMixUnsignedControl& master = ctx_.controls.MasterVolume;
  const int64_t q = StepSize(master.Maxvalue, master.Steps);
  SetLevelOfSlider(master, master_.Value);
  // Like the wave label: the level sent to the mixer.
  master_.Label = std::to_string(q * master_.Value);
}

void CompatibilityTestRules::ApplyGain() {
  TMixUnsignedControl& gain = ctx_.controls.OutputGain;
  if (!gain.Exist) return;
  SetLevelOfSlider(gain, gain_.Value);
  gain_.Label = std::to_string(gain_.Value);
}

void CompatibilityTestRules::WaveOutSliderChange(int32_t value) {
  if (!CardControlsEnabled()) return;
  wave_.Value = wave_.Clamp(value);
  ApplyWave();
}

void CompatibilityTestRules::MasterSliderChange(int32_t value) {
  if (!CardControlsEnabled()) return;
  master_.Value = master_.Clamp(value);
  ApplyMaster();
}

void CompatibilityTestRules::GainSliderChange(int32_t value) {
  if (!CardControlsEnabled()) return;
  gain_.Value = gain_.Clamp(value);
  ApplyGain();
}

int32_t CompatibilityTestRules::Frequency() const {
  return ctx_.state.FrequencyTable[FrequencyIndexOfPosition(frequencyPosition_)];
}

void CompatibilityTestRules::FrequencyChange(int32_t position) {
  frequencyPosition_ = std::clamp(position, FrequencyPositionMin, FrequencyPositionMax);
  if (tone_.Playing()) tone_.Restart(Frequency());
}

void CompatibilityTestRules::ThresholdExit() {
  level_ = CompatibilityLevelOfText(threshold_, level_);
  threshold_ = std::to_string(level_);
}

bool CompatibilityTestRules::ChooseEar(int32_t ear) {
  if (tone_.Playing() || (ear != LeftEar && ear != RightEar)) return false;
  ear_ = ear;
  return true;
}

void CompatibilityTestRules::OnButtonClick() {
  if (tone_.Playing()) {
    tone_.Stop();
    return;
  }
  if (!CardControlsEnabled()) return;
  // The level must never leave -60..0, also when the button is pressed without leaving the field.
  ThresholdExit();
  const ChannelGains gains = ChannelGainsOfEar(ear_);
  ctx_.state.Run.LeftChannelGain = gains.Left;
  ctx_.state.Run.RightChannelGain = gains.Right;
  tone_.Start(ctx_.state.Settings.WaveOutDevice, Frequency(), static_cast<double>(level_), gains);
}

}  // namespace sonavel
