#include "mixer/mix_control.h"

#include <cstdlib>

#include "core/rounding.h"

namespace sonavel {

std::string MixerResultText(uint32_t code) {
  switch (code) {
    case MMSYSERR_NOERROR:
      return "MixerControlDetails OK ";
    case MMSYSERR_BADDEVICEID:
      return "MixerControlDetails  BADDEVICEID !";
    case MMSYSERR_INVALHANDLE:
      return "MixerControlDetails INVALHANDLE";
    case MMSYSERR_NODRIVER:
      return "MixerControlDetails NODRIVER";
    case MMSYSERR_INVALFLAG:
      return "MixerControlDetails INVALFLAG";
    case MMSYSERR_INVALPARAM:
      return "MixerControlDetails INVALPARAM";
    case MIXERR_INVALLINE:
      return "MixerControlDetails INVALLINE";
    case MIXERR_INVALCONTROL:
      return "MixerControlDetails INVALCONTROL";
    default:
      return "MixerControlDetails unbekannter Rückgabecode";
  }
}

uint32_t OneStepOf(int32_t Minvalue, int32_t Maxvalue, uint32_t Steps) {
  if (Steps == 0) return 1;
  const double span = std::abs(static_cast<double>(Maxvalue)) + std::abs(static_cast<double>(Minvalue));
  return static_cast<uint32_t>(RoundHalfEven(span / Steps));
}

int32_t StepSize(int32_t Maxvalue, uint32_t Steps) {
  if (Steps == 0) return 0;
  return static_cast<int32_t>(static_cast<int64_t>(Maxvalue) / static_cast<int64_t>(Steps));
}

int32_t StepLevel(int32_t Maxvalue, uint32_t Steps, int32_t n) {
  // The product wraps in 32 bits like the original's; unsigned arithmetic keeps that defined.
  return static_cast<int32_t>(static_cast<uint32_t>(StepSize(Maxvalue, Steps)) * static_cast<uint32_t>(n));
}

bool SliderActsOn(const TMixControl& control) { return StepSize(control.Maxvalue, control.Steps) > 0; }

void SetLevelOfSlider(TMixUnsignedControl& control, int32_t steps) {
  if (!SliderActsOn(control)) return;
  const int32_t level = StepLevel(control.Maxvalue, control.Steps, steps);
  control.SetLevel(level, level);
}

bool TMixControl::Refuse(const char* notSupported, const char* inactive) {
  if (!Exist) {
    session_->MixerStatus = notSupported;
    return true;
  }
  if (!Active) {
    session_->MixerStatus = inactive;
    return true;
  }
  return false;
}

void TMixControl::FillDetails(int32_t* items, size_t capacity) {
  MixerControlDetails& d = session_->Details;
  d.cbStruct = 24;
  d.dwControlID = CtrlID;
  d.cChannels = Uniform ? 1 : Channels;
  d.cMultipleItems = MultiItems;
  d.cbDetails = 4;
  d.paDetails = items;
  d.capacity = capacity;
}

bool TMixControl::Call(bool set) {
  MixerControlDetails& d = session_->Details;
  uint32_t code;
  if (!session_->Driver) {
    code = MMSYSERR_INVALHANDLE;
  } else if (d.cChannels == 0 || d.ItemCount() > d.capacity) {
    // A line with more channels or items than the value array holds is refused before the
    // driver sees the block, so nothing is ever written past the array.
    code = MMSYSERR_INVALPARAM;
  } else {
    code = set ? session_->Driver->SetControlDetails(session_->MixerHandle, d)
               : session_->Driver->GetControlDetails(session_->MixerHandle, d);
  }
  session_->MixerResult = code;
  session_->MixerStatus = MixerResultText(code);
  return code != MMSYSERR_NOERROR;
}

namespace {
int32_t ClampUp(int32_t v, int32_t max) { return v < max ? v : max; }
}  // namespace

bool TMixUnsignedControl::SetLevel(int32_t LeftLevel, int32_t RightLevel) {
  if (Refuse("Level control not supported by sound card driver!", "Control inactive!")) return true;
  FillDetails(Level.data(), Level.size());
  Level = {ClampUp(LeftLevel, Maxvalue), ClampUp(RightLevel, Maxvalue)};
  return Call(true);
}

bool TMixUnsignedControl::GetLevel(int32_t& LeftLevel, int32_t& RightLevel) {
  if (Refuse("Level control not supported by sound card driver!", "Regler ist nicht Activeiert")) return true;
  FillDetails(Level.data(), Level.size());
  if (Call(false)) return true;
  LeftLevel = Level[0];
  RightLevel = Uniform ? Level[0] : Level[1];
  return false;
}

bool TMixSignedControl::SetLevel(int32_t LeftLevel, int32_t RightLevel) {
  if (Refuse("Slider control not supported by sound card driver!", "Control inactive!")) return true;
  FillDetails(Level.data(), Level.size());
  Level = {ClampUp(LeftLevel, Maxvalue), ClampUp(RightLevel, Maxvalue)};
  return Call(true);
}

bool TMixSignedControl::GetLevel(int32_t& LeftLevel, int32_t& RightLevel) {
  if (Refuse("Slider control not supported by sound card driver!", "Control inactive!")) return true;
  FillDetails(Level.data(), Level.size());
  if (Call(false)) return true;
  LeftLevel = Level[0];
  RightLevel = Uniform ? Level[0] : Level[1];
  return false;
}

bool TMixSwitchControl::SetSwitch(bool LeftSwitch, bool RightSwitch) {
  if (Refuse("Switch not supported by Sound card driver!", "Control is inactive!")) return true;
  FillDetails(Switch.data(), Switch.size());
  Switch = {LeftSwitch ? 1 : 0, RightSwitch ? 1 : 0};
  return Call(true);
}

bool TMixSwitchControl::GetSwitch(bool& LeftSwitch, bool& RightSwitch) {
  if (Refuse("Switch not supported by sound card driver!", "Control inactive!")) return true;
  FillDetails(Switch.data(), Switch.size());
  if (Call(false)) return true;
  LeftSwitch = Switch[0] != 0;
  RightSwitch = Uniform ? LeftSwitch : Switch[1] != 0;
  return false;
}

bool TMixSrcSelectControl::SetSrcSelect(uint32_t Src0Li, uint32_t Src1Li, uint32_t Src2Li, uint32_t Src3Li,
                                        uint32_t Src0Re, uint32_t Src1Re, uint32_t Src2Re, uint32_t Src3Re) {
  if (Refuse("Switch not supported by sound card driver!", "Control inactive")) return true;
  FillDetails(reinterpret_cast<int32_t*>(ValueTable.data()), ValueTable.size());
  ValueTable = {Src0Li, Src1Li, Src2Li, Src3Li, Src0Re, Src1Re, Src2Re, Src3Re};
  return Call(true);
}

bool TMixSrcSelectControl::GetSrcSelect(uint32_t& Src0Li, uint32_t& Src1Li, uint32_t& Src2Li,
                                        uint32_t& Src3Li, uint32_t& Src0Re, uint32_t& Src1Re,
                                        uint32_t& Src2Re, uint32_t& Src3Re) {
  if (Refuse("Switch not suppoted by sound card driver!", "Control not activated!")) return true;
  FillDetails(reinterpret_cast<int32_t*>(ValueTable.data()), ValueTable.size());
  if (Call(false)) return true;
  Src0Li = ValueTable[0];
  Src1Li = ValueTable[1];
  Src2Li = ValueTable[2];
  Src3Li = ValueTable[3];
  Src0Re = ValueTable[4];
  Src1Re = ValueTable[5];
  Src2Re = ValueTable[6];
  Src3Re = ValueTable[7];
  return false;
}

}  // namespace sonavel
