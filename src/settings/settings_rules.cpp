#include "settings/settings_rules.h"

#include "core/regional.h"
#include "core/utf8.h"
#include "results/analysis.h"

namespace sonavel {

namespace {

struct Bounds {
  bool decimal;
  double upper;
  const char* upperText;
  double lower;
  const char* lowerText;
  const char* fallbackText;
};

Bounds BoundsOf(BoundedField field) {
  switch (field) {
    case BoundedField::BeepTimeEdit:
    case BoundedField::PauseTimeEdit:
      return {true, 5, "5", 0, "0", "1"};
    case BoundedField::TestTimeEdit:
      return {false, 60, "60", 10, "10", "30"};
    case BoundedField::ReverseEdit:
      break;
  }
  return {false, 10, "10", 2, "2", "6"};
}

std::optional<double> ReadBounded(const Bounds& b, const std::string& text, char decimalSeparator) {
  if (b.decimal) return ParseDecimal(text, decimalSeparator);
  if (const std::optional<int32_t> n = ParseWholeNumber(text)) return *n;
  return std::nullopt;
}

}  // namespace

std::string BoundedFieldText(BoundedField field, const std::string& text, char decimalSeparator) {
  const Bounds b = BoundsOf(field);
  std::string result = text;
  std::optional<double> value = ReadBounded(b, result, decimalSeparator);
  if (!value) return b.fallbackText;
  if (*value > b.upper) {
    result = b.upperText;
    value = b.upper;
  }
  if (*value < b.lower) result = b.lowerText;
  return result;
}

std::string& BoundedFieldOf(SettingsRecord& s, BoundedField field) {
  switch (field) {
    case BoundedField::BeepTimeEdit:
      return s.BeepTimeEdit;
    case BoundedField::PauseTimeEdit:
      return s.PauseTimeEdit;
    case BoundedField::TestTimeEdit:
      return s.TestTimeEdit;
    case BoundedField::ReverseEdit:
      break;
  }
  return s.ReverseEdit;
}

void RunSettingFollowUp(bool SettingsRecord::*field, AppState& state, SettingsDialogView& view) {
  using S = SettingsRecord;
  SettingsRecord& s = state.Settings;
  if (field == &S::Retest) {
    view.SetCheck1000Enabled(ApplyRetestRule(s));
  } else if (field == &S::ShowReversals || field == &S::ShowThresholds || field == &S::MarkSuspicious) {
    view.RepaintAudiogram();
  } else if (field == &S::Reject1st) {
    CalcThreshold(state.CurrentAudiogram, s.Reject1st);
    view.RepaintAudiogram();
  } else if (field == &S::rdoJoystick || field == &S::rdoCTRL) {
    view.SetJoystickControlsVisible(ResponseIsJoystick(s));
  }
}

ColourEffect ColourEffectOf(int32_t index) {
  switch (index) {
    case ColourReversalsLeft:
    case ColourReversalsRight:
    case ColourAxesGrid:
    case ColourThresholdsLeft:
    case ColourThresholdsRight:
      return ColourEffect::RepaintCharts;
    case ColourAudiogramBackground:
      return ColourEffect::AudiogramArea;
    case ColourApplicationBackground:
      return ColourEffect::MainWindow;
    default:
      return ColourEffect::None;
  }
}

void ApplyColourChange(AppState& state, int32_t index, Colour colour, SettingsDialogView& view) {
  const ColourEffect effect = ColourEffectOf(index);
  if (effect == ColourEffect::None) return;
  state.Settings.GraphColours[index] = colour;
  switch (effect) {
    case ColourEffect::RepaintCharts:
      view.RepaintAudiogram();
      view.RepaintTestGraph();
      break;
    case ColourEffect::AudiogramArea:
      view.SetAudiogramAreaColour(colour);
      view.SetAudiogramFrameColour(colour);
      break;
    case ColourEffect::MainWindow:
      view.SetMainWindowColour(colour);
      break;
    case ColourEffect::None:
      break;
  }
}

const std::vector<std::string>& ColourListEntries() {
  static const std::vector<std::string> entries = {
      "Audiogramm Pegelverlauf Links", "Audiogramm Pegelverlauf Rechts", "Audiogramm Achsen & Gitter",
      "Hintergrund Audiogramm",        "Hintergrund Programm",           "Audiogramm Hörschwelle Links",
      "Audiogramm Hörschwelle Rechts"};
  return entries;
}

int32_t PageHelpContext(int32_t page) {
  static constexpr int32_t contexts[SettingsPageCount] = {5, 6, 7, 9, 0};
  return page >= 0 && page < SettingsPageCount ? contexts[page] : SettingsInitialHelpContext;
}

int32_t HelpTopicOf(int32_t helpContext) { return helpContext == 0 ? 11 : helpContext; }

Colour PollLight(Joystick& joystick) {
  uint32_t buttons = 0;
  if (!joystick.ReadButtons(buttons)) return LightReleased;
  return buttons != 0 ? LightPressed : LightReleased;
}

std::vector<std::string> WaveOutListEntries(WaveOut& waveOut) {
  std::vector<std::string> entries;
  const int32_t count = waveOut.GetNumDevs();
  for (int32_t i = 0; i < count; ++i) {
    WaveOutCaps caps;
    if (waveOut.GetDevCaps(i, caps) != WaveOk) caps = {};
    // The list index is the device number: a device whose caps cannot be read keeps its place.
    // 32 characters, not bytes: a German name must not lose half of an umlaut.
    caps.Name = Utf8Prefix(caps.Name, 32);
    entries.push_back(WaveOutEntryText(caps));
  }
  return entries;
}

bool MixerDeviceGone(int64_t storedNumber, uint32_t mixerDeviceCount) {
  return storedNumber < 0 || storedNumber + 1 > static_cast<int64_t>(mixerDeviceCount);
}

const std::vector<DesktopTool>& DesktopToolsFor(SettingsTool tool) {
  static const std::vector<DesktopTool> sound = {
      {"pavucontrol", {}},
      {"pavucontrol-qt", {}},
      {"gnome-control-center", {"sound"}},
      {"kcmshell6", {"kcm_pulseaudio"}},
      {"kcmshell5", {"kcm_pulseaudio"}},
  };
  static const std::vector<DesktopTool> joystick = {
      {"jstest-gtk", {}},
      {"kcmshell6", {"kcm_gamecontroller"}},
  };
  return tool == SettingsTool::Sound ? sound : joystick;
}

std::optional<DesktopTool> FindDesktopTool(SettingsTool tool,
                                           const std::function<bool(const std::string&)>& installed) {
  for (const DesktopTool& t : DesktopToolsFor(tool))
    if (installed(t.Program)) return t;
  return std::nullopt;
}

std::string MissingToolText(SettingsTool tool) {
  if (tool == SettingsTool::Sound)
    return "Es ist kein Programm für die Audio-Einstellungen installiert. Bitte installieren Sie "
           "pavucontrol (Paket \"pavucontrol\").";
  return "Es ist kein Programm für die Joystick-Einstellungen installiert. Bitte installieren Sie "
         "jstest-gtk (Paket \"jstest-gtk\").";
}

}  // namespace sonavel
