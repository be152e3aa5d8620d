// The rules of the settings window, without the window: the bounds of the four timed fields,
// what a changed check box or radio button sets off, what a changed colour recolours, the help
// context of each page, the light of the response-button check, the entries of the device lists
// and the desktop tools behind the two settings buttons. The window only maps its controls onto
// these.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "audio/wave_out.h"
#include "model/state.h"
#include "hearingtest/joystick.h"
#include "model/settings.h"

namespace sonavel {

// ---------------------------------------------------------------------------------------------
// The bounded fields, checked when the user leaves them.

enum class BoundedField { BeepTimeEdit, PauseTimeEdit, TestTimeEdit, ReverseEdit };

// The text the field holds after the user left it: the upper bound is tested first, then the
// lower bound on the text as it then stands; a number within the bounds stays exactly as typed
// (007 stays 007), a text that does not convert takes the field's fallback. The two durations
// are read in the user's number format, the other two as whole numbers.
std::string BoundedFieldText(BoundedField field, const std::string& text, char decimalSeparator);

// The text of that field in the record.
std::string& BoundedFieldOf(SettingsRecord& s, BoundedField field);

// ---------------------------------------------------------------------------------------------
// Follow-ups of the check boxes and radio buttons.

// What the rules act on besides the record: the dialog's controls and the windows it repaints.
class SettingsDialogView {
 public:
  virtual ~SettingsDialogView() = default;
  virtual void SetCheck1000Enabled(bool enabled) = 0;
  // Label26, "Joystick Button State", the light and Button1.
  virtual void SetJoystickControlsVisible(bool visible) = 0;
  virtual void RepaintAudiogram() = 0;
  virtual void RepaintTestGraph() = 0;
  virtual void SetAudiogramAreaColour(Colour colour) = 0;
  virtual void SetAudiogramFrameColour(Colour colour) = 0;
  virtual void SetMainWindowColour(Colour colour) = 0;
};

// Runs the follow-up of the Boolean field `field` (a member of SettingsRecord), whose new value
// the record already holds. Called for a change by the user and for a change by the load, never
// for a control set to the state it had. Fields without a follow-up do nothing.
void RunSettingFollowUp(bool SettingsRecord::*field, AppState& state, SettingsDialogView& view);

// ---------------------------------------------------------------------------------------------
// Colours.

enum class ColourEffect {
  RepaintCharts,  // the main chart and the test window's graph
  AudiogramArea,  // the audiogram area and the group frame around it
  MainWindow,     // the main window's background
  None,           // an index outside the list
};
ColourEffect ColourEffectOf(int32_t index);

// The colour dialog's pick for list entry `index`: GraphColours takes it and the effect of the
// index follows. An index outside the list changes nothing.
void ApplyColourChange(AppState& state, int32_t index, Colour colour, SettingsDialogView& view);

// The list's entries, entry i standing for GraphColours index i.
const std::vector<std::string>& ColourListEntries();

// ---------------------------------------------------------------------------------------------
// Pages and help.

enum SettingsPage : int32_t {
  PageTestProcedure = 0,
  PageSoundCard = 1,
  PageFileHandling = 2,
  PageGraphSettings = 3,
  PageCalibration = 4,
};
constexpr int32_t SettingsPageCount = 5;
constexpr int32_t SettingsInitialHelpContext = 5;

// The help context of a page (0 for the Calibration page, which has none of its own).
int32_t PageHelpContext(int32_t page);
// The topic "Hilfe" opens for the window's help context: a page without a topic of its own
// opens the calibration topic, the one that explains the calibration file, instead of a
// missing topic.
int32_t HelpTopicOf(int32_t helpContext);

// The light timer runs exactly while the user has the Hardware page selected: a page selected
// by a command (the first start, the mixer device check) does not start it, and closing the
// window stops it.
class LightTimerRule {
 public:
  // Returns whether the timer runs now.
  bool UserSelectedPage(int32_t page) { return running_ = page == PageSoundCard; }
  bool Closed() { return running_ = false; }
  bool Running() const { return running_; }

 private:
  bool running_ = false;
};

// ---------------------------------------------------------------------------------------------
// The light and the device lists.

constexpr Colour LightPressed = ColourRed;
constexpr Colour LightReleased = ColourBlack;
// One poll of game controller 1: red while any of its buttons is down, black otherwise (also
// when no controller answers).
Colour PollLight(Joystick& joystick);

constexpr const char* NoDevicesText = "No Devices present";
constexpr const char* MixerDeviceGoneText =
    "Previously used Sound Device no longer present. Please select new Device!";

// The entries of the wave output list, in device-number order (names cut to 32 characters).
std::vector<std::string> WaveOutListEntries(WaveOut& waveOut);

// Whether the stored mixer device number names no device of the list. A negative number (an
// empty selection that OK stored) counts as gone too, so the user is asked to pick one.
bool MixerDeviceGone(int64_t storedNumber, uint32_t mixerDeviceCount);

// ---------------------------------------------------------------------------------------------
// The desktop's own settings tools.

struct DesktopTool {
  std::string Program;
  std::vector<std::string> Arguments;
};

enum class SettingsTool { Sound, Joystick };
// The tools tried in order.
const std::vector<DesktopTool>& DesktopToolsFor(SettingsTool tool);
// The first tool that `installed` finds (it gets a program name), or nothing.
std::optional<DesktopTool> FindDesktopTool(SettingsTool tool,
                                           const std::function<bool(const std::string&)>& installed);
// The message when none is installed: what to install.
std::string MissingToolText(SettingsTool tool);

}  // namespace sonavel
