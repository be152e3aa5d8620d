#include "calibration/bio_cal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>

#include "calibration/calibration_rig.h"

namespace sonavel {
namespace {

using test::CalibrationCard;
using test::CalibrationRig;
using test::GainID;
using test::MasterID;
using test::WaveID;

constexpr uint32_t EndlessLoops = 0xFFFFFFFFu;

struct Wizard {
  explicit Wizard(CalibrationRig& rig) : w(rig.Context(), rig.HandOver()) {}
  BioCalWizard w;
  void Set(int32_t wave, int32_t master, int32_t gain) {
    w.WaveOutSliderChange(wave);
    w.MasterSliderChange(master);
    w.GainSliderChange(gain);
  }
  std::array<int32_t, 3> Sliders() const {
    return {w.WaveSlider().Value, w.MasterSlider().Value, w.GainSlider().Value};
  }
};

// The tone of a known threshold T sounds at T - 70 dBFS, where the test plays T dB HL with a
// calibration by ear: the scale of the calibration is the scale of the test.
TEST(BioCalWizard, TheToneSoundsAtTheKnownThresholdMinusSeventyOnThePagesEarOnly) {
  struct Case {
    bool knownThresholdMode;
    std::string threshold;
    int32_t ear;
    double dbfs;
  };
  const Case cases[] = {
      {false, "0", 0, -70.0},   // no reference audiogram
      {false, "40", 1, -70.0},  // the hidden field counts for nothing
      {true, "70", 0, 0.0},     // a known threshold of 70 plays at full scale, like the test's ceiling
      {true, " -10", 1, -80.0}, {true, "25", 0, -45.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.threshold);
    CalibrationRig rig;
    Wizard z(rig);
    z.w.Open(true, c.knownThresholdMode);
    z.Set(10, 5, 2);
    for (int32_t page = 0; page < c.ear * 11; ++page) z.w.NextClick();
    ASSERT_EQ(z.w.Ear(), c.ear);
    z.w.SetThresholdText(c.threshold);
    z.w.OnButtonClick();
    ASSERT_TRUE(z.w.TonePlaying());
    EXPECT_EQ(z.w.OnButtonCaption(), "Aus");
    EXPECT_TRUE(z.w.LedGreen());

    ASSERT_FALSE(rig.wave.Submissions().empty());
    const SimWaveOut::Submission& s = rig.wave.Submissions().back();
    EXPECT_EQ(s.loops, EndlessLoops);
    EXPECT_EQ(s.Frames(), 44100u);  // one second, no pause
    const BufferAnalysis a = AnalyseBuffer(s.bytes);
    EXPECT_EQ(a.channel, c.ear);
    EXPECT_NEAR(a.frequency, 125.0, 1.0);
    // The loudest sample is the amplitude of the level, within the rounding of one sample.
    int32_t peak = 0;
    for (size_t f = 0; f < s.Frames(); ++f) {
      const size_t at = f * 4 + static_cast<size_t>(2 * c.ear);
      peak = std::max(peak, std::abs(static_cast<int16_t>(s.bytes[at] | (s.bytes[at + 1] << 8)) + 0));
    }
    EXPECT_NEAR(peak, 32767.0 * std::pow(10.0, c.dbfs / 20.0), 1.0);
    const size_t other = static_cast<size_t>(2 * (1 - c.ear));
    for (size_t f = 0; f < s.Frames(); ++f) {
      ASSERT_EQ(s.bytes[f * 4 + other], 0) << f;
      ASSERT_EQ(s.bytes[f * 4 + other + 1], 0) << f;
    }
    EXPECT_EQ(rig.state.Run.LeftChannelGain, c.ear == 0 ? 1 : 0);
    EXPECT_EQ(rig.state.Run.RightChannelGain, c.ear == 1 ? 1 : 0);

    // Looping: long after its first second the buffer still sounds.
    rig.host.Advance(101.5);
    EXPECT_TRUE(rig.Sounding().has_value());
    z.w.OnButtonClick();
    EXPECT_FALSE(z.w.TonePlaying());
    EXPECT_FALSE(rig.wave.IsOpen());
    EXPECT_EQ(z.w.OnButtonCaption(), "Ein");
  }
}

TEST(BioCalWizard, AThresholdThatCannotBePlayedIsRefusedAndTheToneStaysOff) {
  for (const std::string text : {"abc", "12.5", "", "71", "99999999999"}) {
    SCOPED_TRACE(text);
    CalibrationRig rig;
    Wizard z(rig);
    z.w.Open(true, true);
    z.w.SetThresholdText(text);
    z.w.OnButtonClick();
    EXPECT_FALSE(z.w.TonePlaying());
    EXPECT_EQ(z.w.OnButtonCaption(), "Ein");
    EXPECT_FALSE(z.w.LedGreen());
    EXPECT_EQ(rig.wave.OpenCount, 0);
    ASSERT_EQ(rig.host.Messages.size(), 1u);
    EXPECT_EQ(rig.host.Messages[0].icon, MessageIcon::Error);
    if (text == "71")
      EXPECT_EQ(rig.host.Messages[0].text, ThresholdTooHighText);
    else
      EXPECT_NE(rig.host.Messages[0].text.find("keine ganze Zahl"), std::string::npos);
  }
}

TEST(BioCalWizard, EnterInTheThresholdRestartsAPlayingToneOnly) {
  CalibrationRig rig;
  Wizard z(rig);
  z.w.Open(true, true);
  z.w.SetThresholdText("10");
  z.w.ThresholdEnter();  // tone off: nothing
  EXPECT_EQ(rig.wave.OpenCount, 0);

  z.w.OnButtonClick();
  rig.host.Advance(0.5);
  z.w.SetThresholdText("30");
  z.w.ThresholdEnter();
  ASSERT_EQ(rig.wave.Submissions().size(), 2u);
  EXPECT_TRUE(rig.wave.Submissions()[0].stoppedSeconds.has_value());
  EXPECT_NEAR(AnalyseBuffer(rig.wave.Submissions()[1].bytes).peakDbfs, -40.0, 0.01);
  EXPECT_TRUE(z.w.TonePlaying());

  // A bad text on Enter stops the tone and says why.
  z.w.SetThresholdText("x");
  z.w.ThresholdEnter();
  EXPECT_FALSE(z.w.TonePlaying());
  EXPECT_FALSE(rig.wave.IsOpen());
  EXPECT_EQ(rig.host.Messages.size(), 1u);
}

TEST(BioCalWizard, ADeviceThatFailsIsReportedAndLeavesTheToneOff) {
  for (const bool failOpen : {true, false}) {
    CalibrationRig rig;
    rig.wave.FailOpen = failOpen;
    rig.wave.FailWrite = !failOpen;
    Wizard z(rig);
    z.w.Open(true, false);
    z.w.OnButtonClick();
    EXPECT_FALSE(z.w.TonePlaying());
    EXPECT_EQ(z.w.OnButtonCaption(), "Ein");
    EXPECT_FALSE(rig.wave.IsOpen());
    ASSERT_EQ(rig.host.Messages.size(), 1u);
    EXPECT_EQ(rig.host.Messages[0].text.rfind(ToneFailedText, 0), 0u) << rig.host.Messages[0].text;
  }
}

TEST(BioCalWizard, EveryWayOffAPageStopsTheTone) {
  struct Way {
    const char* name;
    int32_t pagesBefore;
    std::function<void(BioCalWizard&)> leave;
  };
  const Way ways[] = {
      {"Next", 0, [](BioCalWizard& w) { EXPECT_EQ(w.NextClick(), WizardStep::Page); }},
      {"Previous", 3, [](BioCalWizard& w) { EXPECT_EQ(w.PreviousClick(), WizardStep::Page); }},
      {"cancel", 0, [](BioCalWizard& w) { EXPECT_EQ(w.PreviousClick(), WizardStep::Closed); }},
      {"close", 5, [](BioCalWizard& w) { w.Close(); }},
      {"finish", 21, [](BioCalWizard& w) { EXPECT_EQ(w.NextClick(), WizardStep::Finished); }},
  };
  for (const Way& way : ways) {
    SCOPED_TRACE(way.name);
    CalibrationRig rig;
    Wizard z(rig);
    z.w.Open(true, false);
    z.Set(10, 5, 2);
    for (int32_t i = 0; i < way.pagesBefore; ++i) z.w.NextClick();
    z.w.OnButtonClick();
    ASSERT_TRUE(rig.wave.IsOpen());
    rig.host.Advance(2.25);
    way.leave(z.w);
    EXPECT_FALSE(z.w.TonePlaying());
    EXPECT_FALSE(rig.wave.IsOpen());
    EXPECT_FALSE(rig.Sounding().has_value());
    EXPECT_EQ(z.w.OnButtonCaption(), "Ein");
  }
}

TEST(BioCalWizard, TwentyTwoPagesInOrderWithTheirCaptions) {
  CalibrationRig rig;
  Wizard z(rig);
  z.w.Open(true, false);
  const int32_t frequencies[] = {125, 250, 500, 750, 1000, 1500, 2000, 3000, 4000, 6000, 8000};
  for (int32_t ear = 0; ear < 2; ++ear) {
    for (int32_t i = 0; i < 11; ++i) {
      const std::string side =
          std::string(ear == 0 ? "Linkes Ohr " : "Rechtes Ohr ") + std::to_string(frequencies[i]) + " Hz";
      EXPECT_EQ(z.w.Ear(), ear);
      EXPECT_EQ(z.w.FrequencyIndex(), i + 1);
      EXPECT_EQ(z.w.FreqSideText(), side);
      EXPECT_EQ(z.w.Caption(), "Kalibrierung per Gehör- " + side);
      const bool first = ear == 0 && i == 0;
      EXPECT_EQ(z.w.PreviousCaption(), first ? "Abbrechen" : "<- Zurück");
      EXPECT_EQ(z.w.PreviousHint(), first ? "Kalibrierung abbrechen" : "Zurück zur vorherigen Frequenz");
      const WizardStep step = z.w.NextClick();
      EXPECT_EQ(step, ear == 1 && i == 10 ? WizardStep::Finished : WizardStep::Page);
    }
  }
  EXPECT_FALSE(z.w.IsOpen());
}

TEST(BioCalWizard, PreviousGoesBackOneFrequencyAndFromTheRightEarToTheLeftAt8000) {
  CalibrationRig rig;
  Wizard z(rig);
  z.w.Open(true, false);
  for (int32_t i = 0; i < 11; ++i) z.w.NextClick();
  ASSERT_EQ(z.w.Caption(), "Kalibrierung per Gehör- Rechtes Ohr 125 Hz");
  EXPECT_EQ(z.w.PreviousClick(), WizardStep::Page);
  EXPECT_EQ(z.w.Caption(), "Kalibrierung per Gehör- Linkes Ohr 8000 Hz");
  EXPECT_EQ(z.w.PreviousClick(), WizardStep::Page);
  EXPECT_EQ(z.w.Frequency(), 6000);
  for (int32_t i = 0; i < 9; ++i) z.w.PreviousClick();
  EXPECT_EQ(z.w.Frequency(), 125);
  EXPECT_TRUE(z.w.IsOpen());
  // Escape on the first page cancels.
  EXPECT_EQ(z.w.PreviousClick(), WizardStep::Closed);
  EXPECT_FALSE(z.w.IsOpen());
  EXPECT_FALSE(rig.NewCalibrationPending);
}

TEST(BioCalWizard, AFreshCalibrationTakesEachPagesSlidersFromItsPredecessor) {
  CalibrationRig rig;
  Wizard z(rig);
  z.w.Open(true, false);
  // First page: all at 0, and the mixer was set to them.
  EXPECT_EQ(z.Sliders(), (std::array<int32_t, 3>{0, 0, 0}));
  EXPECT_EQ(rig.LastSet(WaveID), (std::vector<int32_t>{0, 0}));
  EXPECT_EQ(rig.LastSet(MasterID), (std::vector<int32_t>{0, 0}));

  std::array<std::array<int32_t, 3>, 12> left{};
  for (int32_t i = 1; i <= 11; ++i) {
    if (i > 1) {
      EXPECT_EQ(z.Sliders(), left[i - 1]) << "left page " << i;
    }
    left[i] = {i * 7, i + 3, i % 10};
    z.Set(left[i][0], left[i][1], left[i][2]);
    z.w.NextClick();
  }
  for (int32_t i = 1; i <= 11; ++i) {
    EXPECT_EQ(z.Sliders(), left[i]) << "right page " << i;
    // The mixer took the shown values: wave q = 655, master q = 3276, gain q = 100 on the right.
    EXPECT_EQ(rig.LastSet(WaveID), (std::vector<int32_t>{655 * left[i][0], 655 * left[i][0]}));
    EXPECT_EQ(rig.LastSet(MasterID), (std::vector<int32_t>{3276 * left[i][1], 3276 * left[i][1]}));
    EXPECT_EQ(rig.LastSet(GainID), (std::vector<int32_t>{0, 100 * left[i][2]}));
    EXPECT_EQ(z.w.WaveSlider().Label, std::to_string(left[i][0]));
    z.w.NextClick();
  }
  for (int32_t e = 0; e < 2; ++e)
    for (int32_t i = 1; i <= 11; ++i) {
      const CalibrationEntry& entry = rig.WorkingCalibration[e][i];
      EXPECT_EQ((std::array<int32_t, 3>{entry.WaveLevel, entry.MasterLevel, entry.GainLevel}), left[i]);
    }
}

TEST(BioCalWizard, APageWithMasterLevelZeroTakesTheFallbackEvenWhenVisited) {
  CalibrationRig rig;
  Wizard z(rig);
  z.w.Open(true, false);
  z.Set(10, 5, 2);
  z.w.NextClick();
  z.Set(7, 0, 4);  // page 2 with the master at 0
  z.w.NextClick();
  EXPECT_EQ(z.Sliders(), (std::array<int32_t, 3>{7, 0, 4}));
  z.w.PreviousClick();
  EXPECT_EQ(z.w.FrequencyIndex(), 2);
  EXPECT_EQ(z.Sliders(), (std::array<int32_t, 3>{10, 5, 2}));

  // A page set with a master above 0 comes back as it was left.
  z.Set(8, 6, 1);
  z.w.NextClick();
  z.w.PreviousClick();
  EXPECT_EQ(z.Sliders(), (std::array<int32_t, 3>{8, 6, 1}));
}

CalibrationTable LoadedCalibration() {
  CalibrationTable cal{};
  for (int32_t e = 0; e < 2; ++e)
    for (int32_t i = 0; i < 13; ++i) cal[e][i] = {40 + i + e, 5 + i - e, 3 + e, 77, -2.5 - i};
  return cal;
}

TEST(BioCalWizard, ARecalibrationStartsFromTheCalibrationInUseAndEndsWithOffsetsZero) {
  CalibrationRig rig;
  rig.state.CalibrationData = LoadedCalibration();
  rig.state.CalibrationLoaded = true;
  const CalibrationTable before = rig.state.CalibrationData;
  Wizard z(rig);
  z.w.Open(false, false);
  EXPECT_EQ(z.Sliders(), (std::array<int32_t, 3>{41, 6, 3}));
  EXPECT_EQ(rig.WorkingCalibration[0][1].LevelOffset, -3.5);  // copied, until Next stores
  for (int32_t page = 0; page < 14; ++page) z.w.NextClick();
  // Right ear, index 4: its own entry, not the left ear's.
  EXPECT_EQ(z.Sliders(), (std::array<int32_t, 3>{45, 8, 4}));
  while (z.w.NextClick() == WizardStep::Page) {
  }
  for (int32_t e = 0; e < 2; ++e)
    for (int32_t i = 1; i <= 11; ++i) {
      const CalibrationEntry& entry = rig.WorkingCalibration[e][i];
      EXPECT_EQ(entry.LevelOffset, 0.0) << e << " " << i;
      EXPECT_EQ(entry.WaveLevel, before[e][i].WaveLevel);
      EXPECT_EQ(entry.MasterLevel, before[e][i].MasterLevel);
      EXPECT_EQ(entry.GainLevel, before[e][i].GainLevel);
      EXPECT_EQ(entry.Reserved, 0);
    }
  // Only the Calibration Information dialog puts the new table into use.
  EXPECT_EQ(rig.state.CalibrationData, before);
  EXPECT_TRUE(rig.NewCalibrationPending);
  EXPECT_EQ(rig.Header.Comment, "Calibration by Ear");
  EXPECT_EQ(rig.NewCalibrationDate, "10.12.2026");
  EXPECT_EQ(rig.NewCalibrationTime, "10:00:00");
}

TEST(BioCalWizard, TheFinishUsesTheUsersDateAndTimeFormats) {
  CalibrationRig rig;
  rig.regional = RegionalEnUs();
  rig.host.Advance(5 * 3600 + 7 * 60 + 9);
  Wizard z(rig);
  z.w.Open(true, false);
  while (z.w.NextClick() == WizardStep::Page) {
  }
  EXPECT_EQ(rig.NewCalibrationDate, "12/10/2026");
  EXPECT_EQ(rig.NewCalibrationTime, "3:07:09 PM");
}

TEST(BioCalWizard, CancellingLeavesTheCalibrationAndTheNextCheckStartsFromItAgain) {
  CalibrationRig rig;
  rig.state.CalibrationData = LoadedCalibration();
  rig.state.CalibrationLoaded = true;
  const CalibrationTable before = rig.state.CalibrationData;
  Wizard z(rig);
  z.w.Open(false, true);
  z.Set(90, 19, 9);
  z.w.NextClick();
  z.Set(91, 18, 8);
  z.w.NextClick();
  z.w.Close();
  EXPECT_EQ(rig.state.CalibrationData, before);
  EXPECT_FALSE(rig.NewCalibrationPending);

  z.w.Open(false, false);
  EXPECT_EQ(z.Sliders(), (std::array<int32_t, 3>{41, 6, 3}));
  EXPECT_EQ(rig.WorkingCalibration[0][2].WaveLevel, before[0][2].WaveLevel);
  // A fresh calibration starts from an empty table whatever is in use.
  z.w.Open(true, false);
  EXPECT_EQ(z.Sliders(), (std::array<int32_t, 3>{0, 0, 0}));
  EXPECT_EQ(rig.WorkingCalibration[1][11], CalibrationEntry{});
}

TEST(BioCalWizard, TheGainGoesToBothChannelsOfAUniformControlElseToThePagesEarOnly) {
  struct Case {
    bool uniform;
    int32_t ear;
    std::vector<int32_t> items;
  };
  const Case cases[] = {
      {false, 0, {300, 0}},
      {false, 1, {0, 300}},
      {true, 0, {300}},  // a uniform control takes one value for both channels
      {true, 1, {300}},
  };
  for (const Case& c : cases) {
    std::string card = CalibrationCard;
    if (c.uniform) card.replace(card.find("steps 10"), 8, "steps 10 uniform");
    CalibrationRig rig(card);
    Wizard z(rig);
    z.w.Open(true, false);
    for (int32_t page = 0; page < c.ear * 11; ++page) z.w.NextClick();
    z.w.GainSliderChange(3);
    EXPECT_EQ(rig.LastSet(GainID), c.items) << c.uniform << c.ear;
    EXPECT_EQ(z.w.GainSlider().Label, "3");
    EXPECT_EQ(rig.WorkingCalibration[c.ear][1].GainLevel, 3);
  }
}

TEST(BioCalWizard, TheDirectionsFollowTheGainSliderAndTheReferenceAudiogram) {
  const std::string noGainCard = R"(
device "Plain" version 1.0
destination DST_SPEAKERS "Speakers"
  control VOLUME "Master" id 0x10 max 65535 steps 20
  source SRC_WAVEOUT "Wave"
    control VOLUME "Wave" id 0x20 max 65535 steps 100
)";
  struct Case {
    bool gain;
    bool known;
    const char* start;
    bool mentionsGain;
  };
  const Case cases[] = {
      {true, true, "Geben Sie Ihre bekannte", true},
      {true, false, " Starten Sie den Tongenerator", true},
      {false, true, "Geben Sie Ihre bekannte", false},
      {false, false, "Starten Sie den Tongenerator", false},
  };
  for (const Case& c : cases) {
    CalibrationRig rig(c.gain ? std::string(CalibrationCard) : noGainCard);
    Wizard z(rig);
    z.w.Open(true, c.known);
    const std::string& text = z.w.DirectionsText();
    EXPECT_EQ(text.rfind(c.start, 0), 0u) << text;
    EXPECT_EQ(text.find("Gain-Faktor") != std::string::npos, c.mentionsGain) << text;
    EXPECT_EQ(z.w.GainVisible(), c.gain);
    EXPECT_EQ(z.w.ThresholdVisible(), c.known);
    EXPECT_EQ(z.w.ThresholdText(), "0");
  }
}

TEST(BioCalWizard, ShowAsksForAReferenceAudiogramEveryTime) {
  CalibrationRig rig;
  Wizard z(rig);
  rig.host.QueueAnswer(ResultYes);
  z.w.Show(true);
  EXPECT_TRUE(z.w.KnownThresholdMode());
  z.w.SetThresholdText("20");
  z.w.Close();
  rig.host.QueueAnswer(ResultNo);
  z.w.Show(true);
  EXPECT_FALSE(z.w.KnownThresholdMode());
  EXPECT_EQ(z.w.ThresholdText(), "0");
  ASSERT_EQ(rig.host.Messages.size(), 2u);
  EXPECT_EQ(rig.host.Messages[1].text, ReferenceAudiogramQuestion);
  EXPECT_EQ(rig.host.Messages[1].buttons, uint32_t{ButtonYes | ButtonNo});
  EXPECT_EQ(rig.host.Messages[1].helpContext, 11);
}

TEST(BioCalWizard, ControlsWithoutStepsOrMissingNeverDivideAndSayWhy) {
  // Wave without steps, master missing, gain present but without steps (hidden).
  const std::string card = R"(
device "Odd" version 1.0
destination DST_SPEAKERS "Speakers"
  control UNSIGNED "Gain" id 0x11 max 1000 steps 0
  source SRC_WAVEOUT "Wave"
    control VOLUME "Wave" id 0x20 max 65535 steps 0 value 20000
)";
  CalibrationRig rig(card);
  rig.state.CalibrationData = LoadedCalibration();
  rig.state.CalibrationLoaded = true;
  Wizard z(rig);
  z.w.Open(false, false);
  const size_t gainSetsByPreparation = rig.SetCount(GainID);
  EXPECT_EQ(z.w.WaveSlider().Maximum, 0);
  EXPECT_EQ(z.w.WaveSlider().Notice, NoStepsNotice);
  EXPECT_EQ(z.w.MasterSlider().Notice, NoControlNotice);
  EXPECT_FALSE(z.w.GainVisible());
  z.w.WaveOutSliderChange(50);
  z.w.GainSliderChange(4);
  EXPECT_EQ(rig.SetCount(WaveID), 0u);  // the card keeps its level
  EXPECT_EQ(rig.driver.Values(0, WaveID), (std::vector<int32_t>{20000, 20000}));
  EXPECT_EQ(rig.SetCount(GainID), gainSetsByPreparation);
  EXPECT_EQ(z.w.WaveSlider().Value, 0);
  EXPECT_EQ(rig.WorkingCalibration[0][1].WaveLevel, 0);
  EXPECT_EQ(rig.WorkingCalibration[0][1].GainLevel, 0);
  while (z.w.NextClick() == WizardStep::Page) {
  }
  EXPECT_TRUE(rig.NewCalibrationPending);
}

TEST(BioCalWizard, TheEndpointMasterRunsInThousandths) {
  CalibrationRig rig(CalibrationCard, true);
  Wizard z(rig);
  z.w.Open(true, false);
  EXPECT_EQ(z.w.MasterSlider().Maximum, 1000);
  EXPECT_EQ(z.w.MasterSlider().TickFrequency, 100);
  EXPECT_EQ(z.w.MasterSlider().Notice, "");
  z.w.MasterSliderChange(650);
  ASSERT_TRUE(rig.endpoint.Level.has_value());
  EXPECT_FLOAT_EQ(*rig.endpoint.Level, 0.65f);
  EXPECT_EQ(z.w.MasterSlider().Label, "650");
  EXPECT_EQ(rig.SetCount(MasterID), 0u);
  z.w.MasterSliderChange(1500);  // held at the slider's end
  EXPECT_EQ(z.w.MasterSlider().Value, 1000);
  z.w.NextClick();
  EXPECT_EQ(rig.WorkingCalibration[0][1].MasterLevel, 1000);
}

TEST(BioCalWizard, TheSlidersRangeIsTheControlsStepCount) {
  CalibrationRig rig;
  Wizard z(rig);
  z.w.Open(true, false);
  EXPECT_EQ(z.w.WaveSlider().Maximum, 100);
  EXPECT_EQ(z.w.WaveSlider().TickFrequency, 12);
  EXPECT_EQ(z.w.MasterSlider().Maximum, 20);
  EXPECT_EQ(z.w.MasterSlider().TickFrequency, 2);
  EXPECT_EQ(z.w.GainSlider().Maximum, 10);
  // The value grows as the thumb moves up: position 0 (top) is the maximum.
  EXPECT_EQ(z.w.WaveSlider().ValueAt(0), 100);
  EXPECT_EQ(z.w.WaveSlider().ValueAt(100), 0);
  EXPECT_EQ(z.w.WaveSlider().ValueAt(130), 0);
  z.w.WaveOutSliderChange(30);
  EXPECT_EQ(z.w.WaveSlider().Position(), 70);
}

TEST(AskCompatibilityTestFirst, YesMeansTheCompatibilityTest) {
  for (const int32_t answer : {ResultYes, ResultNo}) {
    test::CalibrationRig rig;
    rig.host.QueueAnswer(answer);
    EXPECT_EQ(AskCompatibilityTestFirst(rig.host), answer == ResultYes);
    EXPECT_EQ(rig.host.Messages.at(0).text, CompatibilityFirstQuestion);
  }
}

}  // namespace
}  // namespace sonavel
