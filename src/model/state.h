// The program's state object: the single records and flags that cross subsystems. The
// application owns one and passes it by reference; tests build a fresh one per case.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "model/calibration_data.h"
#include "core/date_time.h"
#include "model/audiogram.h"
#include "model/settings.h"

namespace sonavel {

constexpr int32_t TraceHistorySize = 201;

// The personal-data fields of the main window, as plain values.
struct PersonalData {
  std::string LastName;          // txtLastName
  std::string FirstName;         // txtFirstName
  std::string ReferenceNumber;   // txtReferenceNumber
  std::string Organisation;      // txtOrganisation
  Date DateOfBirth{1960, 1, 1};  // dtpDOB
  std::string Comment;           // txtComment

  friend bool operator==(const PersonalData&, const PersonalData&) = default;
};

// The channel gains of an ear: 1/0 for the left ear, 0/1 for the right.
struct ChannelGains {
  int32_t Left = 0;
  int32_t Right = 0;
};
constexpr ChannelGains ChannelGainsOfEar(int32_t ear) {
  return ear == 0 ? ChannelGains{1, 0} : ChannelGains{0, 1};
}

// The run-time values of a test; they mean something only while a run is active or just ended.
struct TestRunState {
  // A run is going on: nothing may change its devices, its calibration or its audiogram until
  // it ends (the commands that would are refused and their menu items disabled).
  bool Active = false;
  int32_t CurrentEar = 0;
  int32_t PresentationCount = 0;
  int32_t TracePixelStep = 0;
  std::array<int32_t, TraceHistorySize> TraceHistory{};
  double CurrentLevel = 0;
  bool ButtonPressed = false;
  int32_t LeftChannelGain = 0;
  int32_t RightChannelGain = 0;
};

struct AppState {
  // Results.
  PatientFile CurrentAudiogram;
  bool ResultsPresent = false;
  FrequencyTableType FrequencyTable = DefaultFrequencyTable;
  PersonalData Personal;

  // Settings and calibration.
  SettingsRecord Settings;
  CalibrationTable CalibrationData{};
  bool CalibrationLoaded = false;

  // Shell.
  std::string CommandLine;  // every argument followed by one blank
  bool UseEndpointVolume = false;

  // Set when the main window closes or a run is asked to stop; stays set after an aborted run
  // until the next run starts.
  bool AbortRequested = false;
  // Set when the main window closes: the program is ending, so a running test stops at the end
  // of the current presentation and asks nothing further (no start of the measured test).
  bool Closing = false;
  TestRunState Run;
};

inline void SelectEarChannel(AppState& state, int32_t ear) {
  const ChannelGains gains = ChannelGainsOfEar(ear);
  state.Run.LeftChannelGain = gains.Left;
  state.Run.RightChannelGain = gains.Right;
}

}  // namespace sonavel
