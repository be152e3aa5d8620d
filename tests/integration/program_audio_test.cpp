// The desktop program on the private sound server (run by with_pulse.sh, on Qt's offscreen
// platform), with the drivers it picks itself: a short New Test and the compatibility test's
// looped tone are recorded from the null sink's monitor and checked sample by sample.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <cstdio>
#include <cstdlib>

#include "app/application.h"
#include "app/calibration_windows.h"
#include "app/compatibility_test_window.h"
#include "integration/monitor_recorder.h"
#include "integration/null_sink.h"
#include "integration/program_on_null_sink.h"

namespace sonavel {
namespace {

using test::Bursts;
using test::LevelDb;

std::vector<int16_t> Silence(const std::vector<int16_t>& x, size_t a, size_t b) {
  return {x.begin() + static_cast<ptrdiff_t>(std::min(a, x.size())),
          x.begin() + static_cast<ptrdiff_t>(std::min(b, x.size()))};
}

bool AllZero(const std::vector<int16_t>& x) {
  for (int16_t v : x)
    if (v != 0) return false;
  return true;
}

class ProgramOnNullSink : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(keepAlive.ok) << "no sound server (run under with_pulse.sh)";
    ASSERT_TRUE(recorder.Start(test::MonitorSource()));
    ASSERT_TRUE(recorder.WaitFrames(4410, 10)) << "parec records nothing";
  }
  test::KeepAlive keepAlive;
  test::MonitorRecorder recorder;
};

TEST_F(ProgramOnNullSink, ANewTestPlaysEachToneOnTheTestedEarAtTheProceduresLevel) {
  const double levelOffset = 10;  // 75 dB HL, the step past the ceiling, at -5 dBFS: no clipping
  test::NullSinkProgram p(test::TwoFrequencyTest("0.4", "0.4"));
  ASSERT_TRUE(p.Start(levelOffset)) << p.Error;
  const size_t from = recorder.Frames();

  p.Main().NewTest1Click();

  const AppState& state = p.Main().State();
  std::string boxes;
  for (const std::string& text : p.Boxes) boxes += "\n  " + text;
  EXPECT_TRUE(state.ResultsPresent) << "the boxes shown:" << boxes;
  EXPECT_FALSE(p.Main().GetSession().Output.IsOpen());
  for (const std::string& text : p.Boxes) EXPECT_EQ(text.find("Fehler"), std::string::npos) << text;
  // Both ears, two slots each, 55 .. 75 dB HL.
  ASSERT_EQ(p.Presentations.size(), 20u);
  ASSERT_TRUE(recorder.WaitFrames(recorder.Frames() + 22050, 10));
  const auto left = recorder.Channel(0), right = recorder.Channel(1);
  const std::vector<test::Burst> bursts = Bursts(left, right, from);
  ASSERT_EQ(bursts.size(), p.Presentations.size()) << "a tone was lost, split or added";

  const std::vector<int16_t>* channels[2] = {&left, &right};
  double previousLevel = 0;
  for (size_t i = 0; i < bursts.size(); ++i) {
    const test::Presentation& shown = p.Presentations[i];
    const test::Burst& b = bursts[i];
    const std::vector<int16_t>& x = *channels[b.channel];
    const int32_t f = state.FrequencyTable[shown.slot];
    // The middle of the full-amplitude half, a whole number of periods of both frequencies.
    const size_t a = b.Centre() - 2205, e = b.Centre() + 2205;
    const double level = LevelDb(x, a, e);
    const double expected = InternalLevel(shown.levelHL) - levelOffset;
    std::printf("[ program ] tone %2zu: ear %d, %d Hz, %.0f dB HL: %.3f dBFS (expected %.1f), %zu frames\n",
                i + 1, shown.ear, f, shown.levelHL, level, expected, b.end - b.begin);
    EXPECT_EQ(b.channel, shown.ear) << "tone " << i + 1;
    EXPECT_TRUE(AllZero(Silence(*channels[1 - b.channel], b.begin, b.end)))
        << "tone " << i + 1 << " on both ears";
    // The whole tone, less the ramps' first and last samples, which round to zero.
    EXPECT_NEAR(static_cast<double>(b.end - b.begin), 17640, 250) << "tone " << i + 1;
    EXPECT_NEAR(test::Frequency(x, a, e), f, f * 0.001) << "tone " << i + 1;
    EXPECT_NEAR(level, expected, 0.1) << "tone " << i + 1;
    if (i > 0) {
      EXPECT_NEAR(level - previousLevel, shown.levelHL - p.Presentations[i - 1].levelHL, 0.1)
          << "step to tone " << i + 1;
    }
    previousLevel = level;
  }
}

TEST_F(ProgramOnNullSink, TheCompatibilityTestsToneLoopsOnTheRightEarAtTheTypedLevel) {
  test::NullSinkProgram p(SettingsRecord{});
  ASSERT_TRUE(p.Start(0)) << p.Error;
  TfrmMain& w = p.Main();
  w.UpdateMenus();
  ASSERT_TRUE(w.TestCompatibility1->isEnabled());
  w.TestCompatibility1->trigger();
  TfrmCompatibilityTest& t = w.Calibration().CompatibilityTest();
  ASSERT_TRUE(t.isVisible());

  t.Threshold->setText("-20");
  emit t.Threshold->editingFinished();
  t.rdoRightEar->setChecked(true);
  t.tbrFrequency->setValue(7);  // 1000 Hz
  ASSERT_EQ(t.Rules().Frequency(), 1000);
  // Every volume slider the card has at full: the thumb at the top.
  for (VolumeColumn* column : {t.WaveColumn, t.MasterColumn, t.GainColumn})
    if (column->Slider->isVisible()) column->Slider->setValue(column->Slider->minimum());
  EXPECT_EQ(t.Rules().MasterSlider().Value, t.Rules().MasterSlider().Maximum);

  const size_t from = recorder.Frames();
  t.OnButton->click();
  ASSERT_TRUE(t.Rules().TonePlaying());
  // Pump while the tone loops: the window stays alive as it would on a desktop.
  while (recorder.Frames() < from + 5 * 44100) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  t.close();
  EXPECT_FALSE(w.GetSession().Output.IsOpen());

  const auto left = recorder.Channel(0), right = recorder.Channel(1);
  const size_t onset = test::FirstNonZero(right, from);
  ASSERT_LT(onset + 3 * 44100, right.size()) << "no tone recorded";
  EXPECT_TRUE(AllZero(Silence(left, from, right.size()))) << "the left ear heard the tone";
  // The full-amplitude middle of the first second, a whole number of periods.
  const double level = LevelDb(right, onset + 13230, onset + 13230 + 17640);
  std::printf("[ program ] compatibility test tone: %.3f dBFS on the right ear (typed -20)\n", level);
  EXPECT_NEAR(level, -20, 0.1);
  size_t mismatches = 0;
  for (size_t n = onset; n < onset + 2 * 44100; ++n) mismatches += right[n] != right[n + 44100];
  EXPECT_EQ(mismatches, 0u) << "the tone does not repeat every 44100 frames";
}

}  // namespace
}  // namespace sonavel

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  sonavel::Application app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
