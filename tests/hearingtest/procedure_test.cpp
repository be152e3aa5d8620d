#include "hearingtest/procedure.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <map>

#include "core/recording_canvas.h"
#include "hearingtest/procedure_fakes.h"
#include "platform/sim/sim_views.h"

namespace sonavel {
namespace {

using test::FakeSound;
using test::Presentation;

// Hears a tone at or above a fixed level.
auto ThresholdListener(double threshold) {
  return [threshold](const Presentation& p, size_t, double) { return p.levelHL >= threshold; };
}

// Answers so that the staircase turns at the given thresholds one after the other (step 1 dB):
// going up it turns at the first level at or above the threshold, going down at the first
// level below it.
auto PhaseListener(std::vector<double> thresholds) {
  struct State {
    std::vector<double> t;
    size_t phase = 0;
    bool up = true;
    std::map<size_t, bool> answers;
  };
  auto s = std::make_shared<State>();
  s->t = std::move(thresholds);
  return [s](const Presentation& p, size_t index, double) {
    auto it = s->answers.find(index);
    if (it != s->answers.end()) return it->second;
    const double t = s->phase < s->t.size() ? s->t[s->phase] : s->t.back();
    const bool heard = p.levelHL >= t;
    if (heard == s->up) {
      s->up = !s->up;
      ++s->phase;
    }
    s->answers[index] = heard;
    return heard;
  };
}

class TestProcedureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    state.CalibrationLoaded = true;
    state.Settings.WaveOutDevice = 2;
  }

  static TestProperties Slots(std::initializer_list<int32_t> left,
                              std::initializer_list<int32_t> right = {}) {
    TestProperties p;
    for (int32_t s : left) p.RunThisFreq[0][s] = true;
    for (int32_t s : right) p.RunThisFreq[1][s] = true;
    return p;
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> out;
    for (const auto& m : host.Messages) out.push_back(m.text);
    return out;
  }
  std::vector<Presentation> OfSlot(int32_t ear, int32_t frequency) const {
    std::vector<Presentation> out;
    for (const auto& p : sound.Played)
      if (p.ear == ear && p.frequency == frequency) out.push_back(p);
    return out;
  }
  const ReverseRow& Row(int32_t ear, int32_t recordSlot) const {
    return state.CurrentAudiogram.Reverse[ear][recordSlot];
  }

  AppState state;
  SimHost host{{{2018, 3, 7}, 9, 5, 0, 0}};
  FakeSound sound{state, host};
  RecordingCanvas graph{431, 320, ColourButtonFace};
  SimTestWindow window{state, &graph};
  SimMainWindow mainWindow;
  RegionalFormat regional = RegionalDeDe();
  TestProcedure proc{state, host, sound, window, mainWindow, regional};
};

TEST_F(TestProcedureTest, DefaultsStartAt3dBWithAPixelStepOf20AndAtMost15Tones) {
  EXPECT_EQ(proc.RunTest(Slots({2}), false), RunOutcome::Completed);
  EXPECT_EQ(state.Run.TracePixelStep, 20);
  ASSERT_EQ(sound.Played.size(), 15u);
  EXPECT_EQ(sound.Played[0].levelHL, 3);
  EXPECT_EQ(sound.Played[0].frames, 88200u);  // 1 s tone + 1 s pause
  EXPECT_EQ(sound.Played[0].frequency, 250);
  EXPECT_EQ(sound.OpenedDevice, 2);
  EXPECT_EQ(sound.Closed, 1);
  // A run started at 09:05 on 7 March 2018 ends half a minute later.
  EXPECT_EQ(state.CurrentAudiogram.TestDateStamp, "07-03-2018");
  EXPECT_EQ(state.CurrentAudiogram.TestTimeStamp, "9h5");
  EXPECT_TRUE(state.ResultsPresent);
  EXPECT_FALSE(window.Visible());
  EXPECT_EQ(window.Titles, std::vector<std::string>{"Audiogramm - Hörtest linkes Ohr bei 250 Hz "});
  EXPECT_EQ(window.NextCaption, "Abbrechen");
}

TEST_F(TestProcedureTest, AListenerWhoNeverAnswers) {
  proc.RunTest(Slots({2, 3, 4}), false);
  const auto first = OfSlot(0, 250), second = OfSlot(0, 500), third = OfSlot(0, 750);
  ASSERT_EQ(first.size(), 15u);
  EXPECT_EQ(first.back().levelHL, 45);
  EXPECT_EQ(Row(0, 1)[1], 45);  // the time-up tone is entry 1 ...
  EXPECT_EQ(Row(0, 1)[0], 0);   // ... but one entry is no measurement
  EXPECT_EQ(state.CurrentAudiogram.Threshold[0][1], NoResult);
  ASSERT_EQ(second.size(), 9u);
  EXPECT_EQ(second.front().levelHL, 48);
  EXPECT_EQ(second.back().levelHL, 72);  // above the ceiling: the slot ends
  EXPECT_EQ(Row(0, 2)[1], 72);
  EXPECT_EQ(third.front().levelHL, 3);  // the level was reset
  EXPECT_EQ(Texts().back(), "Test procedure completed!");
}

TEST_F(TestProcedureTest, AListenerWhoHoldsTheButtonAllTheTime) {
  for (bool reject1st : {true, false}) {
    AppState fresh;
    state = fresh;
    state.CalibrationLoaded = true;
    state.Settings.Reject1st = reject1st;
    sound.Played.clear();
    sound.Listener = [](const Presentation&, size_t, double) { return true; };
    proc.RunTest(Slots({5}), false);
    ASSERT_EQ(sound.Played.size(), 15u);
    EXPECT_EQ(Row(0, 4)[0], 2);
    EXPECT_EQ(Row(0, 4)[1], 3);
    EXPECT_EQ(Row(0, 4)[2], -39);
    EXPECT_EQ(Row(0, 4)[SpreadElement], 0);
    EXPECT_EQ(state.CurrentAudiogram.Threshold[0][4], reject1st ? -39 : -18);
  }
}

TEST_F(TestProcedureTest, SpreadsAboveTenAreListedForARetest) {
  // Half-second tones and pauses written with the decimal comma, 1 dB steps, no first-reversal rejection.
  state.Settings.BeepTimeEdit = "0,5";
  state.Settings.PauseTimeEdit = "0,5";
  state.Settings.TestTimeEdit = "60";
  state.Settings.LevelStep = "1";
  state.Settings.ReverseEdit = "4";
  state.Settings.Reject1st = false;
  state.Settings.AutoRetest = false;
  struct Case {
    std::vector<double> turns;  // entries 20, 15, 30 or 31, 25
    int32_t spread;
    std::string message;
  } cases[] = {
      {{20, 16, 30, 26}, 10, "Test procedure completed!"},
      {{20, 16, 31, 26},
       11,
       "Test procedure completed! Retest recommended for the following frequencies: 1000Hz(L); "},
  };
  for (const auto& c : cases) {
    host.Messages.clear();
    sound.Listener = PhaseListener(c.turns);
    proc.RunTest(Slots({5}), false);
    EXPECT_EQ(Row(0, 4)[0], 4);
    EXPECT_EQ(Row(0, 4)[3], c.spread == 10 ? 30 : 31);
    EXPECT_EQ(Row(0, 4)[SpreadElement], c.spread);
    EXPECT_EQ(Texts().back(), c.message);
  }
}

TEST_F(TestProcedureTest, TheNextSlotStartsWhereThePreviousEndedGoingUp) {
  sound.Listener = ThresholdListener(30);
  proc.RunTest(Slots({2, 3}), false);
  const auto first = OfSlot(0, 250), second = OfSlot(0, 500);
  ASSERT_FALSE(second.empty());
  EXPECT_EQ(second.front().levelHL, first.back().levelHL + 3);
  EXPECT_EQ(Row(0, 1)[0], 6);
  EXPECT_EQ(state.CurrentAudiogram.Threshold[0][1], 28);  // 27 30 27 30 27 after the first: 28.2
}

TEST_F(TestProcedureTest, RightEarFirstWithATrialRun) {
  state.Settings.FirstEar = false;
  sound.Listener = ThresholdListener(30);
  struct Operator : RunObserver {
    SimHost& host;
    SimTestWindow& window;
    int trialTones = 0;
    Operator(SimHost& h, SimTestWindow& w) : host(h), window(w) {}
    void PresentationStarted(int32_t, int32_t slot, double) override {
      if (slot == TrialSlot && ++trialTones == 4)
        host.At(host.Seconds() + 0.5, [this] { window.NextClick(); });
    }
  } op(host, window);
  proc.SetObserver(&op);
  TestProperties p = Slots({0, 2, 3, 12}, {0, 2, 3, 12});
  EXPECT_EQ(proc.RunTest(p, false), RunOutcome::Completed);
  EXPECT_EQ(window.Titles, (std::vector<std::string>{
                               "Audiogramm - Hörtest rechtes Ohr bei 250 Hz ",
                               "Audiogramm - Hörtest rechtes Ohr bei 500 Hz ",
                               "Audiogramm - Probelauf linkes Ohr bei 250 Hz ",
                               "Audiogramm - Hörtest linkes Ohr bei 250 Hz ",
                               "Audiogramm - Hörtest linkes Ohr bei 500 Hz ",
                               "Audiogramm - Testwiederholung bei 1000 Hz ",
                           }));
  EXPECT_EQ(state.FrequencyTable[0], 250);
  EXPECT_EQ(op.trialTones, 4);
  ASSERT_GE(host.Messages.size(), 3u);
  EXPECT_EQ(host.Messages[0].text, TrialStartText);
  EXPECT_EQ(host.Messages[1].text, TestStartText);
  EXPECT_EQ(host.Messages[1].buttons, ButtonOk | ButtonCancel);
  EXPECT_EQ(host.Messages[1].icon, MessageIcon::Warning);
  EXPECT_EQ(window.NextCaption, "Abbrechen");
  EXPECT_EQ(Row(1, 11)[0], 0);  // the repeat belongs to the left ear only
  EXPECT_GT(Row(0, 11)[0], 1);
}

TEST_F(TestProcedureTest, TheTrialRunTakesTheCalibrationOfItsFrequency) {
  state.CalibrationData[0][3] = {11, 22, 33, 0, -1.5};
  state.CalibrationData[1][3] = {44, 55, 66, 0, 2.5};
  state.CalibrationData[0][5] = {7, 8, 9, 0, 0};
  // Hears everything, and lets go of the button when a tone ends.
  sound.Listener = [](const Presentation&, size_t, double sinceStart) { return sinceStart < 1.0; };
  struct Operator : RunObserver {
    SimTestWindow& window;
    SimHost& host;
    Operator(SimTestWindow& w, SimHost& h) : window(w), host(h) {}
    void PresentationStarted(int32_t, int32_t slot, double) override {
      if (slot == TrialSlot) host.At(host.Seconds() + 0.5, [this] { window.NextClick(); });
    }
  } op(window, host);
  proc.SetObserver(&op);
  proc.RunTest(Slots({0, 3}), false);
  EXPECT_EQ(state.FrequencyTable[0], 500);
  EXPECT_EQ(state.CalibrationData[0][0], state.CalibrationData[0][3]);
  EXPECT_EQ(state.CalibrationData[1][0], state.CalibrationData[1][3]);
  EXPECT_EQ(state.CalibrationData[0][12], state.CalibrationData[0][5]);  // the repeat plays like 1 kHz
  EXPECT_EQ(state.CalibrationData[0][3].LevelOffset, -1.5);              // the table itself is untouched
}

TEST_F(TestProcedureTest, AbortInANewTestLosesEveryFlaggedSlot) {
  state.Settings.Trial = false;
  state.Settings.AutoRetest = false;
  sound.Listener = ThresholdListener(20);
  host.At(75, [this] { window.NextClick(); });  // during the third frequency
  proc.NewTest1Click();
  EXPECT_EQ(Texts().back(), AbortedText);
  EXPECT_FALSE(state.ResultsPresent);
  for (int e = 0; e < 2; ++e)
    for (int r = 0; r < 12; ++r) {
      EXPECT_EQ(Row(e, r)[0], 0) << e << "/" << r;
      EXPECT_EQ(state.CurrentAudiogram.Threshold[e][r], NoResult);
    }
  EXPECT_TRUE(state.AbortRequested);
  EXPECT_FALSE(window.Visible());
  // The abort takes effect at the end of the presentation during which it was made.
  EXPECT_LE(sound.Played.back().start, 75.0);
  EXPECT_GE(sound.Played.back().start + 2.0, 75.0);
}

TEST_F(TestProcedureTest, AbortInARetestPassClearsOnlyTheInterruptedSlot) {
  state.ResultsPresent = true;
  state.CurrentAudiogram.Reverse[0][4] = {6, 30, 20, 30, 20, 45, 20, 0, 0, 0, 0,
                                          0, 0,  0,  0,  0,  0,  0,  0, 0, 0, 15};
  state.CurrentAudiogram.Reverse[1][6] = {6, 30, 20, 30, 20, 42, 20, 0, 0, 0, 0,
                                          0, 0,  0,  0,  0,  0,  0,  0, 0, 0, 12};
  state.CurrentAudiogram.Threshold[0][4] = 28;
  state.CurrentAudiogram.Threshold[1][6] = 27;
  sound.Listener = ThresholdListener(20);
  struct Operator : RunObserver {
    SimTestWindow& window;
    SimHost& host;
    Operator(SimTestWindow& w, SimHost& h) : window(w), host(h) {}
    void SlotStarted(int32_t ear, int32_t) override {
      if (ear == 1) host.At(host.Seconds() + 3, [this] { window.NextClick(); });
    }
  } op(window, host);
  proc.SetObserver(&op);
  proc.Retest1Click();
  EXPECT_EQ(Texts().back(), AbortedText);
  EXPECT_TRUE(state.ResultsPresent);
  EXPECT_EQ(Row(0, 4)[SpreadElement], 0);  // re-measured
  EXPECT_EQ(Row(0, 4)[0], 6);
  EXPECT_EQ(Row(1, 6)[0], 0);  // interrupted
  EXPECT_EQ(state.CurrentAudiogram.Threshold[1][6], NoResult);
  EXPECT_EQ(window.Titles.size(), 2u);  // one pass only
}

TEST_F(TestProcedureTest, NewTestFlagsTheRepeatForBothEarsButOnlyTheLeftRunsIt) {
  state.Settings.Trial = false;
  sound.Listener = ThresholdListener(25);
  proc.NewTest1Click();
  int repeats = 0;
  for (const auto& t : window.Titles) repeats += t == "Audiogramm - Testwiederholung bei 1000 Hz ";
  EXPECT_EQ(repeats, 1);
  EXPECT_EQ(window.Titles.size(), 8u + 1u + 8u);
  EXPECT_EQ(Row(1, 11)[0], 0);
  EXPECT_EQ(state.CurrentAudiogram.Threshold[1][11], NoResult);
  EXPECT_EQ(Texts().back(), "Test procedure completed!");  // no outliers: the retest selects nothing
  EXPECT_TRUE(state.ResultsPresent);
}

TEST_F(TestProcedureTest, TheCommandsCheckTheCalibrationAndAskForInstructions) {
  state.CalibrationLoaded = false;
  host.QueueAnswer(ResultYes);
  proc.NewTest1Click();
  ASSERT_EQ(host.Messages.size(), 1u);
  EXPECT_EQ(host.Messages[0].text, CalibrateFirstText);
  EXPECT_EQ(host.Messages[0].caption, "Information");
  EXPECT_EQ(host.HelpOpened, std::vector<int32_t>{11});
  EXPECT_TRUE(sound.Played.empty());

  state.CalibrationLoaded = true;
  state.Settings.Trial = false;
  std::vector<std::string> asked;
  proc.SetSuppressibleMessage([&](const std::string& text, const std::string& caption, MessageIcon,
                                  uint32_t buttons, const std::string& valueName) {
    asked = {text, caption, valueName};
    EXPECT_EQ(buttons, ButtonYes | ButtonNo);
    return ResultYes;
  });
  proc.NewTest1Click();
  EXPECT_EQ(asked, (std::vector<std::string>{InstructionsQuestionText, "Information", CalibrateFirstText}));
  EXPECT_EQ(host.HelpOpened, (std::vector<int32_t>{11, 14}));
}

TEST_F(TestProcedureTest, RetestRemeasuresOutliersOfAnOpenedFileUntilNoneIsLeft) {
  // An audiogram as read from a file: an outlier in the 1 kHz repeat and one in the right ear.
  state.ResultsPresent = true;
  state.CurrentAudiogram.Reverse[0][11] = {6, 30, 20, 30, 20, 45, 20, 0, 0, 0, 0,
                                           0, 0,  0,  0,  0,  0,  0,  0, 0, 0, 15};
  state.CurrentAudiogram.Reverse[1][9] = {4, 30, 20, 30, 20, 0, 0, 0, 0, 0, 0,
                                          0, 0,  0,  0,  0,  0, 0, 0, 0, 0, 11};
  state.CurrentAudiogram.Reverse[1][2] = {6, 30, 20, 30, 20, 30, 20, 0, 0, 0, 0,
                                          0, 0,  0,  0,  0,  0,  0,  0, 0, 0, 10};
  state.CurrentAudiogram.Threshold[1][2] = 25;
  sound.Listener = ThresholdListener(40);
  proc.Retest1Click();
  EXPECT_EQ(window.Titles, (std::vector<std::string>{"Audiogramm - Testwiederholung bei 1000 Hz ",
                                                     "Audiogramm - Hörtest rechtes Ohr bei 6000 Hz "}));
  EXPECT_EQ(Row(0, 11)[SpreadElement], 0);
  EXPECT_EQ(Row(1, 9)[SpreadElement], 0);
  EXPECT_EQ(state.CurrentAudiogram.Threshold[1][2], 25);  // spread 10 is no outlier
  EXPECT_EQ(Texts(), std::vector<std::string>{"Test procedure completed!"});
}

TEST_F(TestProcedureTest, AnOutlierThatEndsWithOneEntryStaysSelected) {
  state.ResultsPresent = true;
  state.CurrentAudiogram.Reverse[0][6] = {6, 30, 20, 30, 20, 45, 20, 0, 0, 0, 0,
                                          0, 0,  0,  0,  0,  0,  0,  0, 0, 0, 15};
  state.Settings.LevelStart = "60";  // a listener who hears nothing reaches the ceiling at once
  struct Counter : RunObserver {
    int runs = 0;
    SimTestWindow& window;
    SimHost& host;
    Counter(SimTestWindow& w, SimHost& h) : window(w), host(h) {}
    void RunStarted(const TestProperties&, bool) override {
      if (++runs == 3) host.At(host.Seconds() + 0.5, [this] { window.NextClick(); });
    }
  } counter(window, host);
  proc.SetObserver(&counter);
  proc.Retest1Click();
  EXPECT_EQ(counter.runs, 3);
  // The passes that end at the ceiling list nothing new.
  EXPECT_EQ(Texts(), (std::vector<std::string>{CompletedText, CompletedText, AbortedText}));
  EXPECT_EQ(Row(0, 6)[0], 0);  // the aborted third pass cleared it
}

TEST_F(TestProcedureTest, TheTraceStaysInsideItsHistory) {
  // 50 ms tones without pause in a 60 s slot: a pixel step of 0, so the trial trace never restarts.
  state.Settings.BeepTimeEdit = "0,05";
  state.Settings.PauseTimeEdit = "0";
  state.Settings.TestTimeEdit = "60";
  sound.Listener = [](const Presentation&, size_t, double) { return true; };
  struct Operator : RunObserver {
    SimTestWindow& window;
    SimHost& host;
    int tones = 0;
    Operator(SimTestWindow& w, SimHost& h) : window(w), host(h) {}
    void PresentationStarted(int32_t, int32_t, double) override {
      if (++tones == 250) window.NextClick();
    }
  } op(window, host);
  proc.SetObserver(&op);
  host.QueueAnswer(ResultOk);      // the trial's start message
  host.QueueAnswer(ResultCancel);  // the end-of-trial dialog
  proc.RunTest(Slots({0, 5}), false);
  EXPECT_EQ(state.Run.TracePixelStep, 0);
  EXPECT_EQ(op.tones, 250);
  EXPECT_LE(graph.Of(RecordingCanvas::Op::LineTo).size(), 200u + 12u);
}

TEST_F(TestProcedureTest, ATrialRunWithoutALeftEarFrequencyIsSkipped) {
  sound.Listener = ThresholdListener(30);
  proc.RunTest(Slots({0}, {2}), false);
  EXPECT_EQ(window.Titles, std::vector<std::string>{"Audiogramm - Hörtest rechtes Ohr bei 250 Hz "});
  EXPECT_EQ(Texts().front(), TestStartText);
  EXPECT_EQ(host.Messages.front().buttons, ButtonOk);
}

TEST_F(TestProcedureTest, CancelAfterATrialRunAtTheCeilingEndsTheRunQuietly) {
  host.QueueAnswer(ResultOk);
  host.QueueAnswer(ResultCancel);
  const PatientFile before = state.CurrentAudiogram;
  EXPECT_EQ(proc.RunTest(Slots({0, 2, 3}), false), RunOutcome::Aborted);
  EXPECT_EQ(sound.Played.back().levelHL, 72);
  EXPECT_EQ(Texts(), (std::vector<std::string>{TrialStartText, TestStartText}));
  EXPECT_EQ(window.Titles.size(), 1u);
  EXPECT_EQ(state.CurrentAudiogram, before);
  EXPECT_FALSE(window.Visible());
  EXPECT_EQ(sound.Closed, 1);
}

TEST_F(TestProcedureTest, InvalidSettingsAreRefusedBeforeAnythingChanges) {
  struct Case {
    std::string SettingsRecord::*field;
    std::string value;
    std::string named;
  } cases[] = {
      {&SettingsRecord::LevelStart, "2.5", "Anfangspegel"},
      {&SettingsRecord::LevelStart, "", "Anfangspegel"},
      {&SettingsRecord::BeepTimeEdit, "1.5", "Signaldauer"},
      {&SettingsRecord::BeepTimeEdit, "0", "Signaldauer"},
      {&SettingsRecord::PauseTimeEdit, "-1", "Lückendauer"},
      {&SettingsRecord::LevelStep, "drei", "Pegelschritt"},
      {&SettingsRecord::TestTimeEdit, "0", "Testdauer pro Frequenz"},
      {&SettingsRecord::ReverseEdit, "25", "Richtungswechsel"},
      {&SettingsRecord::ReverseEdit, "x", "Richtungswechsel"},
  };
  state.ResultsPresent = true;
  state.CurrentAudiogram.Reverse[0][4] = {6, 30, 20, 30, 20, 30, 20};
  state.CurrentAudiogram.Threshold[0][4] = 25;
  const PatientFile before = state.CurrentAudiogram;
  for (const auto& c : cases) {
    AppState copy = state;
    state.Settings.*c.field = c.value;
    host.Messages.clear();
    proc.NewTest1Click();
    ASSERT_EQ(host.Messages.size(), 1u) << c.value;
    EXPECT_NE(host.Messages[0].text.find(c.named), std::string::npos) << host.Messages[0].text;
    EXPECT_EQ(host.Messages[0].icon, MessageIcon::Error);
    EXPECT_EQ(state.CurrentAudiogram, before);
    EXPECT_EQ(sound.OpenedDevice, -100);  // the device was never opened
    EXPECT_EQ(proc.RunTest(Slots({5}), false), RunOutcome::Refused);
    state = copy;
  }
}

TEST_F(TestProcedureTest, ADeviceFailureEndsTheWaitAndTheRun) {
  for (int failOpen : {0, 1}) {
    AppState fresh;
    state = fresh;
    state.CalibrationLoaded = true;
    state.Settings.Trial = false;
    state.Settings.AutoRetest = true;
    host.Messages.clear();
    sound.Played.clear();
    sound.FailOpen = failOpen;
    sound.FailPlayAt = 20;  // in the second frequency
    sound.Listener = ThresholdListener(20);
    proc.NewTest1Click();
    ASSERT_FALSE(host.Messages.empty());
    EXPECT_NE(host.Messages.back().text.find("Fehler bei der Tonausgabe"), std::string::npos);
    EXPECT_EQ(host.Messages.back().icon, MessageIcon::Error);
    EXPECT_EQ(sound.Played.size(), failOpen ? 0u : 20u);
    EXPECT_TRUE(state.AbortRequested);
    EXPECT_FALSE(state.ResultsPresent);
    EXPECT_EQ(Row(0, 1)[0], 0);  // the first frequency was measured, and is lost like in an abort
    EXPECT_FALSE(window.Visible());
  }
}

TEST_F(TestProcedureTest, ASecondRunCannotStartWhileOneIsActive) {
  struct Counter : RunObserver {
    int runs = 0;
    void RunStarted(const TestProperties&, bool) override { ++runs; }
  } counter;
  proc.SetObserver(&counter);
  RunOutcome inner = RunOutcome::Completed;
  host.At(5, [&] {
    inner = proc.RunTest(Slots({3}), false);
    proc.NewTest1Click();
    proc.Retest1Click();
  });
  proc.RunTest(Slots({2}), false);
  EXPECT_EQ(inner, RunOutcome::Refused);
  EXPECT_EQ(counter.runs, 1);
  EXPECT_FALSE(proc.Running());
}

TEST_F(TestProcedureTest, TheResponseSourceIsFixedAtTheStartOfTheRun) {
  state.Settings.rdoJoystick = true;
  host.At(10, [this] { state.Settings.rdoJoystick = false; });
  proc.RunTest(Slots({2}), false);
  ASSERT_FALSE(sound.Sources.empty());
  for (ResponseSource s : sound.Sources) EXPECT_EQ(s, ResponseSource::Joystick);
}

TEST_F(TestProcedureTest, ASelfTesterStartsTheTestByReleasingTheButton) {
  // The listener presses the button while the prompt is up and lets go three seconds later.
  host.Answer = [this](const SimHost::ShownMessage& m) {
    if (m.text == TestStartText) state.Run.ButtonPressed = true;
    return ResultOk;
  };
  host.At(3, [this] { state.Run.ButtonPressed = false; });
  proc.RunTest(Slots({2}), false);
  ASSERT_FALSE(sound.Played.empty());
  EXPECT_GE(sound.Played[0].start, 3.0);
  EXPECT_LT(sound.Played[0].start, 3.2);
}

// The press lands in the start box, so no window of the test sees it and a held key sends no
// more events: the keyboard's own state says when CTRL is let go. Presses while tones play count
// by the keyboard too; without it, the key events alone tell.
TEST_F(TestProcedureTest, TheKeyboardsOwnStateTellsWhenCtrlIsHeldAndLetGo) {
  host.Answer = [this](const SimHost::ShownMessage& m) {
    if (m.text == TestStartText) host.ControlKey = true;
    return ResultOk;
  };
  host.At(3, [this] { host.ControlKey = false; });
  // Within the first presentation (tone and pause, 3 to 5 s) the key is held down; no key event
  // reaches the program.
  host.At(4.6, [this] { host.ControlKey = true; });
  host.At(4.8, [this] { host.ControlKey = false; });
  proc.RunTest(Slots({2}), false);
  ASSERT_GE(sound.Played.size(), 2u);
  EXPECT_GE(sound.Played[0].start, 3.0);
  EXPECT_LT(sound.Played[0].start, 3.2);
  // The first tone (3 dB HL) heard: the staircase turned there.
  EXPECT_EQ(state.CurrentAudiogram.Reverse[0][1][1], 3);
}

}  // namespace
}  // namespace sonavel
