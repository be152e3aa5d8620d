// The text export (.txt): the audiogram and the personal data, one value per line, 560 lines
// ended by CR LF in Windows-1252, and the way back from such a file.
#pragma once

#include <string>
#include <string_view>

#include "core/regional.h"
#include "files/atomic_file.h"
#include "model/audiogram.h"
#include "model/state.h"

namespace sonavel {

constexpr int32_t AsciiFileLineCount = 560;

// The line (1-based) of Reverse[ear][slot][element] and of Threshold[ear][slot].
constexpr int32_t AsciiReverseLine(int32_t ear, int32_t slot, int32_t element) {
  return 9 + 264 * ear + 22 * slot + element;
}
constexpr int32_t AsciiThresholdLine(int32_t ear, int32_t slot) { return 537 + 12 * ear + slot; }

// A line break inside a personal text would shift every line after it, so each CR or LF in a
// text is written as a blank.
std::string AsciiFileBytes(const PatientFile& audiogram, const PersonalData& personal,
                           const RegionalFormat& regional);
// Writes the file through `out` and commits it; a failure throws and leaves the previous file.
void WriteAsciiFile(AtomicFileWriter& out, const PatientFile& audiogram, const PersonalData& personal,
                    const RegionalFormat& regional);
void WriteAsciiFile(const std::string& FileName, const PatientFile& audiogram, const PersonalData& personal,
                    const RegionalFormat& regional);

struct AsciiFileContent {
  PatientFile Audiogram;
  PersonalData Personal;
};

// Reads a text export (lines ended by CR LF or LF). Throws SonavelError for a file with another
// number of lines, a date of birth that does not read as a date, or a non-number where a number
// belongs, naming the line.
AsciiFileContent ReadAsciiFile(std::string_view bytes, const RegionalFormat& regional, int32_t currentYear);

}  // namespace sonavel
