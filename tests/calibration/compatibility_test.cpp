#include "calibration/compatibility.h"

#include <gtest/gtest.h>

#include "calibration/calibration_rig.h"

namespace sonavel {
namespace {

using test::CalibrationCard;
using test::CalibrationRig;
using test::GainID;
using test::MasterID;
using test::WaveID;

std::vector<std::string> MessageTexts(const SimHost& host) {
  std::vector<std::string> texts;
  for (const auto& m : host.Messages) texts.push_back(m.text);
  return texts;
}

TEST(CompatibilityLevel, TheFieldIsHeldBetweenMinusSixtyAndZeroWhenLeft) {
  struct Case {
    const char* text;
    int32_t previous;
    int32_t level;
  };
  // A unit typed after the number keeps the number and its sign; with no number at all the
  // level stays as it was.
  const Case cases[] = {
      {"-75", 0, -60},   {"5", -20, 0},      {"-30", 0, -30},          {"  -12", 0, -12},
      {"+0", -5, 0},     {"-30 dB", 0, -30}, {"-99999999999", 0, -60}, {"99999999999", -40, 0},
      {"abc", -40, -40}, {"", -25, -25},     {"-", -25, -25},
  };

  for (const Case& c : cases) EXPECT_EQ(CompatibilityLevelOfText(c.text, c.previous), c.level) << c.text;

  CalibrationRig rig;
  CompatibilityTestRules t(rig.Context());
  t.SetThresholdText("-75");
  t.ThresholdExit();
  EXPECT_EQ(t.ThresholdText(), "-60");
  t.SetThresholdText("5");
  t.ThresholdExit();
  EXPECT_EQ(t.ThresholdText(), "0");
  t.SetThresholdText("-33");
  t.ThresholdExit();
  t.SetThresholdText("leise");
  t.ThresholdExit();
  EXPECT_EQ(t.ThresholdText(), "-33");
}

TEST(CompatibilityTest, TheToneSoundsAtTheTypedLevelOnTheChosenChannelOnly) {
  CalibrationRig rig;
  CompatibilityTestRules t(rig.Context());
  t.Show();
  ASSERT_TRUE(t.ChooseEar(RightEar));
  t.SetThresholdText("-20");
  t.OnButtonClick();
  ASSERT_TRUE(t.TonePlaying());
  EXPECT_EQ(t.OnButtonCaption(), "Aus");
  EXPECT_TRUE(t.LedGreen());
  const SimWaveOut::Submission& s = rig.wave.Submissions().back();
  EXPECT_EQ(s.loops, 0xFFFFFFFFu);
  EXPECT_EQ(s.Frames(), 44100u);
  const BufferAnalysis a = AnalyseBuffer(s.bytes);
  EXPECT_EQ(a.channel, 1);
  EXPECT_NEAR(a.peakDbfs, -20.0, 0.01);
  EXPECT_NEAR(a.frequency, 125.0, 1.0);
  for (size_t f = 0; f < s.Frames(); ++f) ASSERT_EQ(s.bytes[f * 4] | s.bytes[f * 4 + 1], 0) << f;
  EXPECT_EQ(rig.state.Run.LeftChannelGain, 0);
  EXPECT_EQ(rig.state.Run.RightChannelGain, 1);

  // The ear is fixed while the tone plays.
  EXPECT_FALSE(t.EarButtonsEnabled());
  EXPECT_FALSE(t.ChooseEar(LeftEar));
  EXPECT_EQ(t.Ear(), RightEar);
  t.OnButtonClick();
  EXPECT_FALSE(t.TonePlaying());
  EXPECT_TRUE(t.EarButtonsEnabled());
  EXPECT_TRUE(t.ChooseEar(LeftEar));
  EXPECT_FALSE(rig.wave.IsOpen());
}

TEST(CompatibilityTest, ALevelTypedOutsideTheRangeIsHeldWhenTheButtonIsPressed) {
  CalibrationRig rig;
  CompatibilityTestRules t(rig.Context());
  t.Show();
  t.SetThresholdText("12");
  t.OnButtonClick();
  EXPECT_EQ(t.ThresholdText(), "0");
  EXPECT_NEAR(AnalyseBuffer(rig.wave.Submissions().back().bytes).peakDbfs, 0.0, 0.01);
}

TEST(CompatibilityTest, TheFrequencySliderRunsFrom8000AtTheTopTo125AtTheBottom) {
  CalibrationRig rig;
  CompatibilityTestRules t(rig.Context());
  EXPECT_EQ(t.FrequencyPosition(), 11);
  EXPECT_EQ(t.FrequencyText(), "125");
  const int32_t expected[] = {8000, 6000, 4000, 3000, 2000, 1500, 1000, 750, 500, 250, 125};
  for (int32_t p = 1; p <= 11; ++p) {
    t.FrequencyChange(p);
    EXPECT_EQ(t.Frequency(), expected[p - 1]) << p;
    EXPECT_EQ(FrequencyIndexOfPosition(p), 12 - p);
  }
  t.FrequencyChange(1);
  EXPECT_EQ(t.FrequencyText(), "8000");
  t.OnButtonClick();
  EXPECT_NEAR(AnalyseBuffer(rig.wave.Submissions().back().bytes).frequency, 8000.0, 20.0);
}

TEST(CompatibilityTest, MovingTheFrequencyWhileTheTonePlaysRestartsItAtTheNewFrequency) {
  CalibrationRig rig;
  CompatibilityTestRules t(rig.Context());
  t.Show();
  t.ChooseEar(RightEar);
  t.SetThresholdText("-40");
  t.FrequencyChange(7);  // 1000 Hz
  t.OnButtonClick();
  rig.host.Advance(3.3);
  t.FrequencyChange(3);  // 4000 Hz
  EXPECT_TRUE(t.TonePlaying());
  EXPECT_EQ(t.OnButtonCaption(), "Aus");
  ASSERT_EQ(rig.wave.Submissions().size(), 2u);
  EXPECT_TRUE(rig.wave.Submissions()[0].stoppedSeconds.has_value());
  const BufferAnalysis a = AnalyseBuffer(rig.wave.Submissions()[1].bytes);
  EXPECT_NEAR(a.frequency, 4000.0, 10.0);
  EXPECT_NEAR(a.peakDbfs, -40.0, 0.01);
  EXPECT_EQ(a.channel, 1);
  ASSERT_TRUE(rig.Sounding().has_value());

  // With the tone off a move changes only the frequency.
  t.OnButtonClick();
  t.FrequencyChange(5);
  EXPECT_EQ(rig.wave.Submissions().size(), 2u);
  EXPECT_FALSE(rig.wave.IsOpen());
}

TEST(CompatibilityTest, TheSlidersStartAtTheCardsLevelsAndSetTheMixer) {
  CalibrationRig rig;
  CompatibilityTestRules t(rig.Context());
  t.Show();
  // Wave 32750 of 65535 in 100 steps (q = 655): position (65535 - 32750) div 655 = 50.
  EXPECT_EQ(t.WaveSlider().Maximum, 100);
  EXPECT_EQ(t.WaveSlider().Value, 50);
  EXPECT_EQ(t.WaveSlider().Label, "32750");
  EXPECT_EQ(rig.LastSet(WaveID), (std::vector<int32_t>{32750, 32750}));
  // Master left level 1000 in 20 steps (q = 3276): position 19, value 1; the label is the level.
  EXPECT_EQ(t.MasterSlider().Maximum, 20);
  EXPECT_EQ(t.MasterSlider().Value, 1);
  EXPECT_EQ(t.MasterSlider().Label, "3276");
  EXPECT_TRUE(t.GainVisible());
  // The sound card preparation comes last: the gain at half its range.
  EXPECT_EQ(rig.LastSet(GainID), (std::vector<int32_t>{500, 500}));
  EXPECT_EQ(rig.driver.Sets.back().controlID, GainID);
  EXPECT_EQ(MessageTexts(rig.host), std::vector<std::string>{CompatibilityWarningText});
  EXPECT_EQ(t.ActiveSoundcardText(), "Aktive Soundkarte: Sonavel Simulated Output Driver Version 1.0");

  t.WaveOutSliderChange(80);
  EXPECT_EQ(rig.LastSet(WaveID), (std::vector<int32_t>{52400, 52400}));
  EXPECT_EQ(t.WaveSlider().Label, "52400");
  t.MasterSliderChange(20);
  EXPECT_EQ(rig.LastSet(MasterID), (std::vector<int32_t>{65520, 65520}));
  // The gain goes to both channels whatever the control says.
  t.GainSliderChange(7);
  EXPECT_EQ(rig.LastSet(GainID), (std::vector<int32_t>{700, 700}));
  EXPECT_EQ(t.GainSlider().Label, "7");
}

// A control without a step size: it reports no steps, or more steps than it has values (as an
// ALSA range wider than 65535 gives), so no slider position has a level.
TEST(CompatibilityTest, AControlWithoutAStepSizeIsReportedOnEveryOpeningAndItsSliderDoesNothing) {
  for (const char* steps : {"0", "70000"}) {
    SCOPED_TRACE(steps);
    const std::string card = std::string(R"(
device "Odd" version 1.0
destination DST_SPEAKERS "Speakers"
  control VOLUME "Master" id 0x10 max 65535 steps )") + steps + R"( value 4000
  source SRC_WAVEOUT "Wave"
    control VOLUME "Wave" id 0x20 max 65535 steps )" + steps + R"( value 20000
)";
    CalibrationRig rig(card);
    CompatibilityTestRules t(rig.Context());
    for (int32_t opening = 1; opening <= 2; ++opening) {
      rig.host.Messages.clear();
      t.Show();
      EXPECT_EQ(MessageTexts(rig.host),
                (std::vector<std::string>{CompatibilityWarningText, ZeroWaveStepsText, ZeroMasterStepsText}));
      t.Close();
    }
    EXPECT_FALSE(t.GainVisible());
    EXPECT_EQ(t.WaveSlider().Notice, NoStepsNotice);
    EXPECT_EQ(t.MasterSlider().Notice, NoStepsNotice);
    t.WaveOutSliderChange(3);
    t.MasterSliderChange(3);
    EXPECT_EQ(rig.SetCount(WaveID), 0u);
    EXPECT_EQ(rig.SetCount(MasterID), 0u);
    EXPECT_EQ(rig.driver.Values(0, WaveID), (std::vector<int32_t>{20000, 20000}));
    EXPECT_EQ(t.WaveSlider().Label, "0");
  }
}

TEST(CompatibilityTest, TheEndpointMasterIsNeverReportedAndStartsAtFullVolume) {
  const std::string card = R"(
device "Odd" version 1.0
destination DST_SPEAKERS "Speakers"
  control VOLUME "Master" id 0x10 max 65535 steps 0
  source SRC_WAVEOUT "Wave"
    control VOLUME "Wave" id 0x20 max 65535 steps 100
)";
  CalibrationRig rig(card, true);
  CompatibilityTestRules t(rig.Context());
  t.Show();
  EXPECT_EQ(MessageTexts(rig.host), std::vector<std::string>{CompatibilityWarningText});
  EXPECT_EQ(t.MasterSlider().Maximum, 1000);
  EXPECT_EQ(t.MasterSlider().Position(), 0);
  EXPECT_EQ(t.MasterSlider().Value, 1000);
  ASSERT_TRUE(rig.endpoint.Level.has_value());
  EXPECT_FLOAT_EQ(*rig.endpoint.Level, 1.0f);
  EXPECT_EQ(t.MasterSlider().Label, "1");
  EXPECT_EQ(rig.SetCount(MasterID), 0u);

  t.MasterSliderChange(650);
  EXPECT_EQ(t.MasterSlider().Label, "0,65");
  t.Close();
  // The next opening keeps the position and sets the volume to it again.
  rig.endpoint.Calls.clear();
  t.Show();
  EXPECT_EQ(t.MasterSlider().Value, 650);
  EXPECT_EQ(rig.endpoint.Calls, std::vector<float>{0.65f});

  rig.regional = RegionalEnUs();
  t.MasterSliderChange(65);
  EXPECT_EQ(t.MasterSlider().Label, "0.065");
}

TEST(CompatibilityTest, ClosingWithTheToneOnLeavesItOffForTheNextOpening) {
  CalibrationRig rig;
  CompatibilityTestRules t(rig.Context());
  t.Show();
  t.ChooseEar(RightEar);
  t.SetThresholdText("-50");
  t.FrequencyChange(2);
  t.OnButtonClick();
  rig.host.Advance(1.7);
  t.Close();
  EXPECT_FALSE(t.TonePlaying());
  EXPECT_FALSE(rig.wave.IsOpen());
  EXPECT_FALSE(rig.Sounding().has_value());

  t.Show();
  EXPECT_FALSE(t.LedGreen());
  EXPECT_EQ(t.OnButtonCaption(), "Ein");
  EXPECT_TRUE(t.EarButtonsEnabled());
  // The frequency, the level and the ear persist between showings.
  EXPECT_EQ(t.FrequencyText(), "6000");
  EXPECT_EQ(t.ThresholdText(), "-50");
  EXPECT_EQ(t.Ear(), RightEar);
}

TEST(CompatibilityTest, ADeviceThatCannotPlayIsReportedAndTheButtonsStayUsable) {
  CalibrationRig rig;
  rig.wave.FailOpen = true;
  CompatibilityTestRules t(rig.Context());
  t.Show();
  t.OnButtonClick();
  EXPECT_FALSE(t.TonePlaying());
  EXPECT_TRUE(t.EarButtonsEnabled());
  EXPECT_EQ(t.OnButtonCaption(), "Ein");
  ASSERT_EQ(rig.host.Messages.size(), 2u);
  EXPECT_EQ(rig.host.Messages[1].text.rfind(ToneFailedText, 0), 0u);
}

}  // namespace
}  // namespace sonavel
