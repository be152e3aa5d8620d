// The settings a run reads at its start, converted and checked before anything changes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "model/settings.h"

namespace sonavel {

struct TestInputs {
  double BeepTime = 1;   // seconds
  double PauseTime = 1;  // seconds
  double TestTime = 30;  // seconds per frequency slot
  int32_t ReverseTarget = 6;
  double LevelStep = 3;    // dB
  int32_t LevelStart = 0;  // dB HL
  double Period = 2;       // BeepTime + PauseTime
  int32_t TracePixelStep = 20;
};

struct TestInputsResult {
  std::optional<TestInputs> inputs;
  std::string error;  // the message for the user when inputs is empty
};

// Reads the test parameters in the user's number format. A value that does not convert, or that
// would make the run impossible (no tone, no time, more reversals than a record slot holds, a
// duration that no buffer could hold), is refused with a message naming the field.
TestInputsResult ReadTestInputs(const SettingsRecord& settings, char decimalSeparator);

}  // namespace sonavel
