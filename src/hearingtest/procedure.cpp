#include "hearingtest/procedure.h"

#include <algorithm>

#include "core/rounding.h"
#include "hearingtest/graph.h"
#include "hearingtest/inputs.h"
#include "results/analysis.h"

namespace sonavel {

namespace {

constexpr int32_t PollMilliseconds = 50;
constexpr int32_t HelpCalibration = 11;
constexpr int32_t HelpInstructions = 14;

// Clears a flag for the time of a scope, whatever way the scope is left.
class RunningGuard {
 public:
  explicit RunningGuard(bool& flag) : flag_(flag) { flag_ = true; }
  ~RunningGuard() { flag_ = false; }

 private:
  bool& flag_;
};

// The larger of the ranges of the odd and of the even entries first..n, each range starting from
// a maximum of -100 and a minimum of 100.
int32_t SpreadOf(const ReverseRow& row, int32_t first, int32_t n) {
  int32_t oddMax = -100, oddMin = 100, evenMax = -100, evenMin = 100;
  for (int32_t k = first; k <= n; ++k) {
    if (k % 2 == 1) {
      oddMax = std::max(oddMax, row[k]);
      oddMin = std::min(oddMin, row[k]);
    } else {
      evenMax = std::max(evenMax, row[k]);
      evenMin = std::min(evenMin, row[k]);
    }
  }
  return std::max(oddMax - oddMin, evenMax - evenMin);
}

}  // namespace

std::string TestWindowTitle(int32_t ear, int32_t frequencySlot, int32_t frequency) {
  const std::string hz = std::to_string(frequency);
  if (ear == 0 && frequencySlot == TrialSlot) return "Audiogramm - Probelauf linkes Ohr bei " + hz + " Hz ";
  if (ear == 0 && frequencySlot == RepeatSlot) return "Audiogramm - Testwiederholung bei 1000 Hz ";
  if (ear == 0) return "Audiogramm - Hörtest linkes Ohr bei " + hz + " Hz ";
  return "Audiogramm - Hörtest rechtes Ohr bei " + hz + " Hz ";
}

TestProcedure::TestProcedure(AppState& state, Host& host, TestSound& sound, TestWindowView& testWindow,
                             MainWindowView& mainWindow, const RegionalFormat& regional)
    : state_(state),
      host_(host),
      sound_(sound),
      testWindow_(testWindow),
      mainWindow_(mainWindow),
      regional_(regional) {}

void TestProcedure::ReadKeyboard(ResponseSource source) {
  // The key events say what reached the program's windows; the keyboard itself says what is
  // down, also a CTRL pressed while a box had the keyboard (the listener testing himself holds
  // it while he clicks OK).
  if (source != ResponseSource::CtrlKey) return;
  if (const std::optional<bool> down = host_.ControlKeyDown()) state_.Run.ButtonPressed = *down;
}

void TestProcedure::WaitForRelease(ResponseSource source) {
  do {
    host_.ProcessMessages();
    host_.Sleep(PollMilliseconds);
    ReadKeyboard(source);
    sound_.PollResponse(source);
  } while (state_.Run.ButtonPressed && testWindow_.Visible());
}

bool TestProcedure::WaitForTone(ResponseSource source, bool& heard) {
  while (true) {
    ReadKeyboard(source);
    if (sound_.PollResponse(source)) heard = true;
    host_.ProcessMessages();
    host_.Sleep(PollMilliseconds);
    if (OutputChanged()) return false;
    if (sound_.ToneDone()) return !sound_.Failed();
  }
}

bool TestProcedure::OutputChanged() {
  if (!watch_ || !outputChange_.empty()) return !outputChange_.empty();
  outputChange_ = watch_->Change();
  return !outputChange_.empty();
}

void TestProcedure::DrawTraceTo(int32_t presentation, int32_t y) {
  // The history holds 201 points; later points of a slot are neither kept nor drawn.
  if (presentation < 1 || presentation >= TraceHistorySize) return;
  Canvas& graph = testWindow_.Graph();
  graph.MoveTo(TraceX(presentation - 1, state_.Run.TracePixelStep),
               state_.Run.TraceHistory[presentation - 1]);
  graph.LineTo(TraceX(presentation, state_.Run.TracePixelStep), y);
  state_.Run.TraceHistory[presentation] = y;
}

RunOutcome TestProcedure::RunTest(TestProperties AliasProps, bool AutoRetest) {
  if (state_.Run.Active) return RunOutcome::Refused;
  const TestInputsResult read = ReadTestInputs(state_.Settings, regional_.DecimalSeparator);
  if (!read.inputs) {
    host_.MessageBox(read.error, "", MessageIcon::Error, ButtonOk);
    return RunOutcome::Refused;
  }
  const TestInputs in = *read.inputs;
  RunningGuard guard(state_.Run.Active);
  if (observer_) observer_->RunStarted(AliasProps, AutoRetest);

  // Start of the run.
  std::string retestList;
  state_.Run.PresentationCount = 0;
  state_.AbortRequested = false;
  testWindow_.Show();
  ToneBuffer buffer;
  testWindow_.Repaint();
  host_.ProcessMessages();
  // The response source holds for the whole run, whatever the dialog does meanwhile.
  const ResponseSource source =
      ResponseIsJoystick(state_.Settings) ? ResponseSource::Joystick : ResponseSource::CtrlKey;
  state_.Run.ButtonPressed = false;
  state_.Run.TracePixelStep = in.TracePixelStep;

  // Trial run preparation, or the instruction prompt.
  bool trial = AliasProps.RunThisFreq[0][TrialSlot];
  if (trial) {
    int32_t first = 0;
    for (int32_t s = 1; s < FrequencySlotCount && first == 0; ++s)
      if (AliasProps.RunThisFreq[0][s]) first = s;
    if (first == 0) {
      // Nothing for the left ear to take the trial run's frequency from: no trial run.
      trial = false;
      AliasProps.RunThisFreq[0][TrialSlot] = false;
    } else {
      for (int32_t e = 0; e < EarCount; ++e)
        state_.CalibrationData[e][TrialSlot] = state_.CalibrationData[e][first];
      state_.FrequencyTable[TrialSlot] = state_.FrequencyTable[first];
      host_.MessageBox(TrialStartText, "", MessageIcon::None, ButtonOk);
    }
  }
  if (!trial && !AutoRetest) {
    host_.MessageBox(TestStartText, "", MessageIcon::None, ButtonOk);
    WaitForRelease(source);
    testWindow_.SetNextCaption(CancelCaption);
  }

  // Output preparation.
  {
    OwnChange own(watch_);
    sound_.PrepareSoundCard();
  }
  for (int32_t e = 0; e < EarCount; ++e)
    state_.CalibrationData[e][RepeatSlot] = state_.CalibrationData[e][Slot1000];
  bool deviceFailed = !sound_.OpenToneOutput(state_.Settings.WaveOutDevice);
  outputChange_.clear();
  if (watch_ && !deviceFailed) watch_->StartWatching(state_.Settings.WaveOutDevice);
  state_.Run.CurrentLevel = InternalLevel(in.LevelStart);

  bool stoppedQuietly = false;
  int32_t abortEar = 0, abortSlot = -1;
  const int32_t firstEar = state_.Settings.FirstEar ? LeftEar : RightEar;
  for (int32_t pass = 0; pass < 2 && !deviceFailed; ++pass) {
    const int32_t ear = pass == 0 ? firstEar : 1 - firstEar;
    state_.Run.CurrentEar = ear;
    SelectEarChannel(state_, ear);
    for (int32_t s = 0; s < FrequencySlotCount; ++s) {
      if (state_.Closing) {
        // The program closed during a dialog before the slot: no further tone.
        stoppedQuietly = true;
        break;
      }
      testWindow_.Show();
      state_.Run.PresentationCount = 0;
      if (!AliasProps.RunThisFreq[ear][s]) continue;
      if (ear == RightEar && (s == TrialSlot || s == RepeatSlot)) continue;
      testWindow_.SetTitle(TestWindowTitle(ear, s, state_.FrequencyTable[s]));
      host_.ProcessMessages();
      if (observer_) observer_->SlotStarted(ear, s);

      // Slot start.
      bool up = true;
      int32_t n = 0;
      Canvas& graph = testWindow_.Graph();
      PaintAxes(graph, state_.Settings.GraphColours);
      const int32_t y0 = TraceY(state_.Run.CurrentLevel);
      graph.MoveTo(25, y0);
      graph.SetPenColour(TraceColour(state_.Settings.GraphColours, ear));
      state_.Run.TraceHistory[0] = y0;
      {
        OwnChange own(watch_);
        sound_.SetOutputLevels(ear, s);
      }

      // Presentations until a reversal event ends the slot.
      bool slotEnded = false;
      while (!slotEnded) {
        state_.Run.PresentationCount += 1;
        bool heard = false;
        state_.AbortRequested = state_.Closing;
        bool ceiling = false;
        state_.Run.CurrentLevel += up ? in.LevelStep : -in.LevelStep;
        if (state_.Run.CurrentLevel > 0) ceiling = true;
        CreateSound(state_.FrequencyTable[s],
                    state_.Run.CurrentLevel - state_.CalibrationData[ear][s].LevelOffset, in.BeepTime,
                    in.PauseTime, buffer, true, state_.Run.LeftChannelGain, state_.Run.RightChannelGain);
        // A change during a dialog or between slots ends the run before the next tone.
        if (OutputChanged() || !sound_.PlayToneBuffer(buffer)) {
          deviceFailed = true;
        } else {
          if (observer_) observer_->PresentationStarted(ear, s, HearingLevel(state_.Run.CurrentLevel));
          const int32_t c = state_.Run.PresentationCount;
          const int32_t y = TraceY(state_.Run.CurrentLevel);
          DrawTraceTo(c, y);
          if (s == TrialSlot && int64_t{state_.Run.TracePixelStep} * c >= 300) {
            // The trial run's trace starts again at the left, over the old one.
            state_.Run.PresentationCount = 0;
            state_.Run.TraceHistory[0] = y;
          }
          if (!WaitForTone(source, heard)) deviceFailed = true;
        }
        buffer.Clear();
        host_.ProcessMessages();
        if (deviceFailed) break;

        // Reversal and end rules.
        const bool timeUp = static_cast<long double>(state_.Run.PresentationCount) * in.Period >= in.TestTime;
        const bool turned = heard == up;
        if (!(timeUp || turned || state_.AbortRequested || ceiling)) continue;
        up = !up;
        n += 1;
        if (s > 0 && n <= MaxReversalEntries)
          state_.CurrentAudiogram.Reverse[ear][s - 1][n] =
              RoundHalfEven32(HearingLevel(state_.Run.CurrentLevel));
        if (state_.Run.CurrentLevel > 0) state_.Run.CurrentLevel = InternalLevel(in.LevelStart);
        slotEnded = (s > 0 && (timeUp || n >= in.ReverseTarget)) || state_.AbortRequested || ceiling;
      }
      if (deviceFailed) {
        abortEar = ear, abortSlot = s;
        break;
      }

      if (s > 0) {
        // Slot evaluation.
        if (!state_.AbortRequested && n > 1) {
          ReverseRow& row = state_.CurrentAudiogram.Reverse[ear][s - 1];
          const bool reject1st = state_.Settings.Reject1st;
          const int32_t first = reject1st ? 2 : 1;
          ReverseRow counted = row;
          counted[0] = n;
          state_.CurrentAudiogram.Threshold[ear][s - 1] = ThresholdOfRow(counted, reject1st);
          row[SpreadElement] = SpreadOf(row, first, n);
          // The end message's list: spreads too wide only, "Hz(L); " without a blank; the
          // results window lists every inaccurate result (RetestText).
          if (row[SpreadElement] > SpreadLimit)
            retestList += std::to_string(state_.FrequencyTable[s]) + (ear == 0 ? "Hz(L); " : "Hz(R); ");
          row[0] = n;
          if (state_.Settings.RealTimeCalc) mainWindow_.RepaintAudiogram();
        }
      } else {
        // End of the trial run, whatever ended it; a closed program asks nothing more.
        if (state_.Closing) {
          stoppedQuietly = true;
          break;
        }
        const int32_t answer =
            host_.MessageBox(TestStartText, "", MessageIcon::Warning, ButtonOk | ButtonCancel);
        if (answer == ResultOk) {
          state_.AbortRequested = false;
          WaitForRelease(source);
          testWindow_.SetNextCaption(CancelCaption);
        } else {
          // Cancel ends the run quietly, also after a trial run that ended at the ceiling.
          stoppedQuietly = true;
          break;
        }
      }
      if (s == RepeatSlot || state_.AbortRequested) {
        abortEar = ear, abortSlot = s;
        break;
      }
    }
    if (stoppedQuietly || state_.AbortRequested) break;
  }

  // End of the run.
  if (watch_) watch_->StopWatching();
  sound_.CloseToneOutput();
  bool aborted = false;
  if (deviceFailed) {
    // A device that fails ends the run like an abort, with the device's own message; so does
    // a change of the playback chain, with what changed.
    const std::string why = !outputChange_.empty() ? outputChange_ + "\n" + OutputChangedText
                                                   : "Fehler bei der Tonausgabe: " + sound_.FailureText();
    host_.MessageBox(why + "\nTestprozedur unterbrochen!", "Sonavel", MessageIcon::Error, ButtonOk);
    state_.AbortRequested = true;
  }
  if (stoppedQuietly) {
    aborted = true;
  } else if (state_.AbortRequested) {
    aborted = true;
    if (!deviceFailed) host_.ShowMessage(AbortedText);
    if (AliasProps.Retest) {
      if (abortSlot > 0) state_.CurrentAudiogram.ClearSlot(abortEar, abortSlot - 1);
    } else {
      state_.ResultsPresent = false;
      for (int32_t e = 0; e < EarCount; ++e)
        for (int32_t s = 1; s < FrequencySlotCount; ++s)
          if (AliasProps.RunThisFreq[e][s]) state_.CurrentAudiogram.ClearSlot(e, s - 1);
    }
    mainWindow_.RepaintAudiogram();
  } else {
    if (!retestList.empty() && !state_.Settings.AutoRetest)
      host_.ShowMessage(RetestRecommendedText + retestList);
    else if (retestList.empty())
      host_.ShowMessage(CompletedText);
    state_.ResultsPresent = true;
    const LocalDateTime now = host_.Now();
    state_.CurrentAudiogram.TestDateStamp = TestDateStampOf(now.Day);
    state_.CurrentAudiogram.TestTimeStamp = TestTimeStampOf(now.Hour, now.Minute);
  }
  testWindow_.Hide();
  mainWindow_.SetEnabled(true);
  if (observer_) observer_->RunEnded(aborted);
  return aborted ? RunOutcome::Aborted : RunOutcome::Completed;
}

void TestProcedure::NewTest1Click() {
  if (state_.Run.Active) return;
  if (!state_.CalibrationLoaded) {
    if (host_.MessageBox(CalibrateFirstText, "Information", MessageIcon::Information, ButtonYes | ButtonNo) ==
        ResultYes)
      host_.OpenHelp(HelpCalibration);
    return;
  }
  // Refuse bad settings before anything of the audiogram is cleared.
  const TestInputsResult read = ReadTestInputs(state_.Settings, regional_.DecimalSeparator);
  if (!read.inputs) {
    host_.MessageBox(read.error, "", MessageIcon::Error, ButtonOk);
    return;
  }
  if (!CheckOutputBeforePlaying(watch_, state_.Settings.WaveOutDevice, host_)) return;
  if (suppressibleMessage_ &&
      suppressibleMessage_(InstructionsQuestionText, "Information", MessageIcon::Information,
                           ButtonYes | ButtonNo, CalibrateFirstText) == ResultYes)
    host_.OpenHelp(HelpInstructions);

  state_.CurrentAudiogram.ClearAll();
  mainWindow_.RepaintAudiogram();

  TestProperties props;
  for (int32_t e = 0; e < EarCount; ++e) {
    props.RunThisFreq[e][TrialSlot] = state_.Settings.Trial;
    for (int32_t s = 1; s <= MeasuredSlotCount; ++s)
      props.RunThisFreq[e][s] = FrequencyCheck(state_.Settings, s);
    props.RunThisFreq[e][RepeatSlot] = state_.Settings.Retest;
  }
  props.Retest = false;
  const RunOutcome outcome = RunTest(props, false);
  if (outcome == RunOutcome::Completed && state_.Settings.AutoRetest && !state_.AbortRequested)
    RetestPasses(false);
}

void TestProcedure::Retest1Click() {
  if (state_.Run.Active) return;
  RetestPasses(true);
}

void TestProcedure::RetestPasses(bool checkOutput) {
  while (true) {
    TestProperties props;
    bool any = false;
    for (int32_t e = 0; e < EarCount; ++e)
      for (int32_t r = 0; r < RecordSlotCount; ++r) {
        const ReverseRow& row = state_.CurrentAudiogram.Reverse[e][r];
        if (SpreadTooWide(row)) {
          props.RunThisFreq[e][r + 1] = true;
          any = true;
        }
      }
    props.Retest = true;
    if (!any) return;
    if (checkOutput && !CheckOutputBeforePlaying(watch_, state_.Settings.WaveOutDevice, host_)) return;
    checkOutput = false;
    if (RunTest(props, true) != RunOutcome::Completed || state_.AbortRequested) return;
  }
}

}  // namespace sonavel
