#include "settings/registry.h"

#include "core/error.h"
#include "model/audiogram.h"

namespace sonavel {

namespace {

using S = SettingsRecord;
using T = RegistryFieldType;

RegistryField B(int32_t n, const char* value, const char* field, bool S::*member) {
  return {n, value, field, T::Boolean, member, nullptr, nullptr, -1};
}
RegistryField I(int32_t n, const char* value, const char* field, int32_t S::*member) {
  return {n, value, field, T::Integer, nullptr, member, nullptr, -1};
}
RegistryField X(int32_t n, const char* value, const char* field, std::string S::*member) {
  return {n, value, field, T::Text, nullptr, nullptr, member, -1};
}
RegistryField C(int32_t n, const char* value, int32_t index) {
  static const char* const names[GraphColourCount] = {"GraphColours[0]", "GraphColours[1]", "GraphColours[2]",
                                                      "GraphColours[3]", "GraphColours[4]", "GraphColours[5]",
                                                      "GraphColours[6]"};
  return {n, value, names[index], T::Integer, nullptr, nullptr, nullptr, index};
}

const std::array<RegistryField, RegistryFieldCount> Fields = {
    B(1, "Test 125Hz", "Check125", &S::Check125),
    B(2, "Test 250Hz", "Check250", &S::Check250),
    B(3, "Test 500Hz", "Check500", &S::Check500),
    B(4, "Test 750Hz", "Check750", &S::Check750),
    B(5, "Test 1000Hz", "Check1000", &S::Check1000),
    B(6, "Test 1500Hz", "Check1500", &S::Check1500),
    B(7, "Test 2000Hz", "Check2000", &S::Check2000),
    B(8, "Test 3000Hz", "Check3000", &S::Check3000),
    B(9, "Test 4000Hz", "Check4000", &S::Check4000),
    B(10, "Test 6000Hz", "Check6000", &S::Check6000),
    B(11, "Test 8000Hz", "Check8000", &S::Check8000),
    B(12, "Trial Run", "Trial", &S::Trial),
    B(13, "Retest @ 1kHz", "Retest", &S::Retest),
    B(14, "AutoRetest", "AutoRetest", &S::AutoRetest),
    B(15, "First Ear", "FirstEar", &S::FirstEar),
    X(16, "Pulse Duration(s)", "BeepTimeEdit", &S::BeepTimeEdit),
    X(17, "Pause Duration(s)", "PauseTimeEdit", &S::PauseTimeEdit),
    X(18, "Level Steps (dB)", "LevelStep", &S::LevelStep),
    X(19, "Start Level (dB HL)", "LevelStart", &S::LevelStart),
    X(20, "Max. Test time(s)", "TestTimeEdit", &S::TestTimeEdit),
    X(21, "Min. Reversals", "ReverseEdit", &S::ReverseEdit),
    I(22, "Wave Out Device Number", "WaveOutDevice", &S::WaveOutDevice),
    I(23, "Mixer Device Number", "MixerDevice", &S::MixerDevice),
    B(24, "Joystick", "rdoJoystick", &S::rdoJoystick),
    B(25, "CTRL", "rdoCTRL", &S::rdoCTRL),
    B(26, "Include Last Name", "IncludeLName", &S::IncludeLName),
    B(27, "Include First Name", "IncludeFName", &S::IncludeFName),
    B(28, "Include Reference No.", "IncludeRef", &S::IncludeRef),
    B(29, "Include Department", "IncludeDept", &S::IncludeDept),
    B(30, "Include DOB", "IncludeDOB", &S::IncludeDOB),
    B(31, "Include Test Date", "IncludeDate", &S::IncludeDate),
    B(32, "Include Test Time", "IncludeTime", &S::IncludeTime),
    B(33, "Reject 1st Reversal", "Reject1st", &S::Reject1st),
    B(34, "Show in RT", "RealTimeCalc", &S::RealTimeCalc),
    B(35, "Show Reversal Graph", "ShowReversals", &S::ShowReversals),
    B(36, "Show Threshold Graph", "ShowThresholds", &S::ShowThresholds),
    B(37, "Mark Suspicious Results", "MarkSuspicious", &S::MarkSuspicious),
    C(38, "Colour Audiogram Reversals Left", ColourReversalsLeft),
    C(39, "Colour Audiogram Reversals Right", ColourReversalsRight),
    C(40, "Colour Audiogram Axes & Grid", ColourAxesGrid),
    C(41, "Colour Audiogram Background", ColourAudiogramBackground),
    C(42, "Colour Application Background", ColourApplicationBackground),
    C(43, "Colour Audiogram Thresholds Left", ColourThresholdsLeft),
    C(44, "Colour Audiogram Thresholds Right", ColourThresholdsRight),
    B(45, "Reload Cal File", "chkLoadCal", &S::chkLoadCal),
    B(46, "Print Cal File", "chkPrintCal", &S::chkPrintCal),
    X(47, "Cal Filename", "CalFilename", &S::CalFilename),
};

// The two response buttons are one radio group: selecting one clears the other.
void LoadRadio(SettingsRecord& s, const RegistryField& field, bool value, SettingsFollowUp& followUp) {
  bool& self = s.*field.Boolean;
  bool& other = field.Boolean == &S::rdoJoystick ? s.rdoCTRL : s.rdoJoystick;
  const bool selfWas = self;
  const bool otherWas = other;
  self = value;
  if (value) other = false;
  if (self != selfWas) followUp.SettingChanged(field);
  if (other != otherWas) followUp.SettingChanged(Fields[field.Boolean == &S::rdoJoystick ? 24 : 23]);
}

int32_t SelectListEntry(int32_t stored, std::optional<int32_t> count) {
  if (stored < 0) return -1;
  if (count && stored >= *count) return -1;
  return stored;
}

// Reads one value into the record; false when the value is missing or of another type.
bool LoadField(RegistryKey& key, SettingsRecord& s, const RegistryField& f, SettingsFollowUp& followUp,
               RegistryLoadResult& result) {
  const std::optional<RegistryValue> v = key.Value(f.ValueName);
  if (f.Type == T::Text) {
    std::string text;
    if (v) {
      if (v->Type != RegistryValueType::String && v->Type != RegistryValueType::ExpandString) return false;
      text = v->Text;
    }
    std::string& field = s.*f.Text;
    if (field != text) {
      field = std::move(text);
      followUp.SettingChanged(f);
    }
    return true;
  }
  if (!v || v->Type != RegistryValueType::Dword) return false;

  if (f.Type == T::Boolean) {
    const bool value = v->Number != 0;
    if (f.Boolean == &S::rdoJoystick || f.Boolean == &S::rdoCTRL) {
      LoadRadio(s, f, value, followUp);
      return true;
    }
    bool& field = s.*f.Boolean;
    const bool changed = field != value;
    field = value;
    // While Retest is on, Check1000 is on, whatever the key says about it: a 1 kHz repeat
    // without the first 1 kHz measurement would have nothing to be compared with.
    if (f.Boolean == &S::Retest) {
      const bool check1000 = s.Check1000;
      ApplyRetestRule(s);
      if (s.Check1000 != check1000) followUp.SettingChanged(Fields[Slot1000 - 1]);
    }
    if (changed) followUp.SettingChanged(f);
    return true;
  }

  const auto number = static_cast<int32_t>(v->Number);
  if (f.ColourIndex >= 0) {
    Colour& c = s.GraphColours[f.ColourIndex];
    const bool changed = c != v->Number;
    c = v->Number;
    if (f.ColourIndex == ColourAudiogramBackground) followUp.AudiogramAreaColourLoaded(c);
    if (f.ColourIndex == ColourApplicationBackground) followUp.MainWindowColourLoaded(c);
    if (changed) followUp.SettingChanged(f);
    return true;
  }
  const bool wave = f.Integer == &S::WaveOutDevice;
  if (!wave) result.MixerDeviceNumber = number;
  const int32_t selected =
      SelectListEntry(number, wave ? followUp.WaveOutDeviceCount() : followUp.MixerDeviceCount());
  int32_t& field = s.*f.Integer;
  if (field != selected) {
    field = selected;
    followUp.SettingChanged(f);
  }
  return true;
}

void RunFirstStartSequence(RegistryKey& key, SettingsFollowUp& followUp, Host& host) {
  const int32_t answer = host.MessageBox(
      "Dies ist das erste Mal, dass Sie dieses Programm starten. Möchten Sie eine kurze Einführung lesen?",
      "", MessageIcon::Confirmation, ButtonYes | ButtonNo, 10);
  if (answer == ResultYes) host.OpenHelp(10);
  host.ShowMessage(
      "Da Sie das Programm zum ersten mal starten, überprüfen und bestätigen Sie bitte auch die "
      "Einstellungen "
      "für Soundkarte und Joystick.");
  try {
    key.WriteDword(FirstRunValueName, 0);
  } catch (const SonavelError& e) {
    throw SonavelError(RegistrySetFailedText(FirstRunValueName) + ": " + e.what());
  }
  followUp.ShowSettingsOnHardwarePage();
}

}  // namespace

const std::array<RegistryField, RegistryFieldCount>& RegistryFields() { return Fields; }

std::array<const RegistryField*, RegistryFieldCount> RegistryStoreOrder() {
  std::array<const RegistryField*, RegistryFieldCount> order{};
  for (int32_t i = 0; i < 45; ++i) order[i] = &Fields[i];
  order[45] = &Fields[46];  // "Cal Filename"
  order[46] = &Fields[45];  // "Print Cal File"
  return order;
}

std::string RegistryInvalidDataText(const std::string& valueName) {
  return "Invalid data type for '" + valueName + "'";
}

std::string RegistrySetFailedText(const std::string& valueName) {
  return "Failed to set data for '" + valueName + "'";
}

void ApplyRegistryDefaults(SettingsRecord& Settings, SettingsFollowUp& followUp) {
  Settings.GraphColours = DefaultGraphColours(followUp.AudiogramAreaColour(), followUp.MainWindowColour());
  const auto first = [](std::optional<int32_t> count) { return count && *count <= 0 ? -1 : 0; };
  Settings.WaveOutDevice = first(followUp.WaveOutDeviceCount());
  Settings.MixerDevice = first(followUp.MixerDeviceCount());
}

RegistryLoadResult LoadRegistryValues(KeyStore& store, SettingsRecord& Settings, SettingsFollowUp& followUp) {
  RegistryLoadResult result;
  std::unique_ptr<RegistryKey> key = store.OpenKey(KeyPaths::FirstElseAlternative);
  for (const RegistryField& f : Fields) {
    if (key && LoadField(*key, Settings, f, followUp, result)) continue;
    result.Succeeded = false;
    result.FailedValue = f.ValueName;
    break;
  }
  key.reset();
  if (!result.Succeeded) {
    ApplyRegistryDefaults(Settings, followUp);
    result.MixerDeviceNumber = 0;
  }
  return result;
}

void FirstStartCheck(KeyStore& store, SettingsFollowUp& followUp, Host& host) {
  std::unique_ptr<RegistryKey> key = store.OpenKey(KeyPaths::FirstElseAlternative);
  const std::optional<RegistryValue> v = key ? key->Value(FirstRunValueName) : std::nullopt;
  if (!v || v->Type != RegistryValueType::Dword)
    throw SonavelError(RegistryInvalidDataText(FirstRunValueName));
  if (static_cast<int32_t>(v->Number) == 1) RunFirstStartSequence(*key, followUp, host);
}

RegistryLoadResult ReadRegistry(KeyStore& store, SettingsRecord& Settings, SettingsFollowUp& followUp,
                                Host& host) {
  RegistryLoadResult result = LoadRegistryValues(store, Settings, followUp);
  if (!result.Succeeded) host.ShowMessage(RegistryReadErrorText);
  FirstStartCheck(store, followUp, host);
  return result;
}

std::vector<std::pair<std::string, RegistryValue>> RegistryValuesOf(const SettingsRecord& s) {
  std::vector<std::pair<std::string, RegistryValue>> values;
  for (const RegistryField* f : RegistryStoreOrder()) {
    RegistryValue v;
    switch (f->Type) {
      case T::Boolean:
        v = {RegistryValueType::Dword, s.*f->Boolean ? 1u : 0u, ""};
        break;
      case T::Integer:
        v = {RegistryValueType::Dword,
             f->ColourIndex >= 0 ? s.GraphColours[f->ColourIndex] : static_cast<uint32_t>(s.*f->Integer), ""};
        break;
      case T::Text:
        v = {RegistryValueType::String, 0, s.*f->Text};
        break;
    }
    values.emplace_back(f->ValueName, std::move(v));
  }
  return values;
}

SettingsRecord InstallationSettings() {
  SettingsRecord s;
  s.WaveOutDevice = 0;
  s.MixerDevice = 0;
  return s;
}

std::vector<std::pair<std::string, RegistryValue>> InstalledKeyValues(const SettingsRecord& Settings,
                                                                      bool firstRun) {
  std::vector<std::pair<std::string, RegistryValue>> values{
      {FirstRunValueName, RegistryValue{RegistryValueType::Dword, firstRun ? 1u : 0u, ""}}};
  for (auto& v : RegistryValuesOf(Settings)) values.push_back(std::move(v));
  return values;
}

void WriteRegistry(KeyStore& store, const SettingsRecord& Settings) {
  std::unique_ptr<RegistryKey> key = store.OpenKey(KeyPaths::FirstElseAlternative);
  for (const auto& [name, value] : RegistryValuesOf(Settings)) {
    if (!key) throw SonavelError(RegistrySetFailedText(name));
    try {
      if (value.Type == RegistryValueType::Dword)
        key->WriteDword(name, value.Number);
      else
        key->WriteString(name, value.Text);
    } catch (const SonavelError& e) {
      throw SonavelError(RegistrySetFailedText(name) + ": " + e.what());
    }
  }
}

}  // namespace sonavel
