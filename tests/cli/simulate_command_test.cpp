#include <gtest/gtest.h>

#include <cmath>

#include "cli/cli_test_support.h"
#include "cli/json_reader.h"
#include "test_data.h"

namespace sonavel {
namespace {

using test::RunCliCommand;

const std::string Left = "5,10,15,20,25,30,35,40,45,50,55";
const std::string Right = "0,0,10,10,20,20,30,30,40,40,50";

TEST(SimulateCommand, JsonHasTheRunsRecordAndTheFilesAreWritten) {
  test::TempDir dir;
  const auto r = RunCliCommand({"simulate", "--out", dir.File("s.aud"), "--txt", dir.File("s.txt"), "--left",
                                Left, "--right", Right, "--json"});
  ASSERT_EQ(r.status, 0) << r.err;
  const cli::JsonValue j = cli::ParseJson(r.out);
  const cli::JsonValue* reverse = j.Find("reverse");
  const cli::JsonValue* threshold = j.Find("threshold");
  ASSERT_TRUE(reverse && threshold && j.Find("messages") && j.Find("presentations") &&
              j.Find("virtualSeconds"));
  ASSERT_EQ(reverse->items.size(), 2u);
  ASSERT_EQ(reverse->items[1].items.size(), 12u);
  ASSERT_EQ(reverse->items[1].items[11].items.size(), 22u);
  ASSERT_EQ(threshold->items.size(), 2u);
  ASSERT_EQ(threshold->items[0].items.size(), 12u);
  EXPECT_EQ(threshold->items[0].items[4].integer, 25);    // 1000 Hz, left: 25 dB HL
  EXPECT_EQ(threshold->items[1].items[0].integer, 1000);  // 125 Hz is not tested by default
  EXPECT_FALSE(j.Find("aborted")->boolean);
  EXPECT_EQ(j.Find("messages")->items.back().text, "Test procedure completed!");
  EXPECT_GT(j.Find("virtualSeconds")->number, 100);

  // The audiogram file reads back to the same thresholds.
  const auto results = RunCliCommand({"results", dir.File("s.aud"), "--json"});
  ASSERT_EQ(results.status, 0) << results.err;
  const cli::JsonValue back = cli::ParseJson(results.out);
  EXPECT_EQ(back.Find("thresholds")->items[0].items[4].integer, 25);
  const std::string txt = test::ReadBytes(dir.File("s.txt"));
  EXPECT_EQ(std::count(txt.begin(), txt.end(), '\n'), 560);
}

TEST(SimulateCommand, TheOperatorAndTheListenerFollowTheOptions) {
  test::TempDir dir;
  struct Case {
    std::vector<std::string> options;
    bool aborted;
    std::string lastMessage;
  } cases[] = {
      {{"--abort-at", "40"}, true, "Testprozedur unterbrochen!"},
      {{"--listener", "never"}, false, "Test procedure completed!"},
      {{"--listener", "always", "--trial-presentations", "3"}, false, "Test procedure completed!"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {"simulate", "--out", dir.File("s.aud"), "--json"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    const auto r = RunCliCommand(args);
    ASSERT_EQ(r.status, 0) << r.err;
    const cli::JsonValue j = cli::ParseJson(r.out);
    EXPECT_EQ(j.Find("aborted")->boolean, c.aborted) << c.options[0];
    EXPECT_EQ(j.Find("messages")->items.back().text, c.lastMessage) << c.options[0];
  }
}

TEST(SimulateCommand, SettingsComeFromTheKeyFile) {
  test::TempDir dir;
  const std::string key = dir.File("Sonavel.reg");
  {
    std::ofstream f(key, std::ios::binary);
    f << "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brantel\\Sonavel]\r\n";
    const char* names[] = {"Test 125Hz",  "Test 250Hz",  "Test 500Hz",  "Test 750Hz",
                           "Test 1000Hz", "Test 1500Hz", "Test 2000Hz", "Test 3000Hz",
                           "Test 4000Hz", "Test 6000Hz", "Test 8000Hz"};
    for (const char* n : names)
      f << "\"" << n << "\"=dword:0000000" << (std::string(n) == "Test 1000Hz" ? 1 : 0) << "\r\n";
    f << "\"Trial Run\"=dword:00000000\r\n\"Retest @ 1kHz\"=dword:00000000\r\n";
  }
  const auto r = RunCliCommand({"simulate", "--out", dir.File("s.aud"), "--settings", key, "--json"});
  ASSERT_EQ(r.status, 0) << r.err;
  const cli::JsonValue j = cli::ParseJson(r.out);
  const auto& messages = j.Find("messages")->items;
  // The load stops at the first missing value and says so; the test then runs 1 kHz only, no trial.
  EXPECT_EQ(messages.front().text, "Fehler beim Lesen der Registry! Benutze Standardwerte.");
  int measured = 0;
  for (const auto& ear : j.Find("threshold")->items)
    for (const auto& t : ear.items) measured += t.integer != 1000;
  EXPECT_EQ(measured, 2);
  for (const auto& m : messages) EXPECT_EQ(m.text.find("Übungsphase"), std::string::npos);
  EXPECT_EQ(messages[1].text, "Soll eine Bedienungsanleitung für die Testperson angezeigt werden?");

  // Once the question has been silenced in the key, it is not asked again.
  {
    std::ofstream f(key, std::ios::binary | std::ios::app);
    f << "\"Das Audiometer muß zunächst kalibriert werden. Möchten Sie detailierte Informationen zur "
         "Kalibrierung?\"=dword:00000001\r\n";
  }
  const auto silenced = RunCliCommand({"simulate", "--out", dir.File("s.aud"), "--settings", key, "--json"});
  ASSERT_EQ(silenced.status, 0) << silenced.err;
  const cli::JsonValue silencedJson = cli::ParseJson(silenced.out);
  for (const auto& m : silencedJson.Find("messages")->items)
    EXPECT_EQ(m.text.find("Bedienungsanleitung"), std::string::npos);
}

TEST(SimulateCommand, ACalibrationByEarComesBeforeTheTestAndIsShown) {
  test::TempDir dir;
  const auto r = RunCliCommand({"simulate", "--out", dir.File("s.aud"), "--calibrate-by-ear", "--card-level", "90",
                                "--left", "10,10,10,10,10,10,10,10,10,10,10", "--json"});
  ASSERT_EQ(r.status, 0) << r.err;
  const cli::JsonValue j = cli::ParseJson(r.out);
  // The card gives 20 dB more than the test's scale: the calibration lowers it by as much.
  const auto& left = j.Find("calibration")->items.at(0).items;
  ASSERT_EQ(left.size(), 11u);
  for (const auto& entry : left) {
    const double gain = 20 * std::log10(static_cast<double>(entry.Find("WaveLevel")->integer) / 255.0) +
                        20 * std::log10(static_cast<double>(entry.Find("MasterLevel")->integer) / 255.0);
    EXPECT_NEAR(gain, -20, 0.5);
  }
  for (const auto& t : j.Find("threshold")->items.at(0).items) {
    if (t.integer != 1000) {
      EXPECT_NEAR(static_cast<double>(t.integer), 10, 3);
    }
  }
  // Without the option the output has no calibration.
  const auto plain = RunCliCommand({"simulate", "--out", dir.File("s.aud"), "--json"});
  EXPECT_EQ(cli::ParseJson(plain.out).Find("calibration"), nullptr);
}

TEST(SimulateCommand, RefusesBadOptions) {
  test::TempDir dir;
  const std::string out = dir.File("s.aud");
  const std::vector<std::vector<std::string>> cases = {
      {"simulate"},
      {"simulate", "--out", out, "--left", "1,2,3"},
      {"simulate", "--out", out, "--right", "1,2,3,4,5,6,7,8,9,10,x"},
      {"simulate", "--out", out, "--listener", "loud"},
      {"simulate", "--out", out, "--false-alarm", "2"},
      {"simulate", "--out", out, "--slope", "0"},
      {"simulate", "--out", out, "--calibration", test::DataPath("aud/full.aud")},
      {"simulate", "--out", out, "--max-passes", "-1"},
      {"simulate", "--out", out, "--calibrator", "0,0,0,0,0,0,0,0,0,0,0"},
      {"simulate", "--out", out, "--calibrate-by-ear", "--calibrator", "0,0,0,0,0,0,0,0,0,0,2.5"},
      {"simulate", "--out", out, "--calibrate-by-ear", "--calibrator", "0,0,0,0,0,0,0,0,0,0,71"},
      {"simulate", "--out", out, "--calibrate-by-ear", "--calibration", test::DataPath("full-scale.cal")},
      {"simulate", "--out", out, "--card-level", "-3"},
  };
  for (const auto& args : cases) {
    const auto r = RunCliCommand(args);
    EXPECT_EQ(r.status, 2) << testing::PrintToString(args);
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
  }
  EXPECT_FALSE(std::filesystem::exists(out));
}

}  // namespace
}  // namespace sonavel
