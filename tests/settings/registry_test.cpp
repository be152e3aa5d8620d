#include "settings/registry.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "cli/cli_test_support.h"
#include "core/error.h"
#include "platform/keyfile/key_file.h"
#include "platform/sim/sim_host.h"
#include "test_data.h"

namespace sonavel {
namespace {

using test::DataBytes;
using test::ReadBytes;
using test::TempDir;

// A settings dialog with two entries in each device list that records what the load set off.
class RecordingFollowUp : public PlainSettingsFollowUp {
 public:
  void SettingChanged(const RegistryField& field) override { Changed.push_back(field.FieldName); }
  std::optional<int32_t> WaveOutDeviceCount() override { return Devices; }
  std::optional<int32_t> MixerDeviceCount() override { return Devices; }
  void ShowSettingsOnHardwarePage() override { ++SettingsShown; }

  std::optional<int32_t> Devices = 2;
  std::vector<std::string> Changed;
  int SettingsShown = 0;
};

// Every value of the fixtures is away from its default.
SettingsRecord ExpectedFromFixture(const std::string& calFilename) {
  SettingsRecord s;
  for (int slot = 1; slot <= 11; ++slot) FrequencyCheck(s, slot) = !FrequencyCheck(s, slot);
  s.Trial = s.Retest = s.AutoRetest = s.FirstEar = false;
  s.BeepTimeEdit = "0,5";
  s.PauseTimeEdit = "2";
  s.LevelStep = "5";
  s.LevelStart = "-10";
  s.TestTimeEdit = "45";
  s.ReverseEdit = "8";
  s.WaveOutDevice = 1;
  s.MixerDevice = 1;
  s.rdoJoystick = true;
  s.rdoCTRL = false;
  s.IncludeLName = s.IncludeFName = s.IncludeDate = false;
  s.IncludeRef = s.IncludeDept = s.IncludeDOB = s.IncludeTime = true;
  s.Reject1st = s.RealTimeCalc = s.ShowReversals = s.ShowThresholds = s.MarkSuspicious = false;
  s.GraphColours = {0x00112233, 0x00445566, 0x00778899, 0x00ABCDEF, 0xFF000005, 0x00010203, 0x00040506};
  s.chkLoadCal = s.chkPrintCal = true;
  s.CalFilename = calFilename;
  return s;
}

struct KeyFixture {
  explicit KeyFixture(const std::string& bytes) : path(dir.File("Sonavel.reg")), store({path, ""}) {
    std::ofstream(path, std::ios::binary) << bytes;
  }
  TempDir dir;
  std::string path;
  KeyFileStore store;
};

std::string WithoutLine(std::string text, const std::string& name) {
  const size_t at = text.find("\"" + name + "\"=");
  EXPECT_NE(at, std::string::npos) << name;
  return text.erase(at, text.find('\n', at) - at + 1);
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  const size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return text.replace(at, from.size(), to);
}

TEST(ReadRegistry, LoadsEveryValueOfEachKindOfExport) {
  const std::pair<const char*, const char*> cases[] = {
      {"reg/full_utf8.reg", "/home/anna/Kalibrierung Müller.cal"},
      {"reg/windows_utf16.reg", "%USERPROFILE%\\Kalibrierung Müller.cal"},
      {"reg/regedit4_ansi.reg", "C:\\Kalibrierung\\Müller.cal"},
  };
  for (const auto& [file, calFilename] : cases) {
    SCOPED_TRACE(file);
    KeyFixture key(DataBytes(file));
    SettingsRecord s;
    RecordingFollowUp followUp;
    SimHost host;
    const RegistryLoadResult r = ReadRegistry(key.store, s, followUp, host);
    EXPECT_TRUE(r.Succeeded);
    EXPECT_EQ(r.MixerDeviceNumber, 1);
    EXPECT_EQ(s, ExpectedFromFixture(calFilename));
    EXPECT_TRUE(host.Messages.empty());
    EXPECT_EQ(followUp.AreaColour, 0x00ABCDEFu);
    EXPECT_EQ(followUp.WindowColour, 0xFF000005u);
    EXPECT_EQ(followUp.SettingsShown, 0);  // FirstRun is 0
  }
}

TEST(ReadRegistry, FollowUpsRunOnlyForValuesThatChangeAField) {
  KeyFixture key(DataBytes("reg/full_utf8.reg"));
  SettingsRecord s;
  RecordingFollowUp followUp;
  LoadRegistryValues(key.store, s, followUp);
  for (const char* field : {"Retest", "Reject1st", "ShowReversals", "ShowThresholds", "MarkSuspicious",
                            "rdoJoystick", "rdoCTRL", "CalFilename", "GraphColours[3]"})
    EXPECT_NE(std::find(followUp.Changed.begin(), followUp.Changed.end(), field), followUp.Changed.end())
        << field;

  followUp.Changed.clear();
  LoadRegistryValues(key.store, s, followUp);  // as Cancel does after nothing was edited
  EXPECT_TRUE(followUp.Changed.empty()) << testing::PrintToString(followUp.Changed);
}

TEST(ReadRegistry, AFailedValueStopsTheLoadAndFallsBackOnDefaultColoursAndDevices) {
  const std::string full = DataBytes("reg/full_utf8.reg");
  const SettingsRecord loaded = ExpectedFromFixture("/home/anna/Kalibrierung Müller.cal");
  const SettingsRecord before;
  const struct {
    const char* name;
    std::string bytes;
    const char* failedValue;
    int loadedUpTo;  // values 1..loadedUpTo keep their loaded state
    Colour areaColour, windowColour;
  } cases[] = {
      {"value missing", DataBytes("reg/missing_mixer_device.reg"), "Mixer Device Number", 22, ColourOlive,
       ColourButtonFace},
      {"Boolean stored as a string", DataBytes("reg/trial_run_string.reg"), "Trial Run", 11, ColourOlive,
       ColourButtonFace},
      {"text stored as a number",
       Replaced(full, "\"Min. Reversals\"=\"8\"", "\"Min. Reversals\"=dword:00000008"), "Min. Reversals", 20,
       ColourOlive, ColourButtonFace},
      {"integer stored as a string",
       Replaced(full, "\"Wave Out Device Number\"=dword:00000001", "\"Wave Out Device Number\"=\"1\""),
       "Wave Out Device Number", 21, ColourOlive, ColourButtonFace},
      {"colour missing after the two area colours", WithoutLine(full, "Colour Audiogram Thresholds Left"),
       "Colour Audiogram Thresholds Left", 42, 0x00ABCDEF, 0xFF000005},
      {"no key", "", "Test 125Hz", 0, ColourOlive, ColourButtonFace},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    KeyFixture key(c.bytes);
    SettingsRecord s;
    RecordingFollowUp followUp;
    const RegistryLoadResult r = LoadRegistryValues(key.store, s, followUp);
    EXPECT_FALSE(r.Succeeded);
    EXPECT_EQ(r.FailedValue, c.failedValue);
    EXPECT_EQ(r.MixerDeviceNumber, 0);
    // The text the user then sees: Session.LoadRegistryValuesShowsAFailedLoad.

    // Colours and device selections take their defaults, the areas' current colours included.
    EXPECT_EQ(s.GraphColours, DefaultGraphColours(c.areaColour, c.windowColour));
    EXPECT_EQ(s.WaveOutDevice, 0);
    EXPECT_EQ(s.MixerDevice, 0);
    // Earlier fields keep their loaded values, later ones the values they had.
    for (const RegistryField& f : RegistryFields()) {
      if (f.ColourIndex >= 0 || f.Integer != nullptr) continue;
      const SettingsRecord& expected = f.Number <= c.loadedUpTo ? loaded : before;
      if (f.Boolean) {
        EXPECT_EQ(s.*f.Boolean, expected.*f.Boolean) << f.FieldName;
      } else {
        EXPECT_EQ(s.*f.Text, expected.*f.Text) << f.FieldName;
      }
    }
  }

  // With empty device lists the defaults select nothing.
  KeyFixture none("");
  SettingsRecord s;
  RecordingFollowUp followUp;
  followUp.Devices = 0;
  LoadRegistryValues(none.store, s, followUp);
  EXPECT_EQ(s.WaveOutDevice, -1);
  EXPECT_EQ(s.MixerDevice, -1);
}

TEST(ReadRegistry, TheResponseButtonsAreOneRadioGroup) {
  const std::string full = DataBytes("reg/full_utf8.reg");
  const struct {
    std::string bytes;
    bool joystick, ctrl;
  } cases[] = {
      {DataBytes("reg/both_radio_buttons.reg"), false, true},  // CTRL is loaded last and wins
      {Replaced(full, "\"Joystick\"=dword:00000001", "\"Joystick\"=dword:00000000"), false, false},
      {full, true, false},
  };
  for (const auto& c : cases) {
    KeyFixture key(c.bytes);
    SettingsRecord s;
    RecordingFollowUp followUp;
    LoadRegistryValues(key.store, s, followUp);
    EXPECT_EQ(s.rdoJoystick, c.joystick);
    EXPECT_EQ(s.rdoCTRL, c.ctrl);
    EXPECT_EQ(ResponseIsJoystick(s), c.joystick);
  }
}

TEST(ReadRegistry, DeviceNumbersOutsideTheListsSelectNothing) {
  KeyFixture key(DataBytes("reg/device_out_of_range.reg"));  // wave 7, mixer -1
  for (const std::optional<int32_t> devices : {std::optional<int32_t>(2), std::optional<int32_t>()}) {
    SettingsRecord s;
    RecordingFollowUp followUp;
    followUp.Devices = devices;
    const RegistryLoadResult r = LoadRegistryValues(key.store, s, followUp);
    EXPECT_TRUE(r.Succeeded);
    EXPECT_EQ(s.WaveOutDevice, devices ? -1 : 7);
    EXPECT_EQ(s.MixerDevice, -1);
    EXPECT_EQ(r.MixerDeviceNumber, -1);  // the stored number, for the mixer device check
  }
}

TEST(ReadRegistry, AMissingTextLoadsAsEmpty) {
  KeyFixture key(DataBytes("reg/missing_text.reg"));
  SettingsRecord s;
  RecordingFollowUp followUp;
  EXPECT_TRUE(LoadRegistryValues(key.store, s, followUp).Succeeded);
  EXPECT_EQ(s.BeepTimeEdit, "");
  EXPECT_EQ(s.PauseTimeEdit, "2");
}

TEST(ReadRegistry, RetestAlwaysBringsCheck1000) {
  const std::string full = DataBytes("reg/full_utf8.reg");
  KeyFixture key(Replaced(full, "\"Retest @ 1kHz\"=dword:00000000", "\"Retest @ 1kHz\"=dword:00000001"));
  SettingsRecord s;  // Retest already on: the load does not change it
  RecordingFollowUp followUp;
  LoadRegistryValues(key.store, s, followUp);
  EXPECT_TRUE(s.Retest);
  EXPECT_TRUE(s.Check1000);
}

TEST(FirstStartCheck, RunsTheFirstStartSequenceOnce) {
  TempDir dir;
  const std::string path = dir.File("k.reg");
  ASSERT_TRUE(InstallKeyFile(path, {{"FirstRun", {RegistryValueType::Dword, 1, ""}}}));
  KeyFileStore store({path, ""});
  for (const int32_t answer : {ResultYes, ResultNo}) {
    KeyFileDocument doc = KeyFileDocument::Parse(ReadBytes(path));
    doc.SetValue("FirstRun", {RegistryValueType::Dword, 1, ""});
    std::ofstream(path, std::ios::binary) << doc.Serialize();

    RecordingFollowUp followUp;
    SimHost host;
    host.QueueAnswer(answer);
    FirstStartCheck(store, followUp, host);
    ASSERT_EQ(host.Messages.size(), 2u);
    EXPECT_EQ(
        host.Messages[0].text,
        "Dies ist das erste Mal, dass Sie dieses Programm starten. Möchten Sie eine kurze Einführung lesen?");
    EXPECT_EQ(host.Messages[0].buttons, ButtonYes | ButtonNo);
    EXPECT_EQ(host.Messages[0].helpContext, 10);
    EXPECT_EQ(host.Messages[1].text,
              "Da Sie das Programm zum ersten mal starten, überprüfen und bestätigen Sie bitte auch die "
              "Einstellungen "
              "für Soundkarte und Joystick.");
    EXPECT_EQ(host.HelpOpened, answer == ResultYes ? std::vector<int32_t>{10} : std::vector<int32_t>{});
    EXPECT_EQ(followUp.SettingsShown, 1);
    EXPECT_EQ(KeyFileDocument::Parse(ReadBytes(path)).Value("FirstRun")->Number, 0u);

    // From now on the check has no visible effect.
    SimHost later;
    FirstStartCheck(store, followUp, later);
    EXPECT_TRUE(later.Messages.empty());
    EXPECT_EQ(followUp.SettingsShown, 1);
  }
}

TEST(FirstStartCheck, AFirstRunThatIsNotANumberGoesToTheCaller) {
  for (const std::string& bytes :
       {std::string("Windows Registry Editor Version 5.00\n\n"
                    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brantel\\Sonavel]\n"),
        std::string("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brantel\\Sonavel]\n\"FirstRun\"=\"1\"\n"),
        std::string()}) {
    KeyFixture key(bytes);
    SettingsRecord s;
    RecordingFollowUp followUp;
    SimHost host;
    try {
      ReadRegistry(key.store, s, followUp, host);
      ADD_FAILURE() << "no error";
    } catch (const SonavelError& e) {
      EXPECT_NE(std::string(e.what()).find("'FirstRun'"), std::string::npos) << e.what();
    }
    EXPECT_EQ(followUp.SettingsShown, 0);
  }
}

TEST(WriteRegistry, StoresEveryFieldInTheStoresOrderAndReadsBackTheSame) {
  TempDir dir;
  const std::string path = dir.File("k.reg");
  ASSERT_TRUE(InstallKeyFile(
      path, {{"FirstRun", {RegistryValueType::Dword, 0, ""}},
             {"Das Audiometer muß zunächst kalibriert werden.", {RegistryValueType::Dword, 1, ""}}}));
  KeyFileStore store({path, ""});
  SettingsRecord s = ExpectedFromFixture("/home/anna/Kalibrierung \"Müller\".cal");
  s.WaveOutDevice = -1;
  s.GraphColours[ColourApplicationBackground] = ColourButtonFace;
  WriteRegistry(store, s);

  const std::string text = ReadBytes(path);
  size_t at = 0;
  for (const RegistryField* f : RegistryStoreOrder()) {
    const size_t next = text.find("\n\"" + std::string(f->ValueName) + "\"=", at);
    ASSERT_NE(next, std::string::npos) << f->ValueName << " missing or out of order";
    at = next + 1;
  }
  EXPECT_NE(text.find("\"Cal Filename\"=\"/home/anna/Kalibrierung \\\"Müller\\\".cal\"\n\"Print Cal File\""),
            std::string::npos);
  EXPECT_NE(text.find("\"Wave Out Device Number\"=dword:ffffffff\n"), std::string::npos);
  EXPECT_NE(text.find("\"Colour Application Background\"=dword:ff00000f\n"), std::string::npos);
  // The marks are not the record's: the store keeps them.
  EXPECT_NE(text.find("\"FirstRun\"=dword:00000000\n\"Das Audiometer muß"), std::string::npos);

  SettingsRecord back;
  RecordingFollowUp followUp;
  SimHost host;
  EXPECT_TRUE(ReadRegistry(store, back, followUp, host).Succeeded);
  EXPECT_EQ(back, s);
}

// A key that fails at one named value, as a full disk or a revoked permission would.
class FailingStore : public KeyStore {
 public:
  class Key : public RegistryKey {
   public:
    explicit Key(FailingStore& s) : store_(s) {}
    std::optional<RegistryValue> Value(const std::string& name) override {
      auto it = store_.Written.find(name);
      if (it == store_.Written.end()) return std::nullopt;
      return it->second;
    }
    void WriteDword(const std::string& name, uint32_t v) override {
      Put(name, {RegistryValueType::Dword, v, ""});
    }
    void WriteString(const std::string& name, const std::string& v) override {
      Put(name, {RegistryValueType::String, 0, v});
    }

   private:
    void Put(const std::string& name, RegistryValue v) {
      if (name == store_.FailAt) throw SonavelError("No space left on device");
      store_.Written[name] = std::move(v);
      store_.Order.push_back(name);
    }
    FailingStore& store_;
  };
  std::unique_ptr<RegistryKey> OpenKey(KeyPaths) override {
    if (Missing) return nullptr;
    return std::make_unique<Key>(*this);
  }
  std::string FailAt;
  bool Missing = false;
  std::map<std::string, RegistryValue> Written;
  std::vector<std::string> Order;
};

TEST(WriteRegistry, AFailedStoreNamesTheValueAndKeepsWhatWasWritten) {
  FailingStore store;
  store.FailAt = "Min. Reversals";
  try {
    WriteRegistry(store, SettingsRecord{});
    ADD_FAILURE() << "no error";
  } catch (const SonavelError& e) {
    EXPECT_EQ(std::string(e.what()), "Failed to set data for 'Min. Reversals': No space left on device");
  }
  ASSERT_EQ(store.Order.size(), 20u);
  EXPECT_EQ(store.Order.back(), "Max. Test time(s)");

  FailingStore missing;
  missing.Missing = true;
  try {
    WriteRegistry(missing, SettingsRecord{});
    ADD_FAILURE() << "no error";
  } catch (const SonavelError& e) {
    EXPECT_EQ(std::string(e.what()), "Failed to set data for 'Test 125Hz'");
  }
}

}  // namespace
}  // namespace sonavel
