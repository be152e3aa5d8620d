// What the results window shows of the current audiogram, as texts and rows, so that the window,
// the printout and the CLI show the same.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/regional.h"
#include "model/audiogram.h"
#include "model/state.h"
#include "model/settings.h"

namespace sonavel {

// First name, last name and date of birth in the short date format, joined by blanks.
std::string ResultsNameLine(const PersonalData& personal, const RegionalFormat& regional);

struct ThresholdRow {
  int32_t Frequency;
  int32_t Left;
  std::optional<int32_t> Right;  // empty cell for no result
};

// One row per record slot 0..10 (125 Hz .. 8 kHz) in which the left ear has a result.
std::vector<ThresholdRow> ThresholdTableRows(const PatientFile& audiogram,
                                             const FrequencyTableType& FrequencyTable);

// "Hörkategorie: N" for a category above 0, else the text that it cannot be computed.
std::string CategoryText(int32_t category);

// The minimum reversal count that InaccurateResult compares with: the whole number held in
// ReverseEdit. A text that is not a whole number counts as 6, the value the settings dialog
// puts in its place when the field is left.
int32_t MinReversalsOf(const SettingsRecord& Settings);

// The inaccurate results, left ear first, each in ascending record slot 0..11.
std::vector<std::pair<int32_t, int32_t>> InaccurateSlots(const PatientFile& audiogram, int32_t minReversals);

// The retest list ("Testwiederholung emfohlen für die Frequenzen: 2000Hz (L); ...") or the text
// that every result lies within the tolerance.
std::string RetestText(const PatientFile& audiogram, const FrequencyTableType& FrequencyTable,
                       int32_t minReversals);

// The deviation of the left ear's 1 kHz repeat from the first 1 kHz measurement; empty unless
// both have a result.
std::string DeviationText(const PatientFile& audiogram);

}  // namespace sonavel
