// Which menu items of the main window are enabled, evaluated each time a menu opens. Items whose
// window the program does not have yet stay disabled whatever the state.
#pragma once

namespace sonavel {

struct MenuState {
  bool ResultsPresent = false;
  bool CalibrationLoaded = false;
  bool WaveDevicePresent = true;
  // A test runs: what would change its devices, its calibration or its audiogram is off (New,
  // Open, the calibration commands but the information, a second test); looking stays.
  bool TestRunning = false;
};

// The commands whose windows exist; each flag turns the items of that window on.
struct AvailableWindows {
  bool Printing = false;       // Drucken, Druckereinstellungen
  bool Settings = false;       // Einstellungen, Graph Settings
  bool Calibration = false;    // the wizard, the calibration information
  bool Compatibility = false;  // Kompatibilitätstest
  bool TestWindow = false;     // Neuen Test durchführen, Test wiederholen
  bool Results = false;        // Testergebnisse anzeigen, View Results
};

struct MenuEnabling {
  // File.
  bool New = true, Open = true, Save = true, Print = false, PrinterSetup = false, Options = false,
       Exit = true;
  // Calibration: the whole menu, then its items.
  bool CalibrationMenu = true;
  bool EarCalibration = false, LoadCalibration = true, CheckorRecalibratebyEar = false, CalInfo = false,
       TestCompatibility = false;
  // Test.
  bool NewTest = false, Retest = false, ViewResults = false;
  // The chart's context menu.
  bool PopupRetest = false, PopupViewResults = false, PopupSaveAs = true, PopupGraphSettings = false;

  friend bool operator==(const MenuEnabling&, const MenuEnabling&) = default;
};

MenuEnabling EvaluateMenus(const MenuState& state, const AvailableWindows& windows);

}  // namespace sonavel
