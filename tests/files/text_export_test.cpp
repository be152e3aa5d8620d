#include "files/text_export.h"

#include <gtest/gtest.h>

#include <fstream>

#include "cli/cli_test_support.h"
#include "core/error.h"
#include "files/audiogram_file.h"
#include "files/file_naming.h"
#include "test_data.h"

namespace sonavel {
namespace {

using test::DataBytes;
using test::ReadBytes;
using test::TempDir;

AppState FromFixture(const char* file) {
  AppState s;
  const auto content = ParseAudiogramFile(DataBytes(file));
  EXPECT_TRUE(content);
  ApplyAudiogramFile(*content, s.CurrentAudiogram, s.Personal, RegionalDeDe(), 2024, true);
  return s;
}

std::vector<std::string> Lines(const std::string& bytes, const char* end = "\r\n") {
  std::vector<std::string> lines;
  size_t at = 0;
  while (at < bytes.size()) {
    const size_t next = bytes.find(end, at);
    lines.push_back(bytes.substr(at, next - at));
    at = next + std::string(end).size();
  }
  return lines;
}

TEST(WriteAsciiFile, WritesTheLinesAsLaidOut) {
  AppState s = FromFixture("aud/full.aud");
  s.Personal = {"Müller", "Hans", "R 7", "HNO", Date{1970, 12, 31}, std::string(300, 'c')};
  const std::string bytes = AsciiFileBytes(s.CurrentAudiogram, s.Personal, RegionalDeDe());
  EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
  const auto lines = Lines(bytes);
  ASSERT_EQ(lines.size(), 560u);
  const std::pair<int, std::string> expected[] = {
      {1, "M\xFCller"},
      {2, "Hans"},
      {3, "R 7"},
      {4, "HNO"},
      {5, "31.12.1970"},
      {6, std::string(300, 'c')},  // written whole
      {7, "07-03-2018"},
      {8, "14h30"},
      {AsciiReverseLine(0, 0, 0), "0"},
      {AsciiReverseLine(0, 0, 1), "55"},  // left-over levels too
      {AsciiReverseLine(0, 1, 20), "99"},
      {AsciiReverseLine(0, 1, 21), "3"},
      {AsciiReverseLine(1, 2, 0), "4"},
      {AsciiReverseLine(1, 2, 3), "15"},
      {AsciiThresholdLine(0, 0), "1000"},
      {AsciiThresholdLine(0, 11), "15"},
      {AsciiThresholdLine(1, 10), "1000"},
      {560, "1000"},
  };
  for (const auto& [line, text] : expected) EXPECT_EQ(lines[line - 1], text) << "line " << line;

  s.CurrentAudiogram.Reverse[1][11][21] = -12;
  s.Personal.Comment = "zwei\r\nZeilen\n";
  const auto again = Lines(AsciiFileBytes(s.CurrentAudiogram, s.Personal, RegionalEnUs()));
  ASSERT_EQ(again.size(), 560u);
  EXPECT_EQ(again[4], "12/31/1970");
  EXPECT_EQ(again[5], "zwei  Zeilen ");
  EXPECT_EQ(again[AsciiReverseLine(1, 11, 21) - 1], "-12");
}

TEST(WriteAsciiFile, ASaveThatFailsHalfWayLeavesThePreviousFileWhole) {
  TempDir dir;
  const std::string path = dir.File("x.txt");
  std::ofstream(path, std::ios::binary) << "previous";
  const AppState s = FromFixture("aud/full.aud");
  {
    AtomicFileWriter out(path);
    out.FailAfterBytes(500);
    EXPECT_THROW(WriteAsciiFile(out, s.CurrentAudiogram, s.Personal, RegionalDeDe()), SonavelError);
  }
  EXPECT_EQ(ReadBytes(path), "previous");
  WriteAsciiFile(path, s.CurrentAudiogram, s.Personal, RegionalDeDe());
  EXPECT_EQ(ReadBytes(path), AsciiFileBytes(s.CurrentAudiogram, s.Personal, RegionalDeDe()));
}

TEST(ReadAsciiFile, ReadsBackWhatTheExportWrote) {
  AppState s = FromFixture("aud/full.aud");
  s.Personal = {"Müller", "Hans", "€", "", Date{1970, 12, 31}, "Größe"};
  for (const char* end : {"\r\n", "\n"}) {
    std::string bytes;
    for (const auto& l : Lines(AsciiFileBytes(s.CurrentAudiogram, s.Personal, RegionalDeDe())))
      bytes += l + end;
    const AsciiFileContent back = ReadAsciiFile(bytes, RegionalDeDe(), 2024);
    EXPECT_EQ(back.Audiogram, s.CurrentAudiogram);
    EXPECT_EQ(back.Personal, s.Personal);
  }
}

TEST(ReadAsciiFile, RefusesAFileThatIsNotAnExportNamingTheLine) {
  const AppState s = FromFixture("aud/full.aud");
  const auto lines = Lines(AsciiFileBytes(s.CurrentAudiogram, s.Personal, RegionalDeDe()));
  auto join = [](const std::vector<std::string>& l) {
    std::string out;
    for (const auto& x : l) out += x + "\r\n";
    return out;
  };
  auto with = [&](int line, const std::string& text) {
    auto l = lines;
    l[line - 1] = text;
    return join(l);
  };
  const struct {
    std::string bytes;
    const char* message;
  } cases[] = {
      {join({lines.begin(), lines.end() - 1}), "The file has 559 lines"},
      {join(lines) + "\r\n", "The file has more than 560 lines"},
      {"", "The file has 0 lines"},
      {with(9, "zw\xF6lf"), "Line 9: \"zwölf\" is not a whole number."},
      {with(560, "1.5"), "Line 560: \"1.5\" is not a whole number."},
      {with(300, ""), "Line 300: \"\" is not a whole number."},
      {with(100, "99999999999"), "Line 100:"},
      {with(5, "gestern"), "Line 5: \"gestern\" is not a date."},
  };
  for (const auto& c : cases) {
    try {
      ReadAsciiFile(c.bytes, RegionalDeDe(), 2024);
      ADD_FAILURE() << "accepted: " << c.message;
    } catch (const SonavelError& e) {
      EXPECT_EQ(std::string(e.what()).rfind(c.message, 0), 0u) << e.what();
    }
  }
}

TEST(SuggestedFileName, ComposesTheChosenValues) {
  PersonalData p{"Müller", "Hans", "R/7", "HNO", Date{1970, 12, 31}, ""};
  PatientFile a;
  a.TestDateStamp = "07-03-2018";
  a.TestTimeStamp = "9h5";
  auto with = [](auto change) {
    SettingsRecord s;
    change(s);
    return s;
  };
  const SettingsRecord none =
      with([](SettingsRecord& s) { s.IncludeLName = s.IncludeFName = s.IncludeDate = false; });
  const SettingsRecord all =
      with([](SettingsRecord& s) { s.IncludeRef = s.IncludeDept = s.IncludeDOB = s.IncludeTime = true; });
  PersonalData noLastName = p;
  noLastName.LastName = "";
  const struct {
    SettingsRecord settings;
    PersonalData personal;
    RegionalFormat regional;
    std::string expected;
  } cases[] = {
      {SettingsRecord{}, p, RegionalDeDe(), "Müller Hans 07-03-2018"},
      {SettingsRecord{}, noLastName, RegionalDeDe(), " Hans 07-03-2018"},
      {none, p, RegionalDeDe(), ""},
      {all, p, RegionalDeDe(), "Müller Hans R-7 HNO 31.12.1970 07-03-2018 9h5"},
      {all, p, RegionalEnUs(), "Müller Hans R-7 HNO 12-31-1970 07-03-2018 9h5"},
      {with([](SettingsRecord& s) { s.IncludeFName = s.IncludeDate = false; }),
       PersonalData{"a<b>c\"d:e\\f", "", "", "", {}, ""}, RegionalDeDe(), "a-b-c-d-e-f"},
  };
  for (const auto& c : cases) EXPECT_EQ(SuggestedFileName(c.settings, c.personal, a, c.regional), c.expected);
}

TEST(SaveAsText, TheNameOrTheFileTypeDecides) {
  const struct {
    const char* name;
    int32_t type;
    bool text;
  } cases[] = {
      {"a.txt", SaveTypeAudiogram, true},  {"a.TXT", SaveTypeAudiogram, false},
      {"a.TXT", SaveTypeText, true},       {"a.aud", SaveTypeText, true},
      {"a.aud", SaveTypeAudiogram, false}, {"txt", SaveTypeAudiogram, false},
  };
  for (const auto& c : cases) EXPECT_EQ(SaveAsText(c.name, c.type), c.text) << c.name << " " << c.type;
}

}  // namespace
}  // namespace sonavel
