#include "files/text_export.h"

#include <vector>

#include "core/cp1252.h"
#include "core/error.h"

namespace sonavel {

namespace {

std::string OneLine(std::string text) {
  for (char& c : text)
    if (c == '\r' || c == '\n') c = ' ';
  return text;
}

}  // namespace

std::string AsciiFileBytes(const PatientFile& a, const PersonalData& p, const RegionalFormat& regional) {
  std::string text;
  text.reserve(4096);
  auto line = [&](const std::string& s) {
    text += OneLine(s);
    text += "\r\n";
  };
  line(p.LastName);
  line(p.FirstName);
  line(p.ReferenceNumber);
  line(p.Organisation);
  line(FormatShortDate(regional, p.DateOfBirth));
  line(p.Comment);
  line(a.TestDateStamp);
  line(a.TestTimeStamp);
  for (const auto& ear : a.Reverse)
    for (const auto& row : ear)
      for (int32_t v : row) line(std::to_string(v));
  for (const auto& ear : a.Threshold)
    for (int32_t v : ear) line(std::to_string(v));
  return Utf8ToCp1252(text);
}

void WriteAsciiFile(AtomicFileWriter& out, const PatientFile& audiogram, const PersonalData& personal,
                    const RegionalFormat& regional) {
  out.Write(AsciiFileBytes(audiogram, personal, regional));
  out.Commit();
}

void WriteAsciiFile(const std::string& FileName, const PatientFile& audiogram, const PersonalData& personal,
                    const RegionalFormat& regional) {
  AtomicFileWriter out(FileName);
  WriteAsciiFile(out, audiogram, personal, regional);
}

AsciiFileContent ReadAsciiFile(std::string_view bytes, const RegionalFormat& regional, int32_t currentYear) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    const size_t next = end == std::string_view::npos ? bytes.size() : end + 1;
    if (end == std::string_view::npos) end = bytes.size();
    std::string_view l = bytes.substr(start, end - start);
    if (!l.empty() && l.back() == '\r') l.remove_suffix(1);
    lines.push_back(l);
    start = next;
    if (lines.size() > static_cast<size_t>(AsciiFileLineCount)) break;
  }
  if (lines.size() != static_cast<size_t>(AsciiFileLineCount))
    throw SonavelError("The file has " +
                       std::string(lines.size() > static_cast<size_t>(AsciiFileLineCount)
                                       ? "more than 560"
                                       : std::to_string(lines.size())) +
                       " lines; a text export has 560.");

  auto text = [&](int32_t line) { return Cp1252ToUtf8(lines[line - 1]); };
  auto number = [&](int32_t line) {
    const auto v = ParseWholeNumber(lines[line - 1]);
    if (!v)
      throw SonavelError("Line " + std::to_string(line) + ": \"" + text(line) + "\" is not a whole number.");
    return *v;
  };

  AsciiFileContent c;
  c.Personal.LastName = text(1);
  c.Personal.FirstName = text(2);
  c.Personal.ReferenceNumber = text(3);
  c.Personal.Organisation = text(4);
  const auto dob = DateOfBirthFromText(lines[4], regional, currentYear);
  if (!dob) throw SonavelError("Line 5: \"" + text(5) + "\" is not a date.");
  c.Personal.DateOfBirth = *dob;
  c.Personal.Comment = text(6);
  c.Audiogram.TestDateStamp = text(7);
  c.Audiogram.TestTimeStamp = text(8);
  for (int32_t e = 0; e < EarCount; ++e)
    for (int32_t r = 0; r < RecordSlotCount; ++r) {
      for (int32_t k = 0; k < ReverseRowSize; ++k)
        c.Audiogram.Reverse[e][r][k] = number(AsciiReverseLine(e, r, k));
      c.Audiogram.Threshold[e][r] = number(AsciiThresholdLine(e, r));
    }
  return c;
}

}  // namespace sonavel
