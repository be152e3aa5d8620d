// The hearing test: the adaptive up/down staircase over the ears and flagged frequency slots, the
// trial run, the 1 kHz repeat, abort handling and the final messages, and the two commands that
// start runs (New Test and Retest).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "audio/output_watch.h"
#include "core/host.h"
#include "core/regional.h"
#include "hearingtest/sound.h"
#include "hearingtest/views.h"
#include "model/state.h"

namespace sonavel {

// The dialog the user can silence for good (text, caption, icon, buttons, value name) -> result.
using SuppressibleMessageFunction =
    std::function<int32_t(const std::string& text, const std::string& caption, MessageIcon icon,
                          uint32_t buttons, const std::string& valueName)>;

enum class RunOutcome {
  Completed,
  Aborted,  // by the operator, by closing a window, or by a device failure
  Refused,  // not started: invalid settings or a run already active
};

class TestProcedure {
 public:
  TestProcedure(AppState& state, Host& host, TestSound& sound, TestWindowView& testWindow,
                MainWindowView& mainWindow, const RegionalFormat& regional);

  void SetSuppressibleMessage(SuppressibleMessageFunction f) { suppressibleMessage_ = std::move(f); }
  void SetObserver(RunObserver* observer) { observer_ = observer; }
  RunObserver* Observer() const { return observer_; }
  // The watch over the playback chain: checked before a run and at every poll of a run; the
  // run's own level changes are bracketed for it. nullptr: nothing is watched.
  void SetOutputWatch(OutputWatch* watch) { watch_ = watch; }

  // One run over the flagged slots. AutoRetest marks a pass of the retest command: no
  // instruction prompt before it.
  RunOutcome RunTest(TestProperties AliasProps, bool AutoRetest);

  // The New Test command, with the automatic retest when the settings ask for it.
  void NewTest1Click();
  // The Retest command: repeats passes over the outlier slots until none is left or a pass is
  // aborted.
  void Retest1Click();

  bool Running() const { return state_.Run.Active; }

 private:
  void ReadKeyboard(ResponseSource source);
  void WaitForRelease(ResponseSource source);
  bool WaitForTone(ResponseSource source, bool& heard);
  void DrawTraceTo(int32_t presentation, int32_t y);
  // True once the watch has seen the playback chain change; the change is kept for the message.
  bool OutputChanged();
  void RetestPasses(bool checkOutput);

  AppState& state_;
  Host& host_;
  TestSound& sound_;
  TestWindowView& testWindow_;
  MainWindowView& mainWindow_;
  const RegionalFormat& regional_;
  SuppressibleMessageFunction suppressibleMessage_;
  RunObserver* observer_ = nullptr;
  OutputWatch* watch_ = nullptr;
  std::string outputChange_;
};

// The test window's button and its close: both ask the running test to stop.
inline void RequestAbort(AppState& state) { state.AbortRequested = true; }
// The main window's close: the run stops and stays stopped.
inline void RequestClose(AppState& state) {
  state.Closing = true;
  state.AbortRequested = true;
}

// Texts of the run.
constexpr const char* TrialStartText =
    "Bitte bereiten Sie die Testperson vor und starten die Übungsphase mit OK";
constexpr const char* TestStartText =
    "Bitte bereiten Sie die Testperson vor und starten den Test mit OK. Falls Sie sich selbst testen, "
    "drücken Sie "
    "bitte jetzt den Reaktionstaster. Beim Loslassen startet der eigentliche Test sofort.";
constexpr const char* AbortedText = "Testprozedur unterbrochen!";
constexpr const char* CompletedText = "Test procedure completed!";
constexpr const char* RetestRecommendedText =
    "Test procedure completed! Retest recommended for the following frequencies: ";
constexpr const char* CalibrateFirstText =
    "Das Audiometer muß zunächst kalibriert werden. Möchten Sie detailierte Informationen zur Kalibrierung?";
constexpr const char* InstructionsQuestionText =
    "Soll eine Bedienungsanleitung für die Testperson angezeigt werden?";
constexpr const char* CancelCaption = "Abbrechen";
// Follows the watch's sentence when a change of the playback chain ends a run.
constexpr const char* OutputChangedText = "Die laufende Messung ist damit ungültig.";

// The title of the test window for an ear and frequency slot.
std::string TestWindowTitle(int32_t ear, int32_t frequencySlot, int32_t frequency);

}  // namespace sonavel
