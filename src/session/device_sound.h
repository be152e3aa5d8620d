// The sound output and response input of a run on the program's devices: the tone output, the
// mixer controls found on the chosen mixer device, the endpoint volume and the joystick.
#pragma once

#include "audio/tone_output.h"
#include "hearingtest/sound.h"
#include "mixer/mixer_discovery.h"
#include "session/devices.h"
#include "model/state.h"

namespace sonavel {

class DeviceTestSound : public TestSound {
 public:
  DeviceTestSound(AppState& state, Devices& devices, MixerControls& controls, ToneOutput& output,
                  ResponseLight& light)
      : state_(state), devices_(devices), controls_(controls), output_(output), light_(light) {}

  void PrepareSoundCard() override { sonavel::PrepareSoundCard(state_.UseEndpointVolume, controls_); }
  void SetOutputLevels(int32_t ear, int32_t frequencySlot) override {
    sonavel::SetOutputLevels(state_.UseEndpointVolume, state_.CalibrationData, controls_,
                             devices_.endpointVolume, ear, frequencySlot);
  }
  bool OpenToneOutput(int32_t device) override { return output_.OpenToneOutput(device) == 0; }
  bool PlayToneBuffer(const ToneBuffer& buffer) override { return output_.PlayToneBuffer(buffer) == 0; }
  bool ToneDone() override { return output_.ToneDone(); }
  bool Failed() const override { return output_.Failed(); }
  std::string FailureText() const override { return output_.FailureText(); }
  void CloseToneOutput() override { output_.CloseToneOutput(); }
  bool PollResponse(ResponseSource source) override {
    bool heard = false;
    sonavel::PollResponse(source, devices_.joystick, light_, state_.Run.ButtonPressed, heard);
    return heard;
  }

 private:
  AppState& state_;
  Devices& devices_;
  MixerControls& controls_;
  ToneOutput& output_;
  ResponseLight& light_;
};

}  // namespace sonavel
