// The test procedure with the simulated sound server watching the playback chain, on the virtual
// clock: the checks before a run, the end of a run at a change it did not make, and the run's
// own level changes that must not end it.
#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "core/recording_canvas.h"
#include "hearingtest/procedure.h"
#include "hearingtest/procedure_fakes.h"
#include "platform/sim/sim_endpoint_volume.h"
#include "platform/sim/sim_output_watch.h"
#include "platform/sim/sim_views.h"

namespace sonavel {
namespace {

using test::FakeSound;
using test::Presentation;

std::string Aborted(const std::string& change) {
  return change + "\n" + OutputChangedText + "\nTestprozedur unterbrochen!";
}

class WatchedRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    state.CalibrationLoaded = true;
    state.Settings.Trial = false;
    state.Settings.Retest = false;
    state.Settings.AutoRetest = false;
    for (int32_t s = 1; s <= MeasuredSlotCount; ++s) FrequencyCheck(state.Settings, s) = false;
    state.Settings.Check1000 = state.Settings.Check4000 = true;
    // The run plays on the third output, which is also the server's default; the endpoint
    // volume the run sets is the default output's volume.
    state.Settings.WaveOutDevice = 2;
    watch.Live() = {};
    watch.Live().outputs = {{"Lautsprecher"}, {"USB-Kopfhörer"}, {"Kopfhörer"}};
    watch.Live().defaultOutput = 2;
    watch.Live().outputs[2].levels.Port = "Kopfhörer";
    proc.SetOutputWatch(&watch);
    sound.Listener = [](const Presentation& p, size_t, double) { return p.levelHL >= 20; };
  }

  // Makes `change` on the server `after` seconds into the second slot of the run.
  void ChangeInSecondSlot(double after, std::function<void(SimServer&)> change) {
    struct Operator : RunObserver {
      WatchedRunTest& t;
      double after;
      std::function<void(SimServer&)> change;
      int32_t slots = 0;
      Operator(WatchedRunTest& t, double a, std::function<void(SimServer&)> c)
          : t(t), after(a), change(std::move(c)) {}
      void SlotStarted(int32_t, int32_t) override {
        if (++slots != 2) return;
        t.changedAt = t.host.Seconds() + after;
        t.watch.At(t.changedAt, change);
      }
    };
    op = std::make_unique<Operator>(*this, after, std::move(change));
    proc.SetObserver(op.get());
  }

  const ReverseRow& Row(int32_t ear, int32_t recordSlot) const {
    return state.CurrentAudiogram.Reverse[ear][recordSlot];
  }
  size_t WarningsShown() const {
    size_t n = 0;
    for (const auto& m : host.Messages) n += m.text.find("Bluetooth") != std::string::npos;
    return n;
  }

  AppState state;
  SimHost host{{{2024, 5, 6}, 14, 0, 0, 0}};
  FakeSound sound{state, host};
  RecordingCanvas graph{431, 320, ColourButtonFace};
  SimTestWindow window{state, &graph};
  SimMainWindow mainWindow;
  RegionalFormat regional = RegionalDeDe();
  SimEndpointVolume endpoint;
  SimOutputWatch watch{host, {}, &endpoint};
  TestProcedure proc{state, host, sound, window, mainWindow, regional};
  std::unique_ptr<RunObserver> op;
  double changedAt = -1;
};

TEST_F(WatchedRunTest, AChangeOfTheChainEndsTheRunLikeADeviceFailure) {
  struct Case {
    std::function<void(SimServer&)> change;
    std::string text;
  };
  const Case cases[] = {
      {[](SimServer& s) {
         s.outputs[2].levels.Volume = {0.5, 0.5};
       },
       "Die Lautstärke des Ausgabegeräts „Kopfhörer“ wurde von 100 % auf 50 % geändert."},
      {[](SimServer& s) {
         s.outputs[2].levels.Volume = {1.0, 0.7};
       },
       "Die Lautstärke des Ausgabegeräts „Kopfhörer“ wurde von 100 % auf 100 % / 70 % geändert."},
      {[](SimServer& s) { s.outputs[2].levels.Muted = true; },
       "Das Ausgabegerät „Kopfhörer“ wurde stummgeschaltet."},
      {[](SimServer& s) { s.outputs[2].levels.Port = "Lautsprecher"; },
       "Beim Ausgabegerät „Kopfhörer“ wurde der Anschluss von „Kopfhörer“ auf „Lautsprecher“ gewechselt."},
      {[](SimServer& s) { s.defaultOutput = 1; },
       "Die Standardausgabe des Audioservers wurde von „Kopfhörer“ auf „USB-Kopfhörer“ umgestellt."},
      {[](SimServer& s) {
         s.stream.Volume = {0.8, 0.8};
       },
       "Die Lautstärke des Wiedergabestroms von Sonavel wurde von 100 % auf 80 % geändert."},
      {[](SimServer& s) { s.stream.Muted = true; }, "Der Wiedergabestrom von Sonavel wurde stummgeschaltet."},
      {[](SimServer& s) { s.stream.Output = 0; },
       "Der Wiedergabestrom von Sonavel wurde vom Ausgabegerät „Kopfhörer“ auf „Lautsprecher“ verlegt."},
      {[](SimServer& s) { s.outputs[2].present = false; },
       "Das Ausgabegerät „Kopfhörer“ ist nicht mehr vorhanden."},
      {[](SimServer& s) { s.up = false; }, ServerGoneText},
  };
  for (const Case& c : cases) {
    SetUp();
    state.CurrentAudiogram = {};
    state.ResultsPresent = true;
    host.Messages.clear();
    sound.Played.clear();
    ChangeInSecondSlot(5.3, c.change);  // during the third tone of 4 kHz
    proc.NewTest1Click();

    ASSERT_FALSE(host.Messages.empty()) << c.text;
    const SimHost::ShownMessage& m = host.Messages.back();
    EXPECT_EQ(m.text, Aborted(c.text));
    EXPECT_EQ(m.icon, MessageIcon::Error);
    // Within the presentation during which it happened, at the next poll.
    ASSERT_FALSE(sound.Played.empty());
    EXPECT_LE(sound.Played.back().start, changedAt);
    EXPECT_GT(sound.Played.back().start + 2.0, changedAt);
    EXPECT_LE(m.atSeconds - changedAt, 0.05 + 1e-9) << c.text;
    // Nothing half-measured is kept: 1 kHz was complete and is lost, as after an abort.
    EXPECT_FALSE(state.ResultsPresent);
    EXPECT_TRUE(state.AbortRequested);
    for (int32_t e = 0; e < EarCount; ++e)
      for (int32_t r = 0; r < RecordSlotCount; ++r) {
        EXPECT_EQ(Row(e, r)[0], 0);
        EXPECT_EQ(state.CurrentAudiogram.Threshold[e][r], NoResult);
      }
    EXPECT_FALSE(window.Visible());
    EXPECT_FALSE(watch.Watching());
  }
}

TEST_F(WatchedRunTest, AChangeBetweenSlotsEndsTheRunBeforeTheNextTone) {
  // Made while the second slot's title is set, before its first tone.
  ChangeInSecondSlot(0, [](SimServer& s) { s.outputs[2].levels.Muted = true; });
  proc.NewTest1Click();
  EXPECT_EQ(host.Messages.back().text, Aborted("Das Ausgabegerät „Kopfhörer“ wurde stummgeschaltet."));
  for (const Presentation& p : sound.Played) EXPECT_EQ(p.frequency, 1000);
}

TEST_F(WatchedRunTest, AChangeDuringARetestPassClearsOnlyItsSlot) {
  state.ResultsPresent = true;
  state.CurrentAudiogram.Reverse[0][4] = {6, 30, 20, 30, 20, 45, 20, 0, 0, 0, 0,
                                          0, 0,  0,  0,  0,  0,  0,  0, 0, 0, 15};
  state.CurrentAudiogram.Reverse[1][6] = {6, 30, 20, 30, 20, 42, 20, 0, 0, 0, 0,
                                          0, 0,  0,  0,  0,  0,  0,  0, 0, 0, 12};
  state.CurrentAudiogram.Threshold[0][4] = 28;
  state.CurrentAudiogram.Threshold[1][6] = 27;
  ChangeInSecondSlot(3, [](SimServer& s) { s.outputs[2].levels.Volume = {0.25, 0.25}; });
  proc.Retest1Click();
  EXPECT_EQ(host.Messages.back().text,
            Aborted("Die Lautstärke des Ausgabegeräts „Kopfhörer“ wurde von 100 % auf 25 % geändert."));
  EXPECT_TRUE(state.ResultsPresent);
  EXPECT_EQ(Row(0, 4)[0], 6);  // re-measured before the change
  EXPECT_EQ(Row(0, 4)[SpreadElement], 0);
  EXPECT_EQ(Row(1, 6)[0], 0);  // interrupted
  EXPECT_EQ(state.CurrentAudiogram.Threshold[1][6], NoResult);
  EXPECT_EQ(window.Titles.size(), 2u);  // one pass only
}

TEST_F(WatchedRunTest, TheRunsOwnLevelChangesNeverEndIt) {
  // Every slot sets the endpoint volume (the default output follows it at once), and the server
  // adjusts the output's volume again `delay` seconds later, as it does after a hardware
  // card's mixer was set through ALSA. The run never sets its stream's volume: a change there
  // is somebody else's, also inside the settle time.
  struct Case {
    double delay;
    bool stream;
    bool aborts;
  };
  for (const Case c :
       {Case{0.0, false, false}, Case{0.25, false, false}, Case{0.35, false, true}, Case{0.1, true, true}}) {
    SetUp();
    host.Messages.clear();
    sound.Played.clear();
    float level = 0.4f;
    sound.OnLevelChange = [&] {
      level += 0.1f;
      endpoint.SetMasterVolumeLevelScalar(level);
      const double adjusted = level - 0.01;
      watch.At(host.Seconds() + c.delay, [adjusted, stream = c.stream](SimServer& s) {
        (stream ? s.stream.Volume : s.outputs[2].levels.Volume) = {adjusted, adjusted};
      });
    };
    proc.NewTest1Click();
    EXPECT_EQ(host.Messages.back().text.find("Testprozedur unterbrochen!") != std::string::npos, c.aborts)
        << c.delay << ": " << host.Messages.back().text;
    EXPECT_EQ(state.ResultsPresent, !c.aborts) << c.delay;
  }
}

TEST_F(WatchedRunTest, AMutedOutputIsRefusedBeforeAnythingIsCleared) {
  state.CurrentAudiogram.Threshold[0][4] = 25;
  state.ResultsPresent = true;
  watch.Live().outputs[2].levels.Muted = true;
  proc.NewTest1Click();
  ASSERT_EQ(host.Messages.size(), 1u);
  EXPECT_EQ(host.Messages[0].text,
            "Das Ausgabegerät „Kopfhörer“ ist stummgeschaltet; es wäre nichts zu hören. Bitte heben Sie "
            "die Stummschaltung auf und versuchen Sie es dann noch einmal.");
  EXPECT_EQ(host.Messages[0].buttons, ButtonOk);
  EXPECT_EQ(state.CurrentAudiogram.Threshold[0][4], 25);
  EXPECT_TRUE(state.ResultsPresent);
  EXPECT_EQ(sound.Prepared, 0);
  EXPECT_EQ(watch.StartCount, 0);
}

TEST_F(WatchedRunTest, ABluetoothOutputIsWarnedAboutOnceAndTheUserChooses) {
  watch.Live().outputs[2].bluetooth = true;
  for (int32_t answer : {ResultCancel, ResultOk}) {
    host.Messages.clear();
    sound.Played.clear();
    state.CurrentAudiogram.Threshold[0][4] = 25;
    host.QueueAnswer(answer);
    proc.NewTest1Click();
    ASSERT_FALSE(host.Messages.empty());
    EXPECT_EQ(host.Messages[0].text.rfind("Das Ausgabegerät „Kopfhörer“ ist über Bluetooth verbunden.", 0),
              0u);
    EXPECT_EQ(host.Messages[0].buttons, ButtonOk | ButtonCancel);
    EXPECT_EQ(host.Messages[0].icon, MessageIcon::Warning);
    EXPECT_EQ(WarningsShown(), 1u);
    EXPECT_EQ(sound.Played.empty(), answer == ResultCancel);
    EXPECT_EQ(state.CurrentAudiogram.Threshold[0][4] == 25, answer == ResultCancel);
  }
}

TEST_F(WatchedRunTest, TheRetestChecksOnceAndOnlyWhenItHasSomethingToMeasure) {
  watch.Live().outputs[2].bluetooth = true;
  proc.Retest1Click();  // no outliers
  EXPECT_TRUE(host.Messages.empty());

  // A New Test whose 1 kHz scatters too widely, retested at once: asked before the test only.
  state.Settings.Check4000 = false;
  state.Settings.AutoRetest = true;
  state.Settings.BeepTimeEdit = "0,5";
  state.Settings.PauseTimeEdit = "0,5";
  state.Settings.TestTimeEdit = "60";
  state.Settings.LevelStep = "1";
  state.Settings.ReverseEdit = "4";
  state.Settings.Reject1st = false;
  auto answers = std::make_shared<std::map<size_t, bool>>();
  auto phase = std::make_shared<size_t>(0);
  auto up = std::make_shared<bool>(true);
  // Turns at 20, 16, 31, 26 (spread 11), then steadily at 26.
  sound.Listener = [=](const Presentation& p, size_t index, double) {
    if (auto it = answers->find(index); it != answers->end()) return it->second;
    const double turns[] = {20, 16, 31, 26};
    const bool heard = p.levelHL >= turns[std::min<size_t>(*phase, 3)];
    if (heard == *up) {
      *up = !*up;
      ++*phase;
    }
    (*answers)[index] = heard;
    return heard;
  };
  proc.NewTest1Click();
  EXPECT_EQ(window.Titles.size(), 3u);  // both ears' 1 kHz and one retest pass of the left
  EXPECT_EQ(WarningsShown(), 1u);
  EXPECT_TRUE(state.ResultsPresent);
}

TEST_F(WatchedRunTest, WithoutAWatchOrAnAnswerNothingIsChecked) {
  watch.Live().outputs[2].levels.Muted = true;
  proc.SetOutputWatch(nullptr);
  proc.NewTest1Click();
  EXPECT_TRUE(state.ResultsPresent);
  // A device number the server does not know: the device's own open tells what is wrong.
  EXPECT_FALSE(CheckOutputBeforePlaying(&watch, 2, host));
  EXPECT_TRUE(CheckOutputBeforePlaying(&watch, 7, host));
}

}  // namespace
}  // namespace sonavel
