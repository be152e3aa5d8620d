#include "audio/tone_output.h"

#include "mixer/mix_control.h"

namespace sonavel {

ToneOutput::~ToneOutput() {
  if (open_) {
    driver_.Reset();
    driver_.Close();
  }
}

int32_t ToneOutput::Fail(int32_t code) {
  if (code != WaveOk) {
    const std::string text = driver_.LastError();
    failure_ = text.empty() ? WaveResultText(code) : text;
  }
  return code;
}

int32_t ToneOutput::Open(int32_t device) {
  // One device at a time: a second open replaces the first.
  if (open_) {
    driver_.Reset();
    driver_.Close();
    open_ = false;
  }
  failure_.clear();
  written_ = false;
  header_ = {};
  ++generation_;
  const int32_t r = driver_.Open(device);
  open_ = r == WaveOk;
  return Fail(r);
}

int32_t ToneOutput::OpenToneOutput(int32_t device) { return Open(device); }

void ToneOutput::Fill(const ToneBuffer& buffer) {
  header_.Data.assign(buffer.Data(), buffer.Data() + buffer.Size());
  asFloat_ = open_ && driver_.TakesFloat();
  if (asFloat_)
    RenderFloat(buffer, header_.Samples);
  else
    header_.Samples.clear();
}

int32_t ToneOutput::Submit(uint32_t loops) {
  const int32_t r = asFloat_ ? driver_.WriteFloat(header_.Samples.data(), header_.Samples.size() / 2, loops)
                             : driver_.Write(header_.Data.data(), header_.Data.size(), loops);
  written_ = r == WaveOk;
  return Fail(r);
}

int32_t ToneOutput::PlayToneBuffer(const ToneBuffer& buffer) {
  if (!open_) {
    if (failure_.empty()) failure_ = WaveResultText(WaveInvalidHandle);
    return WaveInvalidHandle;
  }
  Fill(buffer);
  header_.Flags = WHDR_PREPARED;
  header_.Loops = 1;
  return Submit(1);
}

bool ToneOutput::ToneDone() {
  if (Failed() || !open_) return true;
  if (header_.Flags & WHDR_DONE) return true;
  if (!written_) return true;  // nothing is playing
  switch (driver_.Poll()) {
    case WaveState::Playing:
      return false;
    case WaveState::Failed:
      Fail(WaveError);
      return true;
    case WaveState::Idle:
    case WaveState::Done:
      header_.Flags |= WHDR_DONE;
      return true;
  }
  return true;
}

void ToneOutput::CloseToneOutput() {
  header_.Flags &= ~WHDR_PREPARED;
  if (!open_) return;
  driver_.Reset();
  driver_.Close();
  open_ = false;
  written_ = false;
}

int32_t ToneOutput::PreparePlay(int32_t DeviceID, const ToneBuffer& Memory, int32_t loops) {
  const int32_t r = Open(DeviceID);
  Fill(Memory);
  header_.Flags = (loops == 1 ? 0u : WHDR_BEGINLOOP | WHDR_ENDLOOP);
  header_.Loops = static_cast<uint32_t>(loops);
  if (r == WaveOk) header_.Flags |= WHDR_PREPARED;
  return r;
}

int32_t ToneOutput::StartPlay() {
  if (!open_) {
    if (failure_.empty()) failure_ = WaveResultText(WaveInvalidHandle);
    return WaveInvalidHandle;
  }
  return Submit((header_.Flags & WHDR_BEGINLOOP) ? header_.Loops : 1);
}

void ToneOutput::FinishPlay() {
  if (open_) driver_.Reset();
  header_.Flags &= ~WHDR_PREPARED;
  if (!open_) return;
  driver_.Close();
  open_ = false;
  written_ = false;
}

// ---------------------------------------------------------------------------------------------

namespace {
int32_t Half(int32_t maxvalue) { return maxvalue / 2; }
int32_t Times(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
}
}  // namespace

void PrepareSoundCard(bool UseEndpointVolume, MixerControls& c) {
  if (!UseEndpointVolume) {
    for (TMixSwitchControl* mute :
         {&c.AuxMute, &c.MicMute, &c.LineMute, &c.CDMute, &c.SynthMute, &c.DigitalMute, &c.PCSpeakerMute})
      if (mute->Exist) mute->SetSwitch(true, true);
    if (c.OutputGain.Exist) c.OutputGain.SetLevel(Half(c.OutputGain.Maxvalue), Half(c.OutputGain.Maxvalue));
  }
  if (c.SpeakerOnOff.Exist) c.SpeakerOnOff.SetSwitch(false, false);
  if (c.SpeakerBass.Exist) c.SpeakerBass.SetLevel(Half(c.SpeakerBass.Maxvalue), Half(c.SpeakerBass.Maxvalue));
  if (c.SpeakerTreble.Exist)
    c.SpeakerTreble.SetLevel(Half(c.SpeakerTreble.Maxvalue), Half(c.SpeakerTreble.Maxvalue));
}

void SetGainOfEar(TMixUnsignedControl& gain, int32_t steps, int32_t ear) {
  if (!SliderActsOn(gain)) return;
  const int32_t level = StepLevel(gain.Maxvalue, gain.Steps, steps);
  if (gain.Uniform)
    gain.SetLevel(level, level);
  else
    gain.SetLevel(Times(level, 1 - ear), Times(level, ear));
}

void SetOutputLevels(bool UseEndpointVolume, const CalibrationTable& CalibrationData, MixerControls& c,
                     EndpointVolume& endpoint, int32_t ear, int32_t slot) {
  const CalibrationEntry& entry = CalibrationData.at(static_cast<size_t>(ear)).at(static_cast<size_t>(slot));
  if (c.WaveVolume.Exist) SetLevelOfSlider(c.WaveVolume, entry.WaveLevel);
  if (UseEndpointVolume) {
    endpoint.SetMasterVolumeLevelScalar(static_cast<float>(entry.MasterLevel / 1000.0));
  } else if (c.MasterVolume.Exist && SliderActsOn(c.MasterVolume)) {
    const int32_t level = StepLevel(c.MasterVolume.Maxvalue, c.MasterVolume.Steps, entry.MasterLevel);
    if (c.MasterVolume.Uniform)
      c.MasterVolume.SetLevel(level, level);
    else
      c.MasterVolume.SetLevel(Times(level, 1 - ear), Times(level, ear));
  }
  // The gain the wizard stored for this ear and frequency, set as the wizard set it.
  if (c.OutputGain.Exist) SetGainOfEar(c.OutputGain, entry.GainLevel, ear);
}

}  // namespace sonavel
