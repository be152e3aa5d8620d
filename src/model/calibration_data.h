// The calibration table: per ear and frequency slot the mixer positions at which a tone of known
// digital level is heard at a known hearing level.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "model/audiogram.h"

namespace sonavel {

// One 24-byte record, laid out as it is stored in calibration files.
struct CalibrationEntry {
  int32_t WaveLevel = 0;    // wave-output volume, slider steps
  int32_t MasterLevel = 0;  // master volume: slider steps, or thousandths for the endpoint volume
  int32_t GainLevel = 0;    // output gain, slider steps (set by the wizard, not by the test)
  int32_t Reserved = 0;     // never read; written as zero
  double LevelOffset = 0;   // dB subtracted from the internal level to give the digital level

  friend bool operator==(const CalibrationEntry&, const CalibrationEntry&) = default;
};

static_assert(std::is_standard_layout_v<CalibrationEntry>);
static_assert(sizeof(CalibrationEntry) == 24);
static_assert(offsetof(CalibrationEntry, WaveLevel) == 0);
static_assert(offsetof(CalibrationEntry, MasterLevel) == 4);
static_assert(offsetof(CalibrationEntry, GainLevel) == 8);
static_assert(offsetof(CalibrationEntry, Reserved) == 12);
static_assert(offsetof(CalibrationEntry, LevelOffset) == 16);

// Entries 1..11 are the calibration proper; 0 (trial run) and 12 (1 kHz repeat) are filled by the
// test procedure from entries of the same ear and never stored.
using CalibrationTable = std::array<std::array<CalibrationEntry, FrequencySlotCount>, EarCount>;

}  // namespace sonavel
