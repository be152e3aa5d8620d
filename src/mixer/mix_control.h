// The objects through which the rest of the program reads and sets one mixer control each:
// levels, switches and the recording source selection, with the checks and status texts of
// every call, and the step arithmetic that maps a slider to a control.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "mixer/mixer_device.h"

namespace sonavel {

// The state of the open mixer device that every control object works on.
struct MixerSession {
  MixerDriver* Driver = nullptr;
  uint32_t MixerHandle = 0;
  uint32_t MixerResult = 0;
  std::string MixerStatus;
  // One details block shared by all control objects, filled anew before every call.
  MixerControlDetails Details;
};

// The status text of a mixer result code.
std::string MixerResultText(uint32_t code);

// (|Maxvalue| + |Minvalue|) / Steps, halves to even; 1 when Steps is 0.
uint32_t OneStepOf(int32_t Minvalue, int32_t Maxvalue, uint32_t Steps);

// The level of n slider steps: (Maxvalue div Steps) * n, the division in 64 bits truncated toward
// zero and the product in 32 bits (wrapping as the original arithmetic does). A control that
// reports 0 steps has no step size: every n gives 0.
int32_t StepLevel(int32_t Maxvalue, uint32_t Steps, int32_t n);
// Maxvalue div Steps, 0 for a control without steps.
int32_t StepSize(int32_t Maxvalue, uint32_t Steps);

class TMixControl {
 public:
  explicit TMixControl(MixerSession& session) : session_(&session) {}

  bool Exist = false;
  uint32_t LineID = 0;
  uint32_t Channels = 0;
  bool Active = false;
  uint32_t CtrlID = 0;
  uint32_t MultiItems = 0;
  bool Uniform = false;
  int32_t Minvalue = 0;
  int32_t Maxvalue = 0;
  uint32_t Steps = 0;
  uint32_t OneStep = 0;

  MixerSession& Session() const { return *session_; }

 protected:
  // The refusals and the block of every call; false when the call may go ahead.
  bool Refuse(const char* notSupported, const char* inactive);
  // Fills the shared block for the value array `items` of `capacity` items.
  void FillDetails(int32_t* items, size_t capacity);
  // Makes the driver call with the filled block, stores its result code and text; true when the
  // code is not 0.
  bool Call(bool set);

 private:
  MixerSession* session_;
};

class TMixUnsignedControl : public TMixControl {
 public:
  using TMixControl::TMixControl;
  std::array<int32_t, 2> Level{};  // left, right

  bool SetLevel(int32_t LeftLevel, int32_t RightLevel);
  bool GetLevel(int32_t& LeftLevel, int32_t& RightLevel);
};

class TMixSignedControl : public TMixControl {
 public:
  using TMixControl::TMixControl;
  std::array<int32_t, 2> Level{};

  bool SetLevel(int32_t LeftLevel, int32_t RightLevel);
  bool GetLevel(int32_t& LeftLevel, int32_t& RightLevel);
};

class TMixSwitchControl : public TMixControl {
 public:
  using TMixControl::TMixControl;
  std::array<int32_t, 2> Switch{};

  bool SetSwitch(bool LeftSwitch, bool RightSwitch);
  bool GetSwitch(bool& LeftSwitch, bool& RightSwitch);
};

class TMixSrcSelectControl : public TMixControl {
 public:
  using TMixControl::TMixControl;
  // Items 0..3 of the left channel, then items 0..3 of the right channel.
  std::array<uint32_t, 8> ValueTable{};

  bool SetSrcSelect(uint32_t Src0Li, uint32_t Src1Li, uint32_t Src2Li, uint32_t Src3Li, uint32_t Src0Re,
                    uint32_t Src1Re, uint32_t Src2Re, uint32_t Src3Re);
  bool GetSrcSelect(uint32_t& Src0Li, uint32_t& Src1Li, uint32_t& Src2Li, uint32_t& Src3Li, uint32_t& Src0Re,
                    uint32_t& Src1Re, uint32_t& Src2Re, uint32_t& Src3Re);
};

// A control is set from a step count (a slider position, a calibration's WaveLevel, MasterLevel
// or GainLevel) only when it has a step size, Maxvalue div Steps above 0. One that reports no
// steps, or more steps than values (an ALSA range wider than 65535 gives that), has no level for
// a step count, and setting it to 0 would silence the card behind the user's back. The test, the
// wizard and the compatibility test all follow this one rule.
bool SliderActsOn(const TMixControl& control);
// Sets both channels of `control` to the level of `steps` steps; a control without a step size
// is left as it is.
void SetLevelOfSlider(TMixUnsignedControl& control, int32_t steps);

}  // namespace sonavel
