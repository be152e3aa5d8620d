// The audiogram file (.aud): one audiogram record with the personal data, byte for byte in the
// layout the system has always written, and the New command's effect on the state.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/regional.h"
#include "files/atomic_file.h"
#include "model/audiogram.h"
#include "model/state.h"

namespace sonavel {

constexpr const char* InvalidAudiogramText = "File is not a valid Audiogram!";

// A string record holds a length byte and up to 255 bytes of text; its count N covers them and
// the pad, and no file of this system has N above 257.
constexpr int32_t MaxStringRecordCount = 257;

// What a valid file holds, before it is applied to the state.
struct AudiogramFileContent {
  std::string TestDateStamp;  // UTF-8
  std::string TestTimeStamp;
  bool HasPersonal = false;
  bool HasReverse = false;
  bool HasThreshold = false;
  // In file order: last name, first name, reference number, organisation, date of birth, comment.
  std::array<std::string, 6> PersonalTexts;
  decltype(PatientFile::Reverse) Reverse{};
  decltype(PatientFile::Threshold) Threshold{};
};

// nullopt for anything that is not a whole, valid audiogram file: a wrong header, a file that
// ends early, a string record whose N is negative, zero or above 257 or whose text runs past N.
std::optional<AudiogramFileContent> ParseAudiogramFile(std::string_view bytes);

// Puts a valid file into the record and the personal data: sections the file lacks keep what
// they held (without thresholds they are computed from the reversals as they then stand), and a
// date of birth that reads under none of the attempts keeps the previous date.
void ApplyAudiogramFile(const AudiogramFileContent& content, PatientFile& LoadFile, PersonalData& personal,
                        const RegionalFormat& regional, int32_t currentYear, bool Reject1st);

// Reads the whole file first. A file that cannot be opened throws SonavelError naming it and
// the reason; one that is not valid throws "File is not a valid Audiogram!". Either way nothing
// changes. `currentYear` completes dates of birth written with a two-digit year.
void ReadFile(const std::string& Filename, PatientFile& LoadFile, PersonalData& personal,
              const RegionalFormat& regional, int32_t currentYear, bool Reject1st);
// The same on the state (CurrentAudiogram, Personal, Settings.Reject1st); sets ResultsPresent.
void ReadFile(const std::string& Filename, AppState& state, const RegionalFormat& regional,
              int32_t currentYear);

std::string AudiogramFileBytes(const PatientFile& audiogram, const PersonalData& personal,
                               const RegionalFormat& regional);
// Writes the file through `out` and commits it; a failure throws and leaves the previous file.
void WriteFile(AtomicFileWriter& out, const PatientFile& audiogram, const PersonalData& personal,
               const RegionalFormat& regional);
void WriteFile(const std::string& FileName, const PatientFile& audiogram, const PersonalData& personal,
               const RegionalFormat& regional);

// The New command: no results, the five personal texts empty (the date of birth stays), every
// slot cleared; the date and time stamps and the stale reversal levels stay.
void NewAudiogram(AppState& state);

// Start-up: opens the audiogram file that the command line names, if any, and performs New when
// no results were read. Returns the text of a failed read, which the caller shows; start-up goes
// on either way.
std::optional<std::string> OpenCommandLineAudiogram(AppState& state, const RegionalFormat& regional,
                                                    int32_t currentYear);

}  // namespace sonavel
