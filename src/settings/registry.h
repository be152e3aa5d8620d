// Loading the settings record from the settings key and storing it there, with the failure
// rules of the load (stop at the failing value, tell the user, fall back on default colours and
// devices) and the first-start check. What a loaded value sets off outside the record (the
// dialog's controls, the window colours, the device lists, showing the settings window) goes
// through SettingsFollowUp, which the settings dialog implements.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/host.h"
#include "settings/key_store.h"
#include "model/settings.h"

namespace sonavel {

enum class RegistryFieldType { Boolean, Integer, Text };

// One value of the key and the field of the record that it holds.
struct RegistryField {
  int32_t Number;         // 1..47, the load order
  const char* ValueName;  // "Test 125Hz"
  const char* FieldName;  // "Check125"
  RegistryFieldType Type;
  bool SettingsRecord::*Boolean = nullptr;
  int32_t SettingsRecord::*Integer = nullptr;  // the two device selections
  std::string SettingsRecord::*Text = nullptr;
  int32_t ColourIndex = -1;  // a GraphColours entry
};

constexpr int32_t RegistryFieldCount = 47;
// In load order (1..47).
const std::array<RegistryField, RegistryFieldCount>& RegistryFields();
// The store's order: 1..45, then 47, then 46.
std::array<const RegistryField*, RegistryFieldCount> RegistryStoreOrder();

constexpr const char* RegistryReadErrorText = "Fehler beim Lesen der Registry! Benutze Standardwerte.";
constexpr const char* FirstRunValueName = "FirstRun";

// The settings dialog's side of a load.
class SettingsFollowUp {
 public:
  virtual ~SettingsFollowUp() = default;

  // The load changed this field, as if the user had changed its control (for instance Retest
  // locks Check1000, Reject1st recomputes the thresholds, ShowReversals repaints the chart).
  // The record already holds the new value.
  virtual void SettingChanged(const RegistryField& field) { (void)field; }

  // "Colour Audiogram Background" and "Colour Application Background" also colour the
  // audiogram area and the main window.
  virtual void AudiogramAreaColourLoaded(Colour colour) { (void)colour; }
  virtual void MainWindowColourLoaded(Colour colour) { (void)colour; }
  // The colours the two areas have now; the defaults of GraphColours 3 and 4 after a failed load.
  virtual Colour AudiogramAreaColour() = 0;
  virtual Colour MainWindowColour() = 0;

  // The number of entries of the device lists; nullopt when there are no lists to check the
  // stored numbers against (then any number from 0 up is taken as it stands).
  virtual std::optional<int32_t> WaveOutDeviceCount() { return std::nullopt; }
  virtual std::optional<int32_t> MixerDeviceCount() { return std::nullopt; }

  // The last step of the first-start sequence: restore the application, select the Hardware
  // page, disable the main window and show the settings window.
  virtual void ShowSettingsOnHardwarePage() {}
};

// A follow-up without windows (the CLI, tests): it keeps the two area colours as the load sets
// them, starting from the colours the windows have at start-up.
class PlainSettingsFollowUp : public SettingsFollowUp {
 public:
  void AudiogramAreaColourLoaded(Colour colour) override { AreaColour = colour; }
  void MainWindowColourLoaded(Colour colour) override { WindowColour = colour; }
  Colour AudiogramAreaColour() override { return AreaColour; }
  Colour MainWindowColour() override { return WindowColour; }

  Colour AreaColour = ColourOlive;
  Colour WindowColour = ColourButtonFace;
};

struct RegistryLoadResult {
  bool Succeeded = true;
  std::string FailedValue;  // the value at which the load stopped
  // The stored "Mixer Device Number", also when no list entry has it; 0 when the defaults ran.
  int32_t MixerDeviceNumber = 0;
};

// Steps 1 to 4 of the load: every value in table order into the record, stopping at the first
// one that fails (then ApplyRegistryDefaults). A failed load is told by the result; the caller
// shows RegistryReadErrorText.
RegistryLoadResult LoadRegistryValues(KeyStore& store, SettingsRecord& Settings, SettingsFollowUp& followUp);

// Reads FirstRun and runs the first-start sequence when it is 1. A FirstRun that is missing or
// not a number throws SonavelError naming it: the operation that asked for the load ends there.
void FirstStartCheck(KeyStore& store, SettingsFollowUp& followUp, Host& host);

// The load (a failure shown through the host), then the first-start check.
RegistryLoadResult ReadRegistry(KeyStore& store, SettingsRecord& Settings, SettingsFollowUp& followUp,
                                Host& host);

// All seven colours to their defaults (3 and 4 from the areas' current colours) and the first
// entry of both device lists (none when a list is empty). No other field changes.
void ApplyRegistryDefaults(SettingsRecord& Settings, SettingsFollowUp& followUp);

// Stores the record in the store's order. A failure throws SonavelError naming the value;
// the values written before it stay written.
void WriteRegistry(KeyStore& store, const SettingsRecord& Settings);

// The values of the record as the store writes them, in the store's order.
std::vector<std::pair<std::string, RegistryValue>> RegistryValuesOf(const SettingsRecord& Settings);

// The settings an installation writes: the defaults, with the first entry of each device list.
SettingsRecord InstallationSettings();
// A whole key as an installation writes it: FirstRun (1 asks for the first-start sequence), then
// the record's values in the store's order.
std::vector<std::pair<std::string, RegistryValue>> InstalledKeyValues(const SettingsRecord& Settings,
                                                                      bool firstRun);

// The texts of failed registry operations; each names the value.
std::string RegistryInvalidDataText(const std::string& valueName);
std::string RegistrySetFailedText(const std::string& valueName);

}  // namespace sonavel
