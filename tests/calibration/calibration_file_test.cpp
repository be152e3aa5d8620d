#include "calibration/calibration_file.h"

#include <gtest/gtest.h>

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

// A calibration in use before the read: every entry, 0 and 12 included, holds a sentinel.
AppState WithSentinels() {
  AppState s;
  for (auto& ear : s.CalibrationData)
    for (auto& e : ear) e = CalibrationEntry{-1, -2, -3, -4, -5.5};
  return s;
}

const CalibrationHeader SentinelHeader{"P", "H", "S", "C", "D", "T"};

TEST(ReadCal, ReadsTheEntriesOneToElevenOfBothEars) {
  AppState s = WithSentinels();
  CalibrationHeader h = SentinelHeader;
  ASSERT_EQ(DataBytes("cal/empty_texts.cal").size(), 586u);
  EXPECT_EQ(test::ErrorOf([&] { ReadCal(DataPath("cal/empty_texts.cal"), s, h); }), std::nullopt);
  EXPECT_TRUE(s.CalibrationLoaded);
  EXPECT_EQ(h, CalibrationHeader{});
  for (int e = 0; e < 2; ++e) {
    for (int k = 1; k <= 11; ++k)
      EXPECT_EQ(s.CalibrationData[e][k], (CalibrationEntry{10 * e + k, 100 + k + e, 200 + k,
                                                           static_cast<int32_t>(0xDEADBEEF), k * 0.5 - e}))
          << e << " " << k;
    EXPECT_EQ(s.CalibrationData[e][0], (CalibrationEntry{-1, -2, -3, -4, -5.5}));
    EXPECT_EQ(s.CalibrationData[e][12], (CalibrationEntry{-1, -2, -3, -4, -5.5}));
  }

  ReadCal(DataPath("cal/text255.cal"), s, h);
  EXPECT_EQ(h, (CalibrationHeader{std::string(255, 'x'), "Kopfhörer HDA 200", "Intern", "Calibration by Ear",
                                  "07.03.2018", "14:30:00"}));
  EXPECT_EQ(s.CalibrationData[1][11], (CalibrationEntry{11, 22, 33, 0, -12.25}));
}

TEST(ReadCal, AFileThatIsNotAWholeCalibrationChangesNothing) {
  const std::string good = DataBytes("cal/empty_texts.cal");
  auto patched = [&](size_t at, std::string_view bytes) {
    std::string s = good;
    s.replace(at, bytes.size(), bytes);
    return s;
  };
  const std::string fifteen =
      std::string("\x11\x00\x00\x00\x0F", 5) + "Calibration Dat" + "\x00" + good.substr(22);
  const struct {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"the first 15 characters", fifteen},
      {"lower case", patched(5, "calibration data")},
      {"length byte 15", patched(4, "\x0F")},
      {"identification N 300", patched(0, std::string("\x2C\x01\x00\x00", 4))},
      {"text block N 258", patched(22, std::string("\x02\x01\x00\x00", 4))},
      {"text block N negative", patched(22, std::string("\xFE\xFF\xFF\xFF", 4))},
      {"text block N 0", patched(22, std::string("\x00\x00\x00\x00", 4))},
      {"text longer than its block", patched(26, "\x02")},
      {"ends before its 22 records", good.substr(0, 585)},
      {"ends inside the texts", good.substr(0, 40)},
      {"empty file", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const std::string path = dir.File("x.cal");
    std::ofstream(path, std::ios::binary) << c.bytes;
    AppState s = WithSentinels();
    s.CalibrationLoaded = true;  // a calibration in use stays in use
    const AppState before = s;
    CalibrationHeader h = SentinelHeader;
    EXPECT_EQ(test::ErrorOf([&] { ReadCal(path, s, h); }), "Not a valid Calibration Data File");
    EXPECT_EQ(s.CalibrationData, before.CalibrationData);
    EXPECT_EQ(h, SentinelHeader);
  }

  AppState s;
  CalibrationHeader h = SentinelHeader;
  TempDir dir;
  try {
    ReadCal(dir.File("missing.cal"), s, h);
    ADD_FAILURE() << "no error";
  } catch (const SonavelError& e) {
    EXPECT_NE(std::string(e.what()).find("missing.cal"), std::string::npos);
  }
  EXPECT_FALSE(s.CalibrationLoaded);
  EXPECT_EQ(h, SentinelHeader);
}

TEST(WriteCal, WritesTheLayoutByteForByte) {
  AppState s;
  CalibrationHeader h;
  ReadCal(DataPath("cal/empty_texts.cal"), s, h);
  s.CalibrationData[0][0] = s.CalibrationData[1][12] = CalibrationEntry{9, 9, 9, 9, 9};  // never stored
  // The writer's pad and reserved bytes are zero.
  std::string expected = DataBytes("cal/empty_texts.cal");
  expected[21] = 0;
  for (int t = 0; t < 6; ++t) expected[22 + 6 * t + 5] = 0;
  for (int r = 0; r < 22; ++r) expected.replace(58 + 24 * r + 12, 4, std::string(4, '\0'));
  EXPECT_EQ(CalibrationFileBytes(h, s.CalibrationData), expected);

  h = {std::string(255, 'x'), "Kopfhörer", std::string(300, 'y'), "€", "", "Ω"};
  const std::string bytes = CalibrationFileBytes(h, s.CalibrationData);
  EXPECT_EQ(bytes.substr(22, 6), std::string("\x01\x01\x00\x00\xFFx", 6));  // N = 257, L = 255
  EXPECT_EQ(bytes.substr(22 + 261, 5 + 9 + 1), std::string("\x0B\x00\x00\x00\x09Kopfh\xF6rer\x00", 15));
  TempDir dir;
  const std::string path = dir.File("x.cal");
  WriteCal(path, h, s.CalibrationData);
  AppState back;
  CalibrationHeader hb;
  ReadCal(path, back, hb);
  EXPECT_EQ(hb, (CalibrationHeader{std::string(255, 'x'), "Kopfhörer", std::string(255, 'y'), "€", "", "?"}));
  for (int e = 0; e < 2; ++e)
    for (int k = 1; k <= 11; ++k) {
      CalibrationEntry want = s.CalibrationData[e][k];
      want.Reserved = 0;
      EXPECT_EQ(back.CalibrationData[e][k], want);
    }

  // A failed save leaves the previous file.
  const std::string previous = ReadBytes(path);
  {
    AtomicFileWriter out(path);
    out.FailAfterBytes(300);
    EXPECT_THROW(WriteCal(out, CalibrationHeader{}, s.CalibrationData), SonavelError);
  }
  EXPECT_EQ(ReadBytes(path), previous);
}

TEST(StartupCalibration, TheCommandLineComesBeforeTheDefaultFile) {
  SettingsRecord load;
  load.chkLoadCal = true;
  load.CalFilename = "/home/a/default.cal";
  const SettingsRecord noLoad;
  const struct {
    const char* commandLine;
    const SettingsRecord* settings;
    std::optional<std::string> file;
  } cases[] = {
      {"/x/Mein Kopfhörer.cal ", &load, "/x/Mein Kopfhörer.cal"},
      {"/x/a.cal ", &noLoad, "/x/a.cal"},
      {"/x/a.CAL ", &load, "/home/a/default.cal"},
      {"/x/a.CAL ", &noLoad, std::nullopt},
      {"/x/a.aud ", &load, "/home/a/default.cal"},
      {"", &noLoad, std::nullopt},
  };
  for (const auto& c : cases)
    EXPECT_EQ(StartupCalibrationFile(c.commandLine, *c.settings), c.file) << c.commandLine;

  // A file that cannot be loaded is reported and start-up goes on without a calibration.
  AppState s;
  s.Settings = load;
  CalibrationHeader h;
  const std::optional<std::string> failure = LoadStartupCalibration(s, h);
  EXPECT_FALSE(s.CalibrationLoaded);
  ASSERT_TRUE(failure);
  EXPECT_NE(failure->find("/home/a/default.cal"), std::string::npos);

  s.CommandLine = DataPath("cal/text255.cal") + " ";
  EXPECT_EQ(LoadStartupCalibration(s, h), std::nullopt);
  EXPECT_TRUE(s.CalibrationLoaded);
  EXPECT_EQ(h.Soundcard, "Intern");
}

}  // namespace
}  // namespace sonavel
