#include "platform/sim/simulation.h"

#include <gtest/gtest.h>

#include <cmath>

#include "calibration/calibration_file.h"
#include "platform/sim/sim_mixer.h"
#include "test_data.h"

namespace sonavel {
namespace {

ListenerSettings Listener(std::array<double, 11> left, std::array<double, 11> right) {
  ListenerSettings l;
  l.thresholds = {left, right};
  return l;
}

const std::array<double, 11> LeftTrue = {5, 10, 15, 20, 25, 30, 35, 40, 45, 50, 55};
const std::array<double, 11> RightTrue = {0, 0, 10, 10, 20, 20, 30, 30, 40, 40, 50};

TEST(Simulation, ACompleteAudiogramFindsTheListenersThresholds) {
  SimulationSetup setup;
  setup.listener = Listener(LeftTrue, RightTrue);
  const SimulationResult r = RunSimulation(setup);
  EXPECT_FALSE(r.aborted);
  EXPECT_TRUE(r.state.ResultsPresent);
  for (int ear = 0; ear < 2; ++ear)
    for (int slot = 0; slot < 11; ++slot) {
      const bool tested = FrequencyCheck(setup.settings, slot + 1);
      const int32_t t = r.state.CurrentAudiogram.Threshold[ear][slot];
      if (!tested) {
        EXPECT_EQ(t, NoResult) << ear << "/" << slot;
        continue;
      }
      const double truth = (ear == 0 ? LeftTrue : RightTrue)[slot];
      // A 3 dB staircase turns at the first level at or above the threshold and the first below it.
      EXPECT_GE(t, truth - 3) << ear << "/" << slot;
      EXPECT_LE(t, truth + 3) << ear << "/" << slot;
      EXPECT_LE(r.state.CurrentAudiogram.Reverse[ear][slot][SpreadElement], 10);
    }
  EXPECT_NEAR(r.state.CurrentAudiogram.Threshold[0][11], r.state.CurrentAudiogram.Threshold[0][4], 3);
  EXPECT_EQ(r.messages.back(), "Test procedure completed!");
  EXPECT_GT(r.presentations, 100);
}

// The level chain end to end: a person calibrates by ear through the wizard's rules (typing his
// own thresholds as the known ones), OK puts the calibration into use, and a listener tested with
// it reads his own thresholds, whatever the card gives and whoever calibrated.
TEST(Simulation, ACalibrationByEarLeadsTheListenerToHisOwnThresholds) {
  struct Case {
    const char* what;
    double cardLevel;
    CalibratorThresholds calibrator;
  };
  const Case cases[] = {
      {"normal hearing, the card at the test's own scale", 70, {}},
      {"normal hearing, a loud card", 95, {}},
      {"a calibrator with a known audiogram", 88, {0, 5, 0, -5, 10, 5, 15, 20, 10, 25, 30}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SimulationSetup setup;
    setup.listener = Listener(LeftTrue, RightTrue);
    setup.listener.fullScaleHL = c.cardLevel;
    setup.calibrateByEar = c.calibrator;
    const SimulationResult r = RunSimulation(setup);
    ASSERT_TRUE(r.state.CalibrationLoaded);
    EXPECT_FALSE(r.aborted);
    double errorSum = 0;
    int32_t measured = 0;
    for (int ear = 0; ear < 2; ++ear)
      for (int slot = 0; slot < 11; ++slot) {
        if (!FrequencyCheck(setup.settings, slot + 1)) continue;
        ASSERT_TRUE(r.state.CurrentAudiogram.HasResult(ear, slot)) << ear << "/" << slot;
        const double error = r.state.CurrentAudiogram.Threshold[ear][slot] - (ear == 0 ? LeftTrue : RightTrue)[slot];
        EXPECT_LE(std::abs(error), 3) << ear << "/" << slot;
        errorSum += error;
        ++measured;
      }
    EXPECT_LE(std::abs(errorSum / measured), 1.5);
    // The wizard's own rules made it: offsets 0, the card's volumes lowered by what it gives
    // above the test's scale.
    for (int ear = 0; ear < 2; ++ear)
      for (int k = 1; k <= 11; ++k) {
        const CalibrationEntry& e = r.state.CalibrationData[ear][k];
        EXPECT_EQ(e.LevelOffset, 0.0);
        const double gain = 20 * std::log10(e.WaveLevel / 255.0) + 20 * std::log10(e.MasterLevel / 255.0);
        EXPECT_NEAR(gain, std::min(0.0, 70 - c.cardLevel), 0.5) << ear << "/" << k;
      }
  }
}

TEST(Simulation, TheSameSetupGivesTheSameAudiogram) {
  SimulationSetup setup;
  setup.listener = Listener(LeftTrue, RightTrue);
  setup.listener.slope = 2;
  setup.listener.falseAlarm = 0.05;
  setup.listener.lapse = 0.05;
  setup.listener.seed = 7;
  const SimulationResult a = RunSimulation(setup);
  const SimulationResult b = RunSimulation(setup);
  EXPECT_EQ(a.state.CurrentAudiogram, b.state.CurrentAudiogram);
  EXPECT_EQ(a.messages, b.messages);
  setup.listener.seed = 8;
  EXPECT_NE(RunSimulation(setup).state.CurrentAudiogram.Reverse, a.state.CurrentAudiogram.Reverse);
}

TEST(Simulation, EveryResponsePathAndMasterVolumeGivesTheSameResult) {
  SimulationSetup base;
  base.listener = Listener(LeftTrue, RightTrue);
  const PatientFile reference = RunSimulation(base).state.CurrentAudiogram;
  SimulationSetup joystick = base;
  joystick.settings.rdoJoystick = true;
  EXPECT_EQ(RunSimulation(joystick).state.CurrentAudiogram.Threshold, reference.Threshold);
  SimulationSetup endpoint = base;
  endpoint.useEndpointVolume = true;
  EXPECT_EQ(RunSimulation(endpoint).state.CurrentAudiogram.Threshold, reference.Threshold);
}

TEST(Simulation, TheMixerLevelsEnterTheHearingLevel) {
  // The wave control 6 dB down (half its steps) makes every tone 6 dB softer at the ear, so each
  // threshold comes out 6 dB higher.
  SimulationSetup base;
  base.listener = Listener(LeftTrue, RightTrue);
  base.settings.Retest = false;
  const SimulationResult full = RunSimulation(base);
  SimulationSetup softer = base;
  std::string fixture = FullScaleMixerFixture;
  softer.calibration = CalibrationTable{};
  for (auto& ear : *softer.calibration)
    for (int s = 1; s <= 11; ++s) ear[s] = {128, 255, 0, 0, 0};  // 128 of 255 steps: -6.02 dB
  const SimulationResult r = RunSimulation(softer);
  int compared = 0;
  for (int ear = 0; ear < 2; ++ear)
    for (int slot = 0; slot < 11; ++slot) {
      if (full.state.CurrentAudiogram.Threshold[ear][slot] == NoResult) continue;
      EXPECT_NEAR(r.state.CurrentAudiogram.Threshold[ear][slot],
                  full.state.CurrentAudiogram.Threshold[ear][slot] + 6, 3)
          << ear << "/" << slot;
      ++compared;
    }
  EXPECT_EQ(compared, 16);
}

TEST(Simulation, TheShippedFullScaleFilesMatchTheBuiltInOnes) {
  EXPECT_EQ(test::DataBytes("full-scale-mixer.txt"), FullScaleMixerFixture);
  AppState state;
  CalibrationHeader header;
  ReadCal(test::DataPath("full-scale.cal"), state, header);
  ASSERT_TRUE(state.CalibrationLoaded);
  SimMixer driver(ParseMixerFixture(FullScaleMixerFixture));
  Mixer mixer(driver);
  mixer.CountMixerDevices();
  EXPECT_TRUE(mixer.OpenMixerDevice(0).empty());
  EXPECT_EQ(state.CalibrationData, FullScaleCalibration(mixer.Controls, false));
}

}  // namespace
}  // namespace sonavel
