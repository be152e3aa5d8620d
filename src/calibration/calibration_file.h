// The calibration file (.cal): the descriptive header of a calibration and entries 1 to 11 of
// both ears of the calibration table, and the rule that loads one at start-up.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "model/calibration_data.h"
#include "files/atomic_file.h"
#include "model/state.h"

namespace sonavel {

constexpr const char* InvalidCalibrationText = "Not a valid Calibration Data File";

// The calibration in use, as the Calibration Information dialog shows it (UTF-8).
struct CalibrationHeader {
  std::string Person;
  std::string Headphones;
  std::string Soundcard;
  std::string Comment;
  std::string CalibrationDate;  // short date format
  std::string CalibrationTime;  // long time format

  friend bool operator==(const CalibrationHeader&, const CalibrationHeader&) = default;
};

// Entries 1..11 of each ear, as stored.
using CalibrationFileEntries = std::array<std::array<CalibrationEntry, MeasuredSlotCount>, EarCount>;

struct CalibrationFileContent {
  CalibrationHeader Header;
  CalibrationFileEntries Entries{};
};

// nullopt for anything but a whole, valid file: a wrong identification block, a text block
// whose N is below 1 or above 257 or whose text runs past N, or a file that ends before its 22
// records. Reserved and pad bytes are taken as they stand.
std::optional<CalibrationFileContent> ParseCalibrationFile(std::string_view bytes);

// Reads a calibration file into the table (entries 1 to 11 of both ears; 0 and 12 untouched)
// and the header, and sets CalibrationLoaded. A file that cannot be opened throws SonavelError
// naming it and the reason; an invalid one throws "Not a valid Calibration Data File". Either
// way nothing changes.
void ReadCal(const std::string& Filename, CalibrationTable& CalibrationData, CalibrationHeader& header,
             bool& CalibrationLoaded);
void ReadCal(const std::string& Filename, AppState& state, CalibrationHeader& header);

// The file of a header and entries 1 to 11 of both ears of a table; each text is converted to
// Windows-1252 and cut to 255 characters, and the reserved bytes are written as zero.
std::string CalibrationFileBytes(const CalibrationHeader& header, const CalibrationTable& CalibrationData);
// Writes through `out` and commits; a failure throws and leaves the previous file.
void WriteCal(AtomicFileWriter& out, const CalibrationHeader& header,
              const CalibrationTable& CalibrationData);
void WriteCal(const std::string& FileName, const CalibrationHeader& header,
              const CalibrationTable& CalibrationData);

// The file that start-up loads: the command line's calibration file, else CalFilename when
// chkLoadCal is set, else none.
std::optional<std::string> StartupCalibrationFile(const std::string& CommandLine,
                                                  const SettingsRecord& Settings);
// Loads it. Returns the text of a failed load, which the caller shows; start-up goes on without
// a calibration.
std::optional<std::string> LoadStartupCalibration(AppState& state, CalibrationHeader& header);

}  // namespace sonavel
