#include "settings/settings_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/sim_host.h"
#include "platform/sim/sim_joystick.h"
#include "platform/sim/sim_wave_out.h"
#include "results/analysis.h"

namespace sonavel {
namespace {

TEST(SettingsBounds, TableOfLeavingAField) {
  using F = BoundedField;
  struct Case {
    F field;
    const char* typed;
    char separator;
    const char* left;
  } cases[] = {
      {F::TestTimeEdit, "7", ',', "10"},
      {F::TestTimeEdit, "75", ',', "60"},
      {F::TestTimeEdit, "abc", ',', "30"},
      {F::TestTimeEdit, "10", ',', "10"},
      {F::TestTimeEdit, "60", ',', "60"},
      {F::TestTimeEdit, "007", ',', "10"},  // seven seconds, below the bound
      {F::TestTimeEdit, "030", ',', "030"},
      {F::ReverseEdit, "007", ',', "007"},
      {F::TestTimeEdit, "", ',', "30"},
      {F::TestTimeEdit, "20,5", ',', "30"},         // a fraction
      {F::TestTimeEdit, "99999999999", ',', "30"},  // does not fit: not a number
      {F::ReverseEdit, "1", ',', "2"},
      {F::ReverseEdit, "11", ',', "10"},
      {F::ReverseEdit, "x", ',', "6"},
      {F::ReverseEdit, " 4", ',', " 4"},
      {F::PauseTimeEdit, "-1", ',', "0"},
      {F::PauseTimeEdit, "9", ',', "5"},
      {F::PauseTimeEdit, "", ',', "1"},
      {F::PauseTimeEdit, "5", ',', "5"},
      {F::BeepTimeEdit, "0,5", ',', "0,5"},
      {F::BeepTimeEdit, "0.5", ',', "1"},
      {F::BeepTimeEdit, "0.5", '.', "0.5"},
      {F::BeepTimeEdit, "0,5", '.', "1"},
      {F::BeepTimeEdit, "5,01", ',', "5"},
      {F::BeepTimeEdit, "-0,01", ',', "0"},
      {F::BeepTimeEdit, "1e1", '.', "5"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(BoundedFieldText(c.field, c.typed, c.separator), c.left)
        << static_cast<int>(c.field) << " \"" << c.typed << "\" with '" << c.separator << "'";
}

TEST(SettingsBounds, EachFieldItsOwnText) {
  SettingsRecord s;
  BoundedFieldOf(s, BoundedField::PauseTimeEdit) = "x";
  EXPECT_EQ(s.PauseTimeEdit, "x");
  EXPECT_EQ(s.BeepTimeEdit, "1");
  BoundedFieldOf(s, BoundedField::ReverseEdit) = "y";
  EXPECT_EQ(s.ReverseEdit, "y");
  EXPECT_EQ(s.TestTimeEdit, "30");
}

// Records what the rules do outside the record.
struct RecordingView : SettingsDialogView {
  void SetCheck1000Enabled(bool enabled) override { events.push_back(enabled ? "1000 on" : "1000 off"); }
  void SetJoystickControlsVisible(bool v) override { events.push_back(v ? "joy shown" : "joy hidden"); }
  void RepaintAudiogram() override { events.push_back("chart"); }
  void RepaintTestGraph() override { events.push_back("graph"); }
  void SetAudiogramAreaColour(Colour c) override { events.push_back("area " + std::to_string(c)); }
  void SetAudiogramFrameColour(Colour c) override { events.push_back("frame " + std::to_string(c)); }
  void SetMainWindowColour(Colour c) override { events.push_back("window " + std::to_string(c)); }
  std::vector<std::string> events;
};

TEST(SettingsFollowUps, RetestOffClearOnForcesCheck1000) {
  AppState state;
  RecordingView view;
  state.Settings.Retest = false;
  RunSettingFollowUp(&SettingsRecord::Retest, state, view);
  state.Settings.Check1000 = false;  // the user clears the unlocked box
  state.Settings.Retest = true;
  RunSettingFollowUp(&SettingsRecord::Retest, state, view);
  EXPECT_TRUE(state.Settings.Check1000);
  EXPECT_EQ(view.events, (std::vector<std::string>{"1000 on", "1000 off"}));
}

ReverseRow Row(std::initializer_list<int32_t> levels) {
  ReverseRow row{};
  row[0] = static_cast<int32_t>(levels.size());
  int32_t k = 1;
  for (int32_t v : levels) row[k++] = v;
  return row;
}

TEST(SettingsFollowUps, Reject1stRecomputesThenRepaints) {
  AppState state;
  RecordingView view;
  state.CurrentAudiogram.Reverse[0][2] = Row({40, 50, 45, 50});
  CalcThreshold(state.CurrentAudiogram, true);
  ASSERT_EQ(state.CurrentAudiogram.Threshold[0][2], 48);
  state.Settings.Reject1st = false;
  RunSettingFollowUp(&SettingsRecord::Reject1st, state, view);
  EXPECT_EQ(state.CurrentAudiogram.Threshold[0][2], 46);  // 185 / 4
  EXPECT_EQ(view.events, std::vector<std::string>{"chart"});
}

TEST(SettingsFollowUps, WhichFieldSetsOffWhat) {
  using S = SettingsRecord;
  struct Case {
    bool S::*field;
    std::vector<std::string> events;
  } cases[] = {
      {&S::ShowReversals, {"chart"}},
      {&S::ShowThresholds, {"chart"}},
      {&S::MarkSuspicious, {"chart"}},
      {&S::rdoJoystick, {"joy shown"}},
      {&S::rdoCTRL, {"joy shown"}},
      {&S::Trial, {}},
      {&S::Check1000, {}},
      {&S::IncludeDOB, {}},
      {&S::RealTimeCalc, {}},
  };
  for (const Case& c : cases) {
    AppState state;
    state.Settings.rdoJoystick = true;
    RecordingView view;
    RunSettingFollowUp(c.field, state, view);
    EXPECT_EQ(view.events, c.events);
  }
  // The CTRL key selected: the joystick's controls go, whichever button changed.
  AppState state;
  state.Settings.rdoJoystick = false;
  RecordingView view;
  RunSettingFollowUp(&S::rdoCTRL, state, view);
  EXPECT_EQ(view.events, std::vector<std::string>{"joy hidden"});
}

TEST(SettingsColours, EffectByIndex) {
  struct Case {
    int32_t index;
    std::vector<std::string> events;
  } cases[] = {
      {0, {"chart", "graph"}},
      {1, {"chart", "graph"}},
      {2, {"chart", "graph"}},
      {3, {"area 255", "frame 255"}},
      {4, {"window 255"}},
      {5, {"chart", "graph"}},
      {6, {"chart", "graph"}},
      {7, {}},
      {-1, {}},
  };
  for (const Case& c : cases) {
    AppState state;
    const GraphColourSet before = state.Settings.GraphColours;
    RecordingView view;
    ApplyColourChange(state, c.index, 255, view);
    EXPECT_EQ(view.events, c.events) << c.index;
    for (int32_t i = 0; i < GraphColourCount; ++i)
      EXPECT_EQ(state.Settings.GraphColours[i], i == c.index ? 255u : before[i]) << c.index << " " << i;
  }
  ASSERT_EQ(ColourListEntries().size(), static_cast<size_t>(GraphColourCount));
  EXPECT_EQ(ColourListEntries()[3], "Hintergrund Audiogramm");
}

TEST(SettingsPages, HelpContextsAndLightTimer) {
  EXPECT_EQ(PageHelpContext(PageTestProcedure), 5);
  EXPECT_EQ(PageHelpContext(PageSoundCard), 6);
  EXPECT_EQ(PageHelpContext(PageFileHandling), 7);
  EXPECT_EQ(PageHelpContext(PageGraphSettings), 9);
  EXPECT_EQ(PageHelpContext(PageCalibration), 0);
  EXPECT_EQ(HelpTopicOf(0), 11);
  EXPECT_EQ(HelpTopicOf(9), 9);

  LightTimerRule timer;
  EXPECT_FALSE(timer.Running());
  EXPECT_TRUE(timer.UserSelectedPage(PageSoundCard));
  EXPECT_FALSE(timer.UserSelectedPage(PageGraphSettings));
  EXPECT_TRUE(timer.UserSelectedPage(PageSoundCard));
  EXPECT_FALSE(timer.Closed());
  EXPECT_FALSE(timer.Running());
}

TEST(SettingsLight, RedWhileAnyButtonIsDown) {
  SimHost host;
  SimJoystick joystick(host);
  EXPECT_EQ(PollLight(joystick), LightReleased);
  joystick.Set(0, 0x80);  // the eighth button alone counts too
  EXPECT_EQ(PollLight(joystick), LightPressed);
  joystick.Connected = false;
  EXPECT_EQ(PollLight(joystick), LightReleased);
}

TEST(SettingsDeviceLists, WaveEntriesAndMixerCheck) {
  SimHost host;
  SimWaveOut waveOut(host, {{"A very long product name of a sound card", 0x0305},
                            {"USB", 0x10A0C},
                            {"Kopfhörer-Ausgang Büro Südflügel Gerät", 0x0100}});
  // The names are cut to 32 characters, an umlaut counting as one.
  EXPECT_EQ(WaveOutListEntries(waveOut),
            (std::vector<std::string>{"A very long product name of a so Driver Version 3.5",
                                      "USB Driver Version 10.12",
                                      "Kopfhörer-Ausgang Büro Südflügel Driver Version 1.0"}));
  SimWaveOut none(host, {});
  EXPECT_TRUE(WaveOutListEntries(none).empty());

  struct Case {
    int64_t stored;
    uint32_t count;
    bool gone;
  } cases[] = {{0, 1, false}, {1, 2, false}, {1, 1, true},
               {0, 0, true},  {-1, 2, true}, {2147483647, 3, true}};
  for (const Case& c : cases)
    EXPECT_EQ(MixerDeviceGone(c.stored, c.count), c.gone) << c.stored << " " << c.count;
}

TEST(SettingsDesktopTools, FirstInstalledElseWhatToInstall) {
  const auto only = [](std::string name) { return [name](const std::string& p) { return p == name; }; };
  auto sound = FindDesktopTool(SettingsTool::Sound, only("gnome-control-center"));
  ASSERT_TRUE(sound);
  EXPECT_EQ(sound->Arguments, std::vector<std::string>{"sound"});
  const auto both = [](const std::string& p) { return p == "pavucontrol" || p == "gnome-control-center"; };
  EXPECT_EQ(FindDesktopTool(SettingsTool::Sound, both)->Program, "pavucontrol");
  EXPECT_EQ(FindDesktopTool(SettingsTool::Joystick, only("jstest-gtk"))->Program, "jstest-gtk");
  EXPECT_FALSE(FindDesktopTool(SettingsTool::Joystick, only("pavucontrol")));
  EXPECT_NE(MissingToolText(SettingsTool::Joystick).find("jstest-gtk"), std::string::npos);
  EXPECT_NE(MissingToolText(SettingsTool::Sound).find("pavucontrol"), std::string::npos);
}

}  // namespace
}  // namespace sonavel
