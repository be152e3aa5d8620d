// What the file and settings commands share: the regional profile, the clock, a fresh state as
// at start-up, and reading the input files with the system's own refusals turned into bad-input
// errors.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "calibration/calibration_file.h"
#include "cli/cli.h"
#include "core/date_time.h"
#include "core/regional.h"
#include "model/state.h"

namespace sonavel::cli {

constexpr const char* LocaleHelp =
    "  --locale de_DE|en_US  regional profile for dates (default: from LC_ALL, then LC_TIME;\n"
    "                        de_DE when neither names one of the two)\n";

// --locale, else the environment's LC_ALL, then LC_TIME ("en_US.UTF-8" counts as en_US),
// else de_DE. An unknown --locale is a UsageError.
RegionalFormat RegionalFromOptions(const Options& options);

// The local date and time of the machine.
LocalDateTime LocalNow();
// --today YYYY-MM-DD (at midnight), else the local date and time.
LocalDateTime ClockFromOptions(const Options& options);

// A state as at start-up: five empty personal texts, date of birth 1 January 1960, the default
// settings, no results and no calibration.
inline AppState FreshState() { return AppState{}; }

// Reads an audiogram file into the state (dates of birth with a two-digit year completed from
// `now`); a refused file is a UsageError with the system's text.
void ReadAudiogramInput(const std::string& file, AppState& state, const RegionalFormat& regional,
                        const LocalDateTime& now);
// Reads a calibration file into the state and header; a refused file is a UsageError.
void ReadCalibrationInput(const std::string& file, AppState& state, CalibrationHeader& header);

// Runs a write; a failure of the file system is a RunError (exit status 1).
template <typename Write>
void WriteOutput(Write write) {
  try {
    write();
  } catch (const std::exception& e) {
    throw RunError(e.what());
  }
}

// A JSON number for a double; the non-finite ones, which JSON cannot hold, as the strings
// "NaN", "Infinity" and "-Infinity".
std::string JsonDouble(double value);

// A JSON array of whole numbers: "[1, 2, 3]".
std::string JsonInts(const int32_t* values, size_t count);

// Entries 1..11 of both ears as two arrays (left, right) of 11 objects {WaveLevel, MasterLevel,
// GainLevel, LevelOffset}, the shape cal-make reads.
std::string JsonCalibrationEntries(const CalibrationTable& table);

}  // namespace sonavel::cli
