#include "files/audiogram_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "cli/cli_test_support.h"
#include "core/error.h"
#include "error_of.h"
#include "test_data.h"

namespace sonavel {
namespace {

using test::DataBytes;
using test::DataPath;
using test::ReadBytes;
using test::TempDir;

// A string record as laid out: N = L + 2, L, the text, one pad byte.
std::string Rec(std::string_view text, char pad = '\x5A') {
  std::string out;
  const auto n = static_cast<uint32_t>(text.size() + 2);
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((n >> (8 * i)) & 0xFF));
  out.push_back(static_cast<char>(text.size()));
  out.append(text);
  out.push_back(pad);
  return out;
}

// Header, stamps, flags 1/0/0 and the personal records only.
std::string PersonalOnly(const std::string& dob, const std::string& lastName = "") {
  return std::string("\x0BPatientFile\x00", 13) + Rec("07-03-2018") + Rec("9h5") +
         std::string("\x01\x00\x00", 3) + Rec(lastName) + Rec("") + Rec("") + Rec("") + Rec(dob) + Rec("");
}

std::string WriteTemp(const TempDir& dir, const std::string& name, const std::string& bytes) {
  const std::string path = dir.File(name);
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

// A state that differs from every fixture, to show what a read leaves alone.
AppState Previous() {
  AppState s;
  s.Personal = {"Alt", "Anna", "R-1", "HNO", Date{1980, 5, 6}, "vorher"};
  for (auto& ear : s.CurrentAudiogram.Reverse)
    for (auto& row : ear) row.fill(7);
  for (auto& ear : s.CurrentAudiogram.Threshold) ear.fill(77);
  s.CurrentAudiogram.TestDateStamp = "01-01-2000";
  s.CurrentAudiogram.TestTimeStamp = "1h1";
  return s;
}

constexpr int32_t Year2024 = 2024;

TEST(ReadFile, ReadsTheWholeFile) {
  AppState s = Previous();
  s.Settings.Reject1st = false;  // the thresholds come from the file, not from a computation
  EXPECT_EQ(test::ErrorOf([&] { ReadFile(DataPath("aud/full.aud"), s, RegionalDeDe(), Year2024); }),
            std::nullopt);
  EXPECT_TRUE(s.ResultsPresent);
  const PatientFile& a = s.CurrentAudiogram;
  EXPECT_EQ(a.TestDateStamp, "07-03-2018");
  EXPECT_EQ(a.TestTimeStamp, "14h30");
  EXPECT_EQ(s.Personal, (PersonalData{"", "", "", "", Date{1970, 12, 31}, ""}));
  EXPECT_EQ(a.Reverse[0][1],
            (ReverseRow{6, 10, 16, 7, 13, 10, 16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 99, 3}));
  EXPECT_EQ(a.Reverse[0][0][1], 55);  // left-over levels of a slot with no count
  EXPECT_EQ(a.Reverse[1][2][0], 4);
  EXPECT_EQ(a.Threshold[0], (std::array<int32_t, 12>{1000, 12, 22, 1000, 20, 1000, 17, 25, 30, 35, 40, 15}));
  EXPECT_EQ(a.Threshold[1], (std::array<int32_t, 12>{1000, 10, 20, 20, 20, 25, 20, 25, 30, 35, 1000, 1000}));
}

TEST(ReadFile, SectionsTheFileLacksKeepTheirContents) {
  const AppState before = Previous();
  const auto full = ParseAudiogramFile(DataBytes("aud/full.aud"));
  ASSERT_TRUE(full);
  for (const char* file : {"aud/no_personal.aud", "aud/no_reverse.aud", "aud/no_threshold.aud"}) {
    SCOPED_TRACE(file);
    AppState s = Previous();
    s.Settings.Reject1st = false;
    ReadFile(DataPath(file), s, RegionalDeDe(), Year2024);
    ASSERT_TRUE(s.ResultsPresent);
    const std::string name = file;
    EXPECT_EQ(s.Personal == before.Personal, name == "aud/no_personal.aud");
    EXPECT_EQ(s.CurrentAudiogram.Reverse,
              name == "aud/no_reverse.aud" ? before.CurrentAudiogram.Reverse : full->Reverse);
    if (name == "aud/no_threshold.aud") {
      // Computed from the file's reversals without rejecting the first: at 2000 Hz the mean of
      // all six is 16, where the stored threshold (first rejected) is 17.
      EXPECT_EQ(s.CurrentAudiogram.Threshold[0],
                (std::array<int32_t, 12>{1000, 12, 22, 1000, 20, 1000, 16, 25, 30, 35, 40, 15}));
    } else {
      EXPECT_EQ(s.CurrentAudiogram.Threshold, full->Threshold);
    }
  }
}

TEST(ReadFile, AFileThatIsNotAWholeAudiogramChangesNothing) {
  const std::string full = DataBytes("aud/full.aud");
  auto patched = [&](size_t at, std::string_view bytes) {
    std::string s = full;
    s.replace(at, bytes.size(), bytes);
    return s;
  };
  const struct {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"length byte 10", patched(0, "\x0A")},
      {"length byte 12", patched(0, "\x0C")},
      {"name in another case", patched(1, "patientFile")},
      {"other name", patched(1, "PatientFila")},
      {"shorter than the header", full.substr(0, 12)},
      {"ends inside the date record", full.substr(0, 20)},
      {"ends before the flags", full.substr(0, 13 + 16 + 11 + 2)},
      {"ends inside the reversals", full.substr(0, 1000)},
      {"ends one byte short", full.substr(0, full.size() - 1)},
      {"record with N negative", patched(13, std::string("\xFF\xFF\xFF\xFF", 4))},
      {"record with N 258", patched(13, std::string("\x02\x01\x00\x00", 4))},
      {"record with N 0", patched(13, std::string("\x00\x00\x00\x00", 4))},
      {"text longer than its record", patched(17, "\x0C")},
      {"empty file", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    AppState s = Previous();
    const AppState before = s;
    EXPECT_EQ(test::ErrorOf([&] { ReadFile(WriteTemp(dir, "x.aud", c.bytes), s, RegionalDeDe(), Year2024); }),
              "File is not a valid Audiogram!");
    EXPECT_FALSE(s.ResultsPresent);
    EXPECT_EQ(s.CurrentAudiogram, before.CurrentAudiogram);
    EXPECT_EQ(s.Personal, before.Personal);
  }

  // The 13th header byte is free; N 257 with a text of 255 is the largest record.
  for (const std::string& bytes : {patched(12, "\xEE"), patched(12, "\x00")}) {
    TempDir dir;
    AppState s;
    ReadFile(WriteTemp(dir, "x.aud", bytes), s, RegionalDeDe(), Year2024);
    EXPECT_TRUE(s.ResultsPresent);
  }
  AppState s;
  TempDir dir;
  ReadFile(WriteTemp(dir, "x.aud", PersonalOnly("1.1.1970", std::string(255, 'L'))), s, RegionalDeDe(),
           Year2024);
  EXPECT_EQ(s.Personal.LastName, std::string(255, 'L'));

  // A file that cannot be opened is an error naming it; nothing changes.
  AppState untouched = Previous();
  try {
    ReadFile(dir.File("missing.aud"), untouched, RegionalDeDe(), Year2024);
    ADD_FAILURE() << "no error";
  } catch (const SonavelError& e) {
    EXPECT_NE(std::string(e.what()).find("missing.aud"), std::string::npos);
  }
  EXPECT_EQ(untouched.Personal, Previous().Personal);
}

TEST(ReadFile, DatesOfBirthWrittenUnderOtherRegionalSettings) {
  const std::optional<Date> kept;
  const struct {
    const char* text;
    const char* locale;
    int32_t year;
    std::optional<Date> expected;
  } cases[] = {
      {"31.12.1970", "de_DE", 2024, Date{1970, 12, 31}},  // attempt 2 (d/m/y)
      {"12/31/1970", "de_DE", 2024, Date{1970, 12, 31}},  // attempt 2 fails, attempt 3
      {"1/2/1970", "de_DE", 2024, Date{1970, 2, 1}},      // month-first machine, read day first
      {"1/2/1970", "en_US", 2024, Date{1970, 1, 2}},      // attempt 1 with "/"
      {"31.12.1970", "en_US", 2024, Date{1970, 12, 31}},
      {"1970-12-31", "de_DE", 2024, kept},  // year first reads nowhere here
      {"1970-12-31", "en_US", 2024, kept},
      {"31.12.70", "de_DE", 2024, Date{1970, 12, 31}},
      {"31.12.24", "de_DE", 2024, Date{2024, 12, 31}},
      {"31.12.25", "de_DE", 2024, Date{1925, 12, 31}},
      {"5.6.", "de_DE", 2024, Date{2024, 6, 5}},  // two groups: the current year
      {" 5.6.1970", "de_DE", 2024, kept},         // the blank became "/" too
      {"31.02.1970", "de_DE", 2024, kept},
      {"", "de_DE", 2024, kept},
      {"gestern", "de_DE", 2024, kept},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text + std::string(" ") + c.locale);
    TempDir dir;
    AppState s = Previous();
    ReadFile(WriteTemp(dir, "x.aud", PersonalOnly(c.text)), s, *RegionalProfile(c.locale), c.year);
    ASSERT_TRUE(s.ResultsPresent);
    EXPECT_EQ(s.Personal.DateOfBirth, c.expected.value_or(Previous().Personal.DateOfBirth));
  }

  // A year-first regional format with "/" reads the year-first text.
  const RegionalFormat ymd = MakeRegionalFormat("ja_JP", "yyyy/MM/dd", "HH:mm:ss", '.');
  TempDir dir;
  AppState s = Previous();
  ReadFile(WriteTemp(dir, "x.aud", PersonalOnly("1970-12-31")), s, ymd, Year2024);
  EXPECT_EQ(s.Personal.DateOfBirth, (Date{1970, 12, 31}));
}

TEST(ReadFile, TextsAreWindows1252) {
  AppState s;
  ReadFile(DataPath("aud/umlauts.aud"), s, RegionalDeDe(), Year2024);
  EXPECT_EQ(s.Personal, (PersonalData{"Müller", "Hans", "€5", "Straße", Date{1970, 12, 31}, "Größe 1,80 m"}));
}

// The fixture's pad bytes hold other values than the writer's zeros.
std::string WithZeroPads(std::string bytes) {
  bytes[12] = 0;
  size_t at = 13;
  const int records = 8;
  for (int r = 0; r < records; ++r) {
    if (r == 2) at += 3;  // the flags
    const auto n = static_cast<uint8_t>(bytes[at]);
    bytes[at + 4 + n - 1] = 0;
    at += 4 + n;
  }
  return bytes;
}

TEST(WriteFile, WritesTheLayoutByteForByte) {
  const auto content = ParseAudiogramFile(DataBytes("aud/full.aud"));
  ASSERT_TRUE(content);
  AppState s;
  ApplyAudiogramFile(*content, s.CurrentAudiogram, s.Personal, RegionalDeDe(), 2024, true);
  const std::string bytes = AudiogramFileBytes(s.CurrentAudiogram, s.Personal, RegionalDeDe());
  EXPECT_EQ(bytes.size(), 2297u);
  EXPECT_EQ(bytes, WithZeroPads(DataBytes("aud/full.aud")));

  // The date of birth goes out in the short date format of the machine.
  EXPECT_NE(AudiogramFileBytes(s.CurrentAudiogram, s.Personal, RegionalEnUs())
                .find("\x0A"
                      "12/31/1970"),
            std::string::npos);
}

TEST(WriteFile, TextsGoOutInWindows1252CutTo255) {
  AppState s;
  s.Personal = {"Müller", std::string(300, 'a'), "€", "Ωmega", Date{1970, 12, 31}, ""};
  const std::string bytes = AudiogramFileBytes(s.CurrentAudiogram, s.Personal, RegionalDeDe());
  const size_t personal = 13 + 2 * 6 + 3;  // two empty stamps, the flags
  EXPECT_EQ(bytes.substr(personal, 12), Rec("M\xFCller", '\0'));
  EXPECT_EQ(bytes.substr(personal + 12, 4), std::string("\x01\x01\x00\x00", 4));  // N = 257
  EXPECT_EQ(static_cast<uint8_t>(bytes[personal + 16]), 255);
  EXPECT_EQ(bytes.substr(personal + 12 + 261, 7), std::string("\x03\x00\x00\x00\x01\x80\x00", 7));
  EXPECT_EQ(bytes.substr(personal + 12 + 261 + 7, 11), std::string("\x07\x00\x00\x00\x05?mega\x00", 11));

  TempDir dir;
  const std::string path = dir.File("x.aud");
  WriteFile(path, s.CurrentAudiogram, s.Personal, RegionalDeDe());
  AppState back;
  ReadFile(path, back, RegionalDeDe(), Year2024);
  EXPECT_EQ(back.Personal.FirstName, std::string(255, 'a'));
  EXPECT_EQ(back.Personal.Organisation, "?mega");
  EXPECT_EQ(back.Personal.DateOfBirth, s.Personal.DateOfBirth);
  EXPECT_EQ(back.CurrentAudiogram, s.CurrentAudiogram);
}

TEST(WriteFile, ASaveThatFailsHalfWayLeavesThePreviousFileWhole) {
  TempDir dir;
  const std::string path = dir.File("x.aud");
  const std::string previous = DataBytes("aud/full.aud");
  std::ofstream(path, std::ios::binary) << previous;

  AppState s;
  s.Personal.LastName = "Neu";
  {
    AtomicFileWriter out(path);
    out.FailAfterBytes(1000);
    EXPECT_THROW(WriteFile(out, s.CurrentAudiogram, s.Personal, RegionalDeDe()), SonavelError);
  }
  EXPECT_EQ(ReadBytes(path), previous);

  // A folder that cannot take the file fails at once, naming it.
  try {
    WriteFile(dir.File("no/such/dir/x.aud"), s.CurrentAudiogram, s.Personal, RegionalDeDe());
    ADD_FAILURE() << "no error";
  } catch (const SonavelError& e) {
    EXPECT_NE(std::string(e.what()).find("no/such/dir/x.aud"), std::string::npos);
  }
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
    EXPECT_EQ(entry.path().filename(), "x.aud");
}

TEST(NewAudiogram, ClearsTheResultsAndTheTextsButNotTheDateOfBirth) {
  AppState s = Previous();
  s.ResultsPresent = true;
  NewAudiogram(s);
  EXPECT_FALSE(s.ResultsPresent);
  EXPECT_EQ(s.Personal, (PersonalData{"", "", "", "", Date{1980, 5, 6}, ""}));
  for (int e = 0; e < 2; ++e)
    for (int r = 0; r < 12; ++r) {
      EXPECT_EQ(s.CurrentAudiogram.Reverse[e][r][0], 0);
      EXPECT_EQ(s.CurrentAudiogram.Reverse[e][r][1], 7);  // left-over levels stay
      EXPECT_EQ(s.CurrentAudiogram.Threshold[e][r], NoResult);
    }
  EXPECT_EQ(s.CurrentAudiogram.TestDateStamp, "01-01-2000");
  EXPECT_EQ(s.CurrentAudiogram.TestTimeStamp, "1h1");
}

TEST(OpenCommandLineAudiogram, OpensANamedAudiogramElseStartsNew) {
  TempDir dir;
  const std::string spaced = dir.File("Hans Müller.AuD");
  std::filesystem::copy_file(DataPath("aud/full.aud"), spaced);
  const struct {
    std::string commandLine;
    bool results;
    size_t messages;
  } cases[] = {
      {spaced.substr(0, spaced.find(' ')) + " " + spaced.substr(spaced.find(' ') + 1) + " ", true, 0},
      {dir.File("missing.aud") + " ", false, 1},  // the error is shown, then New
      {DataPath("cal/empty_texts.cal") + " ", false, 0},
      {"", false, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.commandLine);
    AppState s = Previous();
    s.CommandLine = c.commandLine;
    const std::optional<std::string> failure = OpenCommandLineAudiogram(s, RegionalDeDe(), Year2024);
    EXPECT_EQ(s.ResultsPresent, c.results);
    EXPECT_EQ(failure ? 1u : 0u, c.messages);
    EXPECT_EQ(s.Personal.Comment, "");
    EXPECT_EQ(s.CurrentAudiogram.Threshold[0][1], c.results ? 12 : NoResult);
  }
}

}  // namespace
}  // namespace sonavel
