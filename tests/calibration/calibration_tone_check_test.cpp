// The check of the output before the looped calibration tone starts, through both calibration
// windows' rules on the simulated devices and the simulated sound server.
#include <gtest/gtest.h>

#include "calibration/calibration_rig.h"
#include "platform/sim/sim_output_watch.h"

namespace sonavel {
namespace {

using test::CalibrationRig;

struct WatchedCalibration : ::testing::Test {
  WatchedCalibration() {
    context.outputWatch = &watch;
    rig.state.Settings.WaveOutDevice = WaveMapper;
  }
  size_t Warnings() const {
    size_t n = 0;
    for (const auto& m : rig.host.Messages) n += m.text.find("über Bluetooth verbunden") != std::string::npos;
    return n;
  }

  CalibrationRig rig;
  SimOutputWatch watch{rig.host, {{"Headset"}}};
  CalibrationWindowContext context = rig.Context();
};

TEST_F(WatchedCalibration, AMutedOutputLeavesTheToneOff) {
  watch.Live().outputs[0].levels.Muted = true;
  CompatibilityTestRules window(context);
  window.Show();
  rig.host.Messages.clear();
  window.OnButtonClick();
  EXPECT_FALSE(window.TonePlaying());
  EXPECT_EQ(window.OnButtonCaption(), "Ein");
  EXPECT_TRUE(rig.wave.Submissions().empty());
  ASSERT_EQ(rig.host.Messages.size(), 1u);
  EXPECT_EQ(rig.host.Messages[0].text, MutedOutputText("Headset"));
}

TEST_F(WatchedCalibration, TheCompatibilityTestWarnsAboutBluetoothUntilTheUserGoesOnOncePerShowing) {
  watch.Live().outputs[0].bluetooth = true;
  CompatibilityTestRules window(context);
  window.Show();
  rig.host.QueueAnswer(ResultCancel);
  window.OnButtonClick();
  EXPECT_FALSE(window.TonePlaying());
  EXPECT_EQ(Warnings(), 1u);
  window.OnButtonClick();  // asked again, OK by default
  EXPECT_TRUE(window.TonePlaying());
  EXPECT_EQ(Warnings(), 2u);
  window.FrequencyChange(3);  // the tone starts again at the new frequency
  window.OnButtonClick();
  window.OnButtonClick();
  EXPECT_TRUE(window.TonePlaying());
  EXPECT_EQ(Warnings(), 2u);
  window.Close();
  window.Show();
  window.OnButtonClick();
  EXPECT_EQ(Warnings(), 3u);
}

TEST_F(WatchedCalibration, TheWizardWarnsOnceForAllItsPages) {
  watch.Live().outputs[0].bluetooth = true;
  CalibrationTable work{};
  bool pending = false;
  std::string date, time;
  CalibrationHeader header;
  BioCalWizard wizard(context, {work, pending, date, time, header});
  wizard.Open(true, false);
  for (int page = 0; page < 3; ++page) {
    wizard.OnButtonClick();
    EXPECT_TRUE(wizard.TonePlaying());
    wizard.NextClick();
  }
  EXPECT_EQ(Warnings(), 1u);
  wizard.Close();
  wizard.Open(true, false);
  wizard.OnButtonClick();
  EXPECT_EQ(Warnings(), 2u);
}

}  // namespace
}  // namespace sonavel
