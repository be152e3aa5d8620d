#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "calibration/calibration_file.h"
#include "cli/cli_test_support.h"
#include "cli/json_reader.h"
#include "files/audiogram_file.h"
#include "platform/keyfile/key_file.h"
#include "platform/sim/sim_host.h"
#include "settings/registry.h"
#include "test_data.h"

namespace sonavel {
namespace {

using test::DataBytes;
using test::DataPath;
using test::ReadBytes;
using test::RunCliCommand;
using test::TempDir;

void ExpectOneLineError(const test::CliResult& r, const std::string& part) {
  EXPECT_EQ(r.status, 2) << r.err;
  EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
  EXPECT_NE(r.err.find(part), std::string::npos) << r.err;
}

TEST(ExportCommand, WritesTheTextExportOfAnAudiogramFile) {
  const auto de = RunCliCommand({"export", DataPath("aud/full.aud"), "--locale", "de_DE"});
  ASSERT_EQ(de.status, 0) << de.err;
  EXPECT_EQ(std::count(de.out.begin(), de.out.end(), '\n'), 560);
  EXPECT_EQ(de.out.substr(0, 25), "\r\n\r\n\r\n\r\n31.12.1970\r\n\r\n07-");
  const auto us = RunCliCommand({"export", DataPath("aud/full.aud"), "--locale", "en_US"});
  EXPECT_EQ(us.out.substr(8, 12), "12/31/1970\r\n");

  TempDir dir;
  const auto r =
      RunCliCommand({"export", DataPath("aud/full.aud"), "--locale", "de_DE", "--out", dir.File("a.txt")});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadBytes(dir.File("a.txt")), de.out);

  // A round trip through import gives the writer's bytes of the same file.
  ASSERT_EQ(
      RunCliCommand({"import", dir.File("a.txt"), "--out", dir.File("b.aud"), "--locale", "de_DE"}).status,
      0);
  AppState s;
  ReadFile(DataPath("aud/full.aud"), s, RegionalDeDe(), 2024);
  EXPECT_EQ(ReadBytes(dir.File("b.aud")), AudiogramFileBytes(s.CurrentAudiogram, s.Personal, RegionalDeDe()));
}

TEST(ResultsCommand, PrintsWhatTheResultsWindowShows) {
  const auto r =
      RunCliCommand({"results", DataPath("aud/full.aud"), "--today", "2018-03-07", "--locale", "de_DE"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "  31.12.1970\n"
            "Testdatum: 07-03-2018 Uhrzeit: 14h30.\n"
            "250\t12\t10\n500\t22\t20\n1000\t20\t20\n2000\t17\t20\n3000\t25\t25\n4000\t30\t30\n6000\t35\t35\n"
            "8000\t40\t\n"
            "Hörkategorie: 4\n"
            "Testwiederholung emfohlen für die Frequenzen: 2000Hz (L); 500Hz (R); \n"
            "Die Hörschwelle der Wiederholungsmessung bei 1kHz weicht von der ersten Messung um -5dB ab.\n");

  // At 69 the same thresholds are within the limits; with 4 reversals enough, only 2000 Hz is
  // left for a retest.
  const auto later = RunCliCommand({"results", DataPath("aud/full.aud"), "--today", "2040-01-01",
                                    "--min-reversals", "4", "--json", "--locale", "de_DE"});
  ASSERT_EQ(later.status, 0) << later.err;
  const cli::JsonValue j = cli::ParseJson(later.out);
  EXPECT_EQ(j.Find("name")->text, "  31.12.1970");
  EXPECT_EQ(j.Find("category")->integer, 5);
  EXPECT_EQ(j.Find("categoryText")->text, "Hörkategorie: 5");
  EXPECT_EQ(j.Find("retestText")->text, "Testwiederholung emfohlen für die Frequenzen: 2000Hz (L); ");
  const auto& rows = j.Find("rows")->items;
  ASSERT_EQ(rows.size(), 8u);
  EXPECT_EQ(rows[7].items[0].integer, 8000);
  EXPECT_EQ(rows[7].items[2].kind, cli::JsonValue::Kind::Null);
  EXPECT_EQ(j.Find("thresholds")->items[1].items[5].integer, 25);
  ASSERT_EQ(j.Find("inaccurate")->items.size(), 1u);
  EXPECT_EQ(j.Find("inaccurate")->items[0].items[1].integer, 6);

  // Without a threshold section the thresholds come from the reversals, as --reject-first says.
  const auto off =
      RunCliCommand({"results", DataPath("aud/no_threshold.aud"), "--reject-first", "off", "--json"});
  EXPECT_EQ(cli::ParseJson(off.out).Find("thresholds")->items[0].items[6].integer, 16);
  const auto on = RunCliCommand({"results", DataPath("aud/no_threshold.aud"), "--json"});
  EXPECT_EQ(cli::ParseJson(on.out).Find("thresholds")->items[0].items[6].integer, 17);
}

TEST(CalCommands, InfoAndMakeRoundTrip) {
  const auto text = RunCliCommand({"cal-info", DataPath("cal/text255.cal")});
  ASSERT_EQ(text.status, 0) << text.err;
  EXPECT_NE(text.out.find("Headphones: Kopfhörer HDA 200\nSoundcard: Intern\n"), std::string::npos);
  EXPECT_NE(text.out.find("ear\tHz\tWaveLevel\tMasterLevel\tGainLevel\tLevelOffset\n0\t125\t1\t2\t3\t0\n"),
            std::string::npos);
  EXPECT_NE(text.out.find("1\t8000\t11\t22\t33\t-12.25\n"), std::string::npos);

  TempDir dir;
  for (const char* file : {"cal/text255.cal", "cal/empty_texts.cal"}) {
    SCOPED_TRACE(file);
    const auto json = RunCliCommand({"cal-info", DataPath(file), "--json"});
    ASSERT_EQ(json.status, 0) << json.err;
    std::ofstream(dir.File("c.json")) << json.out;
    const auto made = RunCliCommand({"cal-make", dir.File("c.json"), "--out", dir.File("c.cal")});
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_EQ(RunCliCommand({"cal-info", dir.File("c.cal"), "--json"}).out, json.out);

    AppState s;
    CalibrationHeader h;
    ReadCal(DataPath(file), s, h);
    EXPECT_EQ(ReadBytes(dir.File("c.cal")), CalibrationFileBytes(h, s.CalibrationData));
  }
}

TEST(CalCommands, MakeRefusesJsonOfAnotherShape) {
  const std::string good = RunCliCommand({"cal-info", DataPath("cal/empty_texts.cal"), "--json"}).out;
  auto replaced = [&](const std::string& from, const std::string& to) {
    std::string s = good;
    const size_t at = s.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return s.replace(at, from.size(), to);
  };
  const std::pair<std::string, std::string> cases[] = {
      {replaced("\"Person\": \"\", ", ""), "\"Person\" is missing"},
      {replaced("\"Person\": \"\"", "\"Person\": 5"), "Person must be a string"},
      {replaced("{\"Person\"", "{\"Extra\": 1, \"Person\""), "unknown member \"Extra\""},
      {replaced("\"WaveLevel\": 1,", "\"WaveLevel\": 1.5,"), "WaveLevel must be a whole number"},
      {replaced("\"WaveLevel\": 1,", "\"WaveLevel\": 4294967296,"), "WaveLevel must be a whole number"},
      {replaced("\"LevelOffset\": 0.5}", "\"LevelOffset\": \"0.5\"}"), "LevelOffset must be a number"},
      {replaced("{\"WaveLevel\": 1,", "{\"WaveLevel\": 1, \"WaveLevel\": 1,"), "given twice"},
      {replaced("]]}", "]]"), "JSON line 2, column 1"},
      {replaced("[{\"WaveLevel\": 1,",
                "[{\"WaveLevel\": 0, \"MasterLevel\": 0, \"GainLevel\": 0, "
                "\"LevelOffset\": 0}, {\"WaveLevel\": 1,"),
       "must be an array of 11 objects"},
      {"[]", "must be an object"},
  };
  TempDir dir;
  for (const auto& [json, message] : cases) {
    std::ofstream(dir.File("c.json"), std::ios::trunc) << json;
    ExpectOneLineError(RunCliCommand({"cal-make", dir.File("c.json"), "--out", dir.File("c.cal")}), message);
  }
  EXPECT_FALSE(std::filesystem::exists(dir.File("c.cal")));
}

class ScopedRegistry {
 public:
  explicit ScopedRegistry(const std::string& path) {
    if (const char* old = std::getenv("SONAVEL_REGISTRY")) old_ = old;
    setenv("SONAVEL_REGISTRY", path.c_str(), 1);
  }
  ~ScopedRegistry() {
    if (old_)
      setenv("SONAVEL_REGISTRY", old_->c_str(), 1);
    else
      unsetenv("SONAVEL_REGISTRY");
  }

 private:
  std::optional<std::string> old_;
};

TEST(SettingsCommands, InstallThenShowTheSettings) {
  TempDir dir;
  const std::string path = dir.File("cfg/Brantel/Sonavel.reg");
  const ScopedRegistry registry(path);

  const auto missing = RunCliCommand({"settings"});
  EXPECT_EQ(missing.status, 0);
  EXPECT_EQ(missing.err, "Fehler beim Lesen der Registry! Benutze Standardwerte.\n");
  EXPECT_NE(missing.out.find("\nWaveOutDevice = 0\nMixerDevice = 0\n"), std::string::npos);

  ASSERT_EQ(RunCliCommand({"install-settings"}).status, 0);
  ExpectOneLineError(RunCliCommand({"install-settings"}), "already exists");
  KeyFileStore store({path, ""});
  SettingsRecord s;
  PlainSettingsFollowUp followUp;
  EXPECT_TRUE(LoadRegistryValues(store, s, followUp).Succeeded);
  SettingsRecord expected;
  expected.WaveOutDevice = expected.MixerDevice = 0;
  EXPECT_EQ(s, expected);
  EXPECT_EQ(store.OpenKey(KeyPaths::FirstOnly)->Value("FirstRun")->Number, 1u);

  std::filesystem::copy_file(DataPath("reg/full_utf8.reg"), path,
                             std::filesystem::copy_options::overwrite_existing);
  const auto shown = RunCliCommand({"settings"});
  EXPECT_EQ(shown.status, 0);
  EXPECT_EQ(shown.err, "");
  EXPECT_EQ(shown.out.substr(0, 35), "Check125 = true\nCheck250 = false\nCh");
  for (const char* line :
       {"\nBeepTimeEdit = \"0,5\"\n", "\nrdoJoystick = true\nrdoCTRL = false\n",
        "\nGraphColours[4] = 0xFF000005\n",
        "\nchkLoadCal = true\nchkPrintCal = true\nCalFilename = \"/home/anna/Kalibrierung Müller.cal\"\n"})
    EXPECT_NE(shown.out.find(line), std::string::npos) << line;
  EXPECT_EQ(std::count(shown.out.begin(), shown.out.end(), '\n'), 47);

  const cli::JsonValue j = cli::ParseJson(RunCliCommand({"settings", "--json"}).out);
  ASSERT_EQ(j.members.size(), 41u);
  EXPECT_EQ(j.members[0].first, "Check125");
  EXPECT_EQ(j.Find("GraphColours")->items[3].integer, 0x00ABCDEF);
  EXPECT_EQ(j.members.back().first, "CalFilename");

  // Another place by option; the file keeps what was there.
  const std::string other = dir.File("other.reg");
  std::ofstream(other) << "[HKEY_CURRENT_USER\\X]\n\"Y\"=\"z\"\n";
  ASSERT_EQ(RunCliCommand({"install-settings", "--path", other}).status, 0);
  EXPECT_EQ(ReadBytes(other).substr(0, 31), "[HKEY_CURRENT_USER\\X]\n\"Y\"=\"z\"\n\n");
}

TEST(FileCommands, BadInputExitsWithStatusTwoAndOneLine) {
  TempDir dir;
  std::ofstream(dir.File("bad.aud"), std::ios::binary) << "\x0BpatientFile";
  std::ofstream(dir.File("bad.cal"), std::ios::binary) << "nothing";
  std::ofstream(dir.File("short.txt")) << "a\nb\n";
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"export", dir.File("bad.aud")}, "File is not a valid Audiogram!"},
      {{"export", dir.File("missing.aud")}, "missing.aud"},
      {{"export"}, "missing audiogram file"},
      {{"export", DataPath("aud/full.aud"), "--locale", "fr_FR"}, "fr_FR"},
      {{"import", dir.File("short.txt"), "--out", dir.File("x.aud")}, "The file has 2 lines"},
      {{"import", dir.File("short.txt")}, "missing option --out"},
      {{"results", dir.File("bad.aud")}, "File is not a valid Audiogram!"},
      {{"results", DataPath("aud/full.aud"), "--today", "7.3.2018"}, "--today"},
      {{"results", DataPath("aud/full.aud"), "--today", "2018-02-30"}, "--today"},
      {{"results", DataPath("aud/full.aud"), "--min-reversals", "sechs"}, "--min-reversals"},
      {{"results", DataPath("aud/full.aud"), "--reject-first", "yes"}, "--reject-first"},
      {{"cal-info", dir.File("bad.cal")}, "Not a valid Calibration Data File"},
      {{"cal-info", DataPath("cal/text255.cal"), "extra"}, "unexpected argument"},
      {{"cal-make", dir.File("bad.cal"), "--out", dir.File("x.cal")}, "JSON line 1, column 1"},
      {{"settings", "extra"}, "unexpected argument"},
  };
  for (const auto& [args, part] : cases) {
    SCOPED_TRACE(testing::PrintToString(args));
    ExpectOneLineError(RunCliCommand(args), part);
  }
  EXPECT_FALSE(std::filesystem::exists(dir.File("x.aud")));
  EXPECT_FALSE(std::filesystem::exists(dir.File("x.cal")));

  // A file that cannot be written is a failure of the system.
  const auto r = RunCliCommand({"export", DataPath("aud/full.aud"), "--out", dir.File("no/dir/a.txt")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("no/dir/a.txt"), std::string::npos);
}

}  // namespace
}  // namespace sonavel
