// Which menu items of the main window are enabled, evaluated each time a menu opens (and as a run
// starts and ends).
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

struct MenuEnabling {
  // File.
  bool New = true, Open = true, Save = true, Print = false, PrinterSetup = true, Options = true, Exit = true;
  // Calibration: the whole menu, then its items.
  bool CalibrationMenu = true;
  bool EarCalibration = false, LoadCalibration = true, CheckorRecalibratebyEar = false, CalInfo = false,
       TestCompatibility = false;
  // Test.
  bool NewTest = false, Retest = false, ViewResults = false;
  // The chart's context menu.
  bool PopupRetest = false, PopupViewResults = false, PopupSaveAs = true, PopupGraphSettings = true;

  friend bool operator==(const MenuEnabling&, const MenuEnabling&) = default;
};

MenuEnabling EvaluateMenus(const MenuState& state);

}  // namespace sonavel
