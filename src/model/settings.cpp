#include "model/settings.h"

#include <stdexcept>

namespace sonavel {

GraphColourSet DefaultGraphColours(Colour audiogramAreaColour, Colour mainWindowColour) {
  return {ColourNavy, ColourMaroon, ColourGrey, audiogramAreaColour, mainWindowColour, ColourBlue, ColourRed};
}

namespace {
template <typename Record>
auto& CheckOf(Record& s, int32_t slot) {
  switch (slot) {
    case 1:
      return s.Check125;
    case 2:
      return s.Check250;
    case 3:
      return s.Check500;
    case 4:
      return s.Check750;
    case 5:
      return s.Check1000;
    case 6:
      return s.Check1500;
    case 7:
      return s.Check2000;
    case 8:
      return s.Check3000;
    case 9:
      return s.Check4000;
    case 10:
      return s.Check6000;
    case 11:
      return s.Check8000;
    default:
      throw std::out_of_range("frequency slot without a check box");
  }
}
}  // namespace

bool& FrequencyCheck(SettingsRecord& s, int32_t frequencySlot) { return CheckOf(s, frequencySlot); }

bool FrequencyCheck(const SettingsRecord& s, int32_t frequencySlot) { return CheckOf(s, frequencySlot); }

bool ApplyRetestRule(SettingsRecord& s) {
  if (s.Retest) s.Check1000 = true;
  return !s.Retest;
}

}  // namespace sonavel
