// The sound output and the response input as the test procedure uses them during a run.
#pragma once

#include <cstdint>
#include <string>

#include "audio/tone_synthesis.h"
#include "hearingtest/response_button.h"

namespace sonavel {

class TestSound {
 public:
  virtual ~TestSound() = default;
  // Mixer preparation before a test, and the wave and master levels of an ear and frequency slot.
  virtual void PrepareSoundCard() = 0;
  virtual void SetOutputLevels(int32_t ear, int32_t frequencySlot) = 0;
  // Device calls; false when the device failed, FailureText() says why.
  virtual bool OpenToneOutput(int32_t device) = 0;
  virtual bool PlayToneBuffer(const ToneBuffer& buffer) = 0;
  // True once the buffer has been played, or once the device failed.
  virtual bool ToneDone() = 0;
  virtual bool Failed() const = 0;
  virtual std::string FailureText() const = 0;
  virtual void CloseToneOutput() = 0;
  // Samples the response button: reads the joystick when it is the source, shows the light and
  // returns whether the button is down.
  virtual bool PollResponse(ResponseSource source) = 0;
};

}  // namespace sonavel
