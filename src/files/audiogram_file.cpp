#include "files/audiogram_file.h"

#include "core/command_line.h"
#include "core/cp1252.h"
#include "core/error.h"
#include "files/binary_io.h"
#include "results/analysis.h"

namespace sonavel {

namespace {

constexpr std::string_view Header = "\x0BPatientFile";  // the 13th header byte is free
constexpr size_t HeaderSize = 13;
// Audiogram files are a few kilobytes; a much larger "audiogram" is some other file.
constexpr size_t MaxAudiogramFileBytes = 1u << 20;

bool ReadInts(ByteReader& in, int32_t& v) {
  const auto x = in.I32();
  if (x) v = *x;
  return x.has_value();
}

template <typename Element, size_t Count>
bool ReadInts(ByteReader& in, std::array<Element, Count>& values) {
  for (auto& v : values)
    if (!ReadInts(in, v)) return false;
  return true;
}

}  // namespace

std::optional<AudiogramFileContent> ParseAudiogramFile(std::string_view bytes) {
  ByteReader in(bytes);
  const auto header = in.Take(HeaderSize);
  if (!header || header->substr(0, Header.size()) != Header) return std::nullopt;

  AudiogramFileContent c;
  const auto date = in.CountedText(MaxStringRecordCount);
  const auto time = date ? in.CountedText(MaxStringRecordCount) : std::nullopt;
  if (!time) return std::nullopt;
  c.TestDateStamp = Cp1252ToUtf8(*date);
  c.TestTimeStamp = Cp1252ToUtf8(*time);

  const auto flags = in.Take(3);
  if (!flags) return std::nullopt;
  c.HasPersonal = (*flags)[0] == 1;
  c.HasReverse = (*flags)[1] == 1;
  c.HasThreshold = (*flags)[2] == 1;

  if (c.HasPersonal)
    for (auto& text : c.PersonalTexts) {
      const auto t = in.CountedText(MaxStringRecordCount);
      if (!t) return std::nullopt;
      text = Cp1252ToUtf8(*t);
    }
  if (c.HasReverse && !ReadInts(in, c.Reverse)) return std::nullopt;
  if (c.HasThreshold && !ReadInts(in, c.Threshold)) return std::nullopt;
  return c;
}

void ApplyAudiogramFile(const AudiogramFileContent& c, PatientFile& LoadFile, PersonalData& personal,
                        const RegionalFormat& regional, int32_t currentYear, bool Reject1st) {
  LoadFile.TestDateStamp = c.TestDateStamp;
  LoadFile.TestTimeStamp = c.TestTimeStamp;
  if (c.HasPersonal) {
    personal.LastName = c.PersonalTexts[0];
    personal.FirstName = c.PersonalTexts[1];
    personal.ReferenceNumber = c.PersonalTexts[2];
    personal.Organisation = c.PersonalTexts[3];
    if (auto dob = DateOfBirthFromText(c.PersonalTexts[4], regional, currentYear))
      personal.DateOfBirth = *dob;
    personal.Comment = c.PersonalTexts[5];
  }
  if (c.HasReverse) LoadFile.Reverse = c.Reverse;
  if (c.HasThreshold)
    LoadFile.Threshold = c.Threshold;
  else
    CalcThreshold(LoadFile, Reject1st);
}

void ReadFile(const std::string& Filename, PatientFile& LoadFile, PersonalData& personal,
              const RegionalFormat& regional, int32_t currentYear, bool Reject1st) {
  const std::string bytes = ReadWholeFile(Filename, MaxAudiogramFileBytes);
  const auto content = ParseAudiogramFile(bytes);
  if (!content) throw SonavelError(InvalidAudiogramText);
  ApplyAudiogramFile(*content, LoadFile, personal, regional, currentYear, Reject1st);
}

void ReadFile(const std::string& Filename, AppState& state, const RegionalFormat& regional,
              int32_t currentYear) {
  ReadFile(Filename, state.CurrentAudiogram, state.Personal, regional, currentYear, state.Settings.Reject1st);
  state.ResultsPresent = true;
}

std::string AudiogramFileBytes(const PatientFile& a, const PersonalData& p, const RegionalFormat& regional) {
  std::string out;
  out.reserve(2400);
  out.append(Header);
  PutU8(out, 0);
  PutCountedText(out, FileText(a.TestDateStamp));
  PutCountedText(out, FileText(a.TestTimeStamp));
  for (int i = 0; i < 3; ++i) PutU8(out, 1);
  for (const std::string* text : {&p.LastName, &p.FirstName, &p.ReferenceNumber, &p.Organisation})
    PutCountedText(out, FileText(*text));
  PutCountedText(out, FileText(FormatShortDate(regional, p.DateOfBirth)));
  PutCountedText(out, FileText(p.Comment));
  for (const auto& ear : a.Reverse)
    for (const auto& row : ear)
      for (int32_t v : row) PutI32(out, v);
  for (const auto& ear : a.Threshold)
    for (int32_t v : ear) PutI32(out, v);
  return out;
}

void WriteFile(AtomicFileWriter& out, const PatientFile& audiogram, const PersonalData& personal,
               const RegionalFormat& regional) {
  out.Write(AudiogramFileBytes(audiogram, personal, regional));
  out.Commit();
}

void WriteFile(const std::string& FileName, const PatientFile& audiogram, const PersonalData& personal,
               const RegionalFormat& regional) {
  AtomicFileWriter out(FileName);
  WriteFile(out, audiogram, personal, regional);
}

void NewAudiogram(AppState& state) {
  state.ResultsPresent = false;
  PersonalData& p = state.Personal;
  p.LastName.clear();
  p.FirstName.clear();
  p.Organisation.clear();
  p.ReferenceNumber.clear();
  p.Comment.clear();
  state.CurrentAudiogram.ClearAll();
}

std::optional<std::string> OpenCommandLineAudiogram(AppState& state, const RegionalFormat& regional,
                                                    int32_t currentYear) {
  std::optional<std::string> failure;
  if (const auto file = AudiogramFileFromCommandLine(state.CommandLine)) {
    try {
      ReadFile(*file, state, regional, currentYear);
    } catch (const SonavelError& e) {
      failure = e.what();
    }
  }
  if (!state.ResultsPresent) NewAudiogram(state);
  return failure;
}

}  // namespace sonavel
