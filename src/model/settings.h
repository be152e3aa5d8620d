// The record of user settings: one field per settings-dialog control, named like it, plus the
// chart colours and the default calibration file. Numeric settings are held as text, exactly
// as typed; every reader converts them where it uses them.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/colour.h"

namespace sonavel {

// Indexes of GraphColours.
enum GraphColourIndex : int32_t {
  ColourReversalsLeft = 0,
  ColourReversalsRight = 1,
  ColourAxesGrid = 2,
  ColourAudiogramBackground = 3,
  ColourApplicationBackground = 4,
  ColourThresholdsLeft = 5,
  ColourThresholdsRight = 6,
};
constexpr int32_t GraphColourCount = 7;
using GraphColourSet = std::array<Colour, GraphColourCount>;

// The defaults after a failed load; indexes 3 and 4 take the colours the audiogram area and the
// main window have at that moment.
GraphColourSet DefaultGraphColours(Colour audiogramAreaColour = ColourOlive,
                                   Colour mainWindowColour = ColourButtonFace);

constexpr const char* NoCalFilenameText = "Keine Datei ausgewählt";

struct SettingsRecord {
  // Test procedure.
  bool Check125 = false;
  bool Check250 = true;
  bool Check500 = true;
  bool Check750 = false;
  bool Check1000 = true;
  bool Check1500 = false;
  bool Check2000 = true;
  bool Check3000 = true;
  bool Check4000 = true;
  bool Check6000 = true;
  bool Check8000 = true;
  bool Trial = true;
  bool Retest = true;
  bool AutoRetest = true;
  bool FirstEar = true;
  std::string BeepTimeEdit = "1";
  std::string PauseTimeEdit = "1";
  std::string LevelStep = "3";
  std::string LevelStart = "0";
  std::string TestTimeEdit = "30";
  std::string ReverseEdit = "6";
  bool chkDisableSS = true;

  // Hardware: list indexes, -1 = no selection.
  int32_t WaveOutDevice = -1;
  int32_t MixerDevice = -1;
  bool rdoJoystick = false;
  bool rdoCTRL = true;

  // Suggested file names.
  bool IncludeLName = true;
  bool IncludeFName = true;
  bool IncludeRef = false;
  bool IncludeDept = false;
  bool IncludeDOB = false;
  bool IncludeDate = true;
  bool IncludeTime = false;

  // Chart.
  bool ShowReversals = true;
  bool ShowThresholds = true;
  bool MarkSuspicious = true;
  bool Reject1st = true;
  bool RealTimeCalc = true;
  GraphColourSet GraphColours = DefaultGraphColours();

  // Calibration.
  bool chkLoadCal = false;
  std::string CalFilename = NoCalFilenameText;
  bool chkPrintCal = false;

  friend bool operator==(const SettingsRecord&, const SettingsRecord&) = default;
};

// The check boxes Check125 .. Check8000 in frequency-slot order (slot 1 .. 11; other slots throw
// std::out_of_range).
bool& FrequencyCheck(SettingsRecord& s, int32_t frequencySlot);
bool FrequencyCheck(const SettingsRecord& s, int32_t frequencySlot);

// The rule between the 1 kHz repeat and the 1 kHz check box: while Retest is on, Check1000 is
// on and locked. Turning Retest off unlocks Check1000 and leaves its value. Returns whether
// Check1000 may be edited.
bool ApplyRetestRule(SettingsRecord& s);

// The reversals a result needs to count as accurate while "Min. Reversals" holds no number.
constexpr int32_t DefaultMinReversals = 6;

// The response input is the joystick only when rdoJoystick is set; otherwise the CTRL key,
// whatever rdoCTRL holds.
inline bool ResponseIsJoystick(const SettingsRecord& s) { return s.rdoJoystick; }

}  // namespace sonavel
