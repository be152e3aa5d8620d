// A whole hearing test in the real windows, and the aborts, on the simulated devices and the
// virtual clock.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <set>

#include "app/bio_cal_wizard.h"
#include "app/calibration_windows.h"
#include "app/compatibility_test_window.h"
#include "app/results_window.h"
#include "app/settings_dialog.h"
#include "hearingtest/procedure.h"
#include "results/analysis.h"
#include "results/results_summary.h"
#include "test_run_rig.h"

namespace sonavel::apptest {
namespace {

// A listener whose answers scatter enough for one slot to need the automatic retest, which then
// settles in its first pass.
ListenerSettings ScatteringListener() {
  ListenerSettings l;
  for (auto& ear : l.thresholds) ear.fill(10.0);
  l.slope = 3;
  l.falseAlarm = 0.1;
  l.lapse = 0.05;
  l.seed = 5;
  return l;
}

SettingsRecord WholeTestSettings() {
  SettingsRecord s;
  s.Trial = true;
  s.Retest = true;
  s.AutoRetest = true;
  s.WaveOutDevice = -1;
  s.MixerDevice = 0;
  return s;
}

TEST(WholeTestInTheWindows, NewTestRunsAsTheSimulatorDoesAndTheResultsWindowShowsIt) {
  TestRunRig r(ScatteringListener());
  r.State().Settings = WholeTestSettings();
  TfrmTest& t = r.Test();

  // What the windows show at every event pump.
  std::vector<QString> titles;
  std::set<QString> captions;
  int lightAgrees = 0, lightDisagrees = 0, lightOn = 0;
  r.rig.host.OnEveryPump([&] {
    if (!t.isVisible()) return;
    if (titles.empty() || titles.back() != t.windowTitle()) titles.push_back(t.windowTitle());
    captions.insert(t.Next->text());
    // The light shows the button as the last poll saw it; the listener acts after this check.
    (t.LightOn() == r.State().Run.ButtonPressed ? lightAgrees : lightDisagrees) += 1;
    lightOn += t.LightOn() ? 1 : 0;
  });
  r.StartListening();
  // The operator ends the trial run with the window's button during its 10th tone.
  r.DuringPresentation(10, 0.1, [&] { t.Next->click(); });

  r.Window().NewTest1Click();

  const AppState& s = r.State();
  ASSERT_TRUE(s.ResultsPresent);
  EXPECT_FALSE(s.AbortRequested);
  EXPECT_FALSE(r.Window().GetSession().Output.IsOpen());
  EXPECT_FALSE(t.isVisible());

  // The instructions question, the trial run's start, the start after the trial, the end.
  std::vector<std::string> texts;
  for (const auto& m : r.rig.host.Messages) texts.push_back(m.text);
  const std::vector<std::string> expected{InstructionsQuestionText, TrialStartText, TestStartText,
                                          CompletedText};
  EXPECT_EQ(texts, expected);
  EXPECT_EQ(r.rig.host.Messages[2].buttons, ButtonOk | ButtonCancel);

  // Titles: the window's own before the first slot, the trial, the 8 default frequencies of the
  // left ear, the repeat, those of the right ear, then the retest pass of the one outlier.
  ASSERT_EQ(titles.size(), 20u);
  EXPECT_EQ(titles[0], "Real Time Audiogram");
  EXPECT_EQ(titles[1], "Audiogramm - Probelauf linkes Ohr bei 250 Hz ");
  EXPECT_EQ(titles[2], "Audiogramm - Hörtest linkes Ohr bei 250 Hz ");
  EXPECT_EQ(titles[9], "Audiogramm - Hörtest linkes Ohr bei 8000 Hz ");
  EXPECT_EQ(titles[10], "Audiogramm - Testwiederholung bei 1000 Hz ");
  EXPECT_EQ(titles[11], "Audiogramm - Hörtest rechtes Ohr bei 250 Hz ");
  EXPECT_EQ(titles[18], "Audiogramm - Hörtest rechtes Ohr bei 8000 Hz ");
  EXPECT_EQ(titles[19], "Audiogramm - Hörtest rechtes Ohr bei 4000 Hz ");
  EXPECT_EQ(captions, (std::set<QString>{"Weiter ->", "Abbrechen"}));
  EXPECT_EQ(t.Next->text(), "Abbrechen");
  EXPECT_GT(lightOn, 100);
  EXPECT_GT(lightAgrees, 20 * lightDisagrees);

  // The same listener in the simulator (the engine of sonavel-cli simulate) gives the same.
  SimulationSetup setup;
  setup.settings = WholeTestSettings();
  setup.listener = ScatteringListener();
  setup.maxPasses = 100;
  const SimulationResult sim = RunSimulation(setup);
  EXPECT_EQ(s.CurrentAudiogram.Threshold, sim.state.CurrentAudiogram.Threshold);
  EXPECT_EQ(s.CurrentAudiogram.Reverse, sim.state.CurrentAudiogram.Reverse);
  EXPECT_EQ(static_cast<int64_t>(r.Presentations()), sim.presentations);

  // The results window of that audiogram.
  TfrmMain& w = r.Window();
  w.txtFirstName->setText("Erika");
  w.txtLastName->setText("Muster");
  w.ViewResults1Click();
  TfrmResults& res = w.ResultsWindow();
  EXPECT_FALSE(w.isEnabled());
  EXPECT_EQ(res.windowTitle(), "Ergebnisse und Statistik");
  EXPECT_EQ(res.NameLabel->text(), "Erika Muster 01.01.1960");
  EXPECT_EQ(res.TestDateTimeLabel->text(), w.lblDateTime->text());
  EXPECT_TRUE(res.TestDateTimeLabel->text().startsWith("Testdatum: 10-12-2026 Uhrzeit: 10h"));
  const int32_t category =
      Category(s.CurrentAudiogram, s.Personal.DateOfBirth, RegionalDeDe(), r.rig.host.Now());
  EXPECT_EQ(res.KeptCategory(), category);
  EXPECT_EQ(res.Category->text().toStdString(), CategoryText(category));
  EXPECT_EQ(res.DodgyResults->text().toStdString(), RetestText(s.CurrentAudiogram, s.FrequencyTable, 6));
  EXPECT_TRUE(
      res.retestdev->text().startsWith("Die Hörschwelle der Wiederholungsmessung bei 1kHz weicht von "
                                       "der ersten Messung um "));
  res.OK->click();
  EXPECT_TRUE(w.isEnabled());
}

// Where the abort comes and who makes it.
enum class When { Trial, Measured, RetestPass };
enum class How { Next, Escape, CloseMainWindow };
struct AbortCase {
  When when;
  How how;
};

class Aborts : public ::testing::TestWithParam<AbortCase> {};

TEST_P(Aborts, EndTheRunAsTheProcedureSaysAndCloseTheDevice) {
  const AbortCase c = GetParam();
  TestRunRig r;
  SettingsRecord& settings = r.State().Settings;
  settings.Trial = c.when == When::Trial;
  settings.AutoRetest = false;
  TfrmMain& w = r.Window();
  auto act = [&] {
    switch (c.how) {
      case How::Next:
        r.Test().Next->click();
        break;
      case How::Escape:
        QTest::keyClick(&r.Test(), Qt::Key_Escape);
        break;
      case How::CloseMainWindow:
        w.close();
        break;
    }
  };
  // After the trial run the operator cancels the start of the measured test.
  r.rig.host.Answer = [](const SimHost::ShownMessage& m) {
    return m.buttons == (ButtonOk | ButtonCancel) ? ResultCancel : SimHost::DefaultButton(m.buttons);
  };

  PatientFile before;
  if (c.when == When::RetestPass) {
    // A finished audiogram with one outlier: 1000 Hz right.
    AppState& s = r.State();
    for (int32_t e = 0; e < 2; ++e)
      for (int32_t slot = 0; slot < 11; ++slot) {
        s.CurrentAudiogram.Reverse[e][slot] = {6, 10, 20, 10, 20, 10, 20};
        s.CurrentAudiogram.Threshold[e][slot] = 15;
      }
    s.CurrentAudiogram.Reverse[1][4][SpreadElement] = 12;
    s.ResultsPresent = true;
    before = s.CurrentAudiogram;
  }
  r.DuringPresentation(3, 0.5, act);
  if (c.when == When::RetestPass)
    w.Retest1Click();
  else
    w.NewTest1Click();

  const AppState& s = r.State();
  EXPECT_FALSE(w.GetSession().Output.IsOpen());
  EXPECT_FALSE(r.Test().isVisible());
  EXPECT_FALSE(w.GetSession().Procedure().Running());
  // No tone started after the one during which the request came.
  EXPECT_EQ(r.Presentations(), 3u);
  const bool shownAborted = r.rig.HostShowed(AbortedText);
  switch (c.when) {
    case When::Trial:
      // The request ended the trial; Cancel in the start dialog ends the run quietly. A closed
      // program asks nothing more and ends the run as quietly.
      EXPECT_FALSE(shownAborted);
      EXPECT_EQ(r.rig.HostShowed(TestStartText), c.how != How::CloseMainWindow);
      EXPECT_FALSE(s.ResultsPresent);
      break;
    case When::Measured:
      EXPECT_TRUE(shownAborted);
      EXPECT_TRUE(s.AbortRequested);
      EXPECT_FALSE(s.ResultsPresent);
      for (int32_t e = 0; e < 2; ++e)
        for (int32_t slot = 0; slot < 12; ++slot) EXPECT_FALSE(s.CurrentAudiogram.HasResult(e, slot));
      break;
    case When::RetestPass: {
      EXPECT_TRUE(shownAborted);
      EXPECT_TRUE(s.ResultsPresent);
      // Only the interrupted slot is cleared.
      PatientFile expected = before;
      expected.ClearSlot(1, 4);
      for (int32_t e = 0; e < 2; ++e)
        for (int32_t slot = 0; slot < 12; ++slot) {
          EXPECT_EQ(s.CurrentAudiogram.Reverse[e][slot][0], expected.Reverse[e][slot][0]) << e << " " << slot;
          EXPECT_EQ(s.CurrentAudiogram.Threshold[e][slot], expected.Threshold[e][slot]) << e << " " << slot;
        }
      break;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    WhenAndHow, Aborts,
    ::testing::Values(AbortCase{When::Trial, How::Next}, AbortCase{When::Trial, How::Escape},
                      AbortCase{When::Trial, How::CloseMainWindow}, AbortCase{When::Measured, How::Next},
                      AbortCase{When::Measured, How::Escape}, AbortCase{When::Measured, How::CloseMainWindow},
                      AbortCase{When::RetestPass, How::Next}, AbortCase{When::RetestPass, How::Escape},
                      AbortCase{When::RetestPass, How::CloseMainWindow}));

// The program closed while a box before the first tone is open (the trial run's start, or the
// start of the measured test): once the box is answered no tone plays and the run ends quietly.
TEST(Aborts, ClosingTheProgramDuringTheStartBoxPlaysNoTone) {
  for (const bool trial : {true, false}) {
    TestRunRig r;
    r.State().Settings.Trial = trial;
    r.State().Settings.AutoRetest = false;
    r.rig.host.Answer = [&](const SimHost::ShownMessage& m) {
      if (m.text == TrialStartText || m.text == TestStartText) r.Window().close();
      return SimHost::DefaultButton(m.buttons);
    };
    r.Window().NewTest1Click();
    EXPECT_EQ(r.Presentations(), 0u) << trial;
    EXPECT_FALSE(r.rig.HostShowed(AbortedText)) << trial;
    EXPECT_FALSE(r.State().ResultsPresent) << trial;
    EXPECT_FALSE(r.Window().GetSession().Output.IsOpen()) << trial;
    EXPECT_FALSE(r.Window().GetSession().Procedure().Running()) << trial;
  }
}

// A running test keeps its devices, its calibration and its audiogram: the compatibility test
// open beside the main window stops its tone and cannot play or move a slider, the commands that
// would change the run are off and refused by key and by call, the settings' device lists are
// off, the results may be looked at, and the run's end leaves the main window to the results.
TEST(RunGuard, NothingChangesARunningTestsDevicesCalibrationOrAudiogram) {
  TestRunRig r;
  TfrmMain& w = r.Window();
  SettingsRecord& settings = r.State().Settings;
  settings.Trial = false;
  settings.AutoRetest = false;
  r.State().ResultsPresent = true;  // an audiogram was on screen before the test
  int fileDialogs = 0;
  r.rig.desktop.File = [&](const FileDialogRequest&) -> std::optional<FileChoice> {
    ++fileDialogs;
    return std::nullopt;
  };
  const CalibrationTable calibration = r.State().CalibrationData;

  // Yes to the question before a new calibration: the compatibility test beside the main window.
  w.Calibration().SubjCal1Click();
  TfrmCompatibilityTest& compat = w.Calibration().CompatibilityTest();
  ASSERT_TRUE(compat.isVisible());
  ASSERT_TRUE(w.isEnabled());
  compat.OnButton->click();
  ASSERT_TRUE(compat.Rules().TonePlaying());
  const size_t mixerSetsBefore = r.rig.mixer.Sets.size();

  bool checked = false;
  r.DuringPresentation(3, 0.1, [&] {
    checked = true;
    EXPECT_FALSE(compat.Rules().TonePlaying());
    EXPECT_FALSE(compat.OnButton->isEnabled());
    for (VolumeColumn* column : {compat.WaveColumn, compat.MasterColumn, compat.GainColumn})
      EXPECT_FALSE(column->Slider->isEnabled());
    compat.Rules().OnButtonClick();
    compat.Rules().WaveOutSliderChange(3);
    EXPECT_FALSE(compat.Rules().TonePlaying());

    for (QAction* off : {w.New1, w.Open1, w.EarCalibration1, w.LoadCalibration1, w.CheckorRecalibratebyEar1,
                         w.TestCompatibility1, w.NewTest1, w.Retest1, w.Retest2})
      EXPECT_FALSE(off->isEnabled()) << off->objectName().toStdString();
    for (QAction* on : {w.CalInfo1, w.ViewResults1, w.Save1, w.Options1})
      EXPECT_TRUE(on->isEnabled()) << on->objectName().toStdString();
    // Neither the keys nor the commands themselves reach anything.
    for (const QKeySequence& key : {QKeySequence(Qt::Key_F2), QKeySequence(Qt::Key_F3), QKeySequence(Qt::Key_F4),
                                    QKeySequence(Qt::CTRL | Qt::Key_N), QKeySequence(Qt::CTRL | Qt::Key_O),
                                    QKeySequence(Qt::Key_F5)})
      QTest::keySequence(&w, key);
    w.New1Click();
    w.Open1Click();
    w.LoadCalibration1Click();
    w.Calibration().SubjCal1Click();
    w.Calibration().SubjRecal1Click();
    w.Calibration().TestCompatibility1Click();
    EXPECT_EQ(fileDialogs, 0);
    EXPECT_FALSE(w.Calibration().BioCal().isVisible());

    w.Options1->trigger();
    TfrmSettings& st = w.SettingsWindow();
    EXPECT_TRUE(st.isVisible());
    EXPECT_FALSE(st.WaveOutDevice->isEnabled());
    EXPECT_FALSE(st.MixerDevice->isEnabled());
    st.close();

    w.ViewResults1Click();
    EXPECT_TRUE(w.ResultsWindow().isVisible());
  });
  w.NewTest1Click();
  ASSERT_TRUE(checked);

  // The run completed in its own audiogram with its own calibration; no tone or slider of the
  // compatibility test reached the card (the run itself set its levels).
  EXPECT_TRUE(r.State().ResultsPresent);
  EXPECT_EQ(r.rig.host.Messages.back().text, CompletedText);
  for (int32_t e = 0; e < EarCount; ++e)
    for (int32_t i = 1; i <= MeasuredSlotCount; ++i) EXPECT_EQ(r.State().CalibrationData[e][i], calibration[e][i]);
  EXPECT_EQ(r.rig.waveOut.Submissions().front().loops, 0xFFFFFFFFu);  // the compatibility tone
  for (size_t i = 1; i < r.rig.waveOut.Submissions().size(); ++i)
    EXPECT_EQ(r.rig.waveOut.Submissions()[i].loops, 1u) << i;
  for (size_t i = mixerSetsBefore; i < r.rig.mixer.Sets.size(); ++i)
    EXPECT_NE(r.rig.mixer.Sets[i].items, std::vector<int32_t>{3 * 655}) << i;

  // The results window is still open: the main window waits for it.
  EXPECT_TRUE(w.ResultsWindow().isVisible());
  EXPECT_FALSE(w.isEnabled());
  w.ResultsWindow().OK->click();
  EXPECT_TRUE(w.isEnabled());
  QCoreApplication::processEvents();
  for (QAction* on : {w.New1, w.Open1, w.EarCalibration1, w.LoadCalibration1, w.TestCompatibility1, w.NewTest1})
    EXPECT_TRUE(on->isEnabled()) << on->objectName().toStdString();
  EXPECT_TRUE(compat.OnButton->isEnabled());
  compat.close();
}

// The response key: CTRL in the test window or in the main window works the button; any other
// key and every release lets it go; the release half of an auto-repeat does not.
TEST(ResponseKey, CtrlInEitherWindowPressesTheButton) {
  TestRunRig r;
  bool& pressed = r.State().Run.ButtonPressed;
  struct Step {
    QWidget* target;
    QEvent::Type type;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    bool autoRepeat;
    bool expected;
  };
  QWidget* test = &r.Test();
  QWidget* field = r.Window().txtFirstName;
  const std::vector<Step> steps{
      {test, QEvent::KeyPress, Qt::Key_Control, Qt::ControlModifier, false, true},
      {test, QEvent::KeyRelease, Qt::Key_Control, Qt::NoModifier, true, true},
      {test, QEvent::KeyPress, Qt::Key_Control, Qt::ControlModifier, true, true},
      {test, QEvent::KeyRelease, Qt::Key_Control, Qt::NoModifier, false, false},
      {field, QEvent::KeyPress, Qt::Key_Control, Qt::NoModifier, false, true},
      {field, QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, false, false},
      {test, QEvent::KeyPress, Qt::Key_A, Qt::ControlModifier, false, true},
      {test, QEvent::KeyRelease, Qt::Key_A, Qt::ControlModifier, false, false},
  };
  for (size_t i = 0; i < steps.size(); ++i) {
    const Step& st = steps[i];
    QKeyEvent e(st.type, st.key, st.modifiers, QString(), st.autoRepeat);
    QCoreApplication::sendEvent(st.target, &e);
    EXPECT_EQ(pressed, st.expected) << "step " << i;
  }
  // A window of its own (the about window) does not reach the button.
  QKeyEvent e(QEvent::KeyPress, Qt::Key_Control, Qt::ControlModifier);
  QCoreApplication::sendEvent(&r.Window().AboutWindow(), &e);
  EXPECT_FALSE(pressed);
}

}  // namespace
}  // namespace sonavel::apptest
