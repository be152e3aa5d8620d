#include "model/settings.h"

#include <gtest/gtest.h>

namespace sonavel {
namespace {

TEST(Settings, Defaults) {
  const SettingsRecord s;
  const bool checks[] = {false, true, true, false, true, false, true, true, true, true, true};
  for (int slot = 1; slot <= 11; ++slot) EXPECT_EQ(FrequencyCheck(s, slot), checks[slot - 1]) << slot;
  EXPECT_TRUE(s.Trial && s.Retest && s.AutoRetest && s.FirstEar && s.chkDisableSS);
  EXPECT_EQ(s.BeepTimeEdit, "1");
  EXPECT_EQ(s.PauseTimeEdit, "1");
  EXPECT_EQ(s.LevelStep, "3");
  EXPECT_EQ(s.LevelStart, "0");
  EXPECT_EQ(s.TestTimeEdit, "30");
  EXPECT_EQ(s.ReverseEdit, "6");
  EXPECT_EQ(s.WaveOutDevice, -1);
  EXPECT_EQ(s.MixerDevice, -1);
  EXPECT_FALSE(s.rdoJoystick);
  EXPECT_TRUE(s.rdoCTRL);
  EXPECT_TRUE(s.IncludeLName && s.IncludeFName && s.IncludeDate);
  EXPECT_FALSE(s.IncludeRef || s.IncludeDept || s.IncludeDOB || s.IncludeTime);
  EXPECT_TRUE(s.ShowReversals && s.ShowThresholds && s.MarkSuspicious && s.Reject1st && s.RealTimeCalc);
  EXPECT_EQ(s.GraphColours, (GraphColourSet{0x00800000, 0x00000080, 0x00808080, 0x00008080, 0xFF00000F,
                                            0x00FF0000, 0x000000FF}));
  EXPECT_FALSE(s.chkLoadCal);
  EXPECT_EQ(s.CalFilename, "Keine Datei ausgewählt");
  EXPECT_FALSE(s.chkPrintCal);
}

TEST(Settings, DefaultColoursTakeTheCurrentAreaColours) {
  const GraphColourSet c = DefaultGraphColours(0x00112233, 0x00445566);
  EXPECT_EQ(c[ColourAudiogramBackground], 0x00112233u);
  EXPECT_EQ(c[ColourApplicationBackground], 0x00445566u);
  EXPECT_EQ(c[ColourReversalsLeft], ColourNavy);
}

TEST(Settings, RetestLocksCheck1000) {
  SettingsRecord s;
  s.Retest = false;
  s.Check1000 = false;
  EXPECT_TRUE(ApplyRetestRule(s));
  EXPECT_FALSE(s.Check1000);

  s.Retest = true;
  EXPECT_FALSE(ApplyRetestRule(s));
  EXPECT_TRUE(s.Check1000);

  s.Retest = false;  // unlocks and keeps the value
  EXPECT_TRUE(ApplyRetestRule(s));
  EXPECT_TRUE(s.Check1000);
}

TEST(Settings, CtrlIsTheResponseUnlessTheJoystickIsChosen) {
  SettingsRecord s;
  s.rdoJoystick = false;
  s.rdoCTRL = false;
  EXPECT_FALSE(ResponseIsJoystick(s));
  s.rdoJoystick = true;
  EXPECT_TRUE(ResponseIsJoystick(s));
}

TEST(Settings, FrequencyCheckOutsideTheTestSlotsThrows) {
  SettingsRecord s;
  EXPECT_THROW(FrequencyCheck(s, 0), std::out_of_range);
  EXPECT_THROW(FrequencyCheck(s, 12), std::out_of_range);
}

}  // namespace
}  // namespace sonavel
