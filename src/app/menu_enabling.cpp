#include "app/menu_enabling.h"

namespace sonavel {

MenuEnabling EvaluateMenus(const MenuState& s, const AvailableWindows& w) {
  MenuEnabling m;
  const bool idle = !s.TestRunning;
  m.New = idle;
  m.Open = idle;
  m.Print = w.Printing && s.ResultsPresent;
  m.PrinterSetup = w.Printing;
  m.Options = w.Settings;

  // Without a wave output device there is nothing to calibrate with: the whole menu is off.
  m.CalibrationMenu = s.WaveDevicePresent;
  m.EarCalibration = w.Calibration && idle;
  m.LoadCalibration = idle;
  m.CheckorRecalibratebyEar = w.Calibration && s.CalibrationLoaded && idle;
  m.CalInfo = w.Calibration && s.CalibrationLoaded;
  m.TestCompatibility = w.Compatibility && idle;

  m.NewTest = w.TestWindow && idle;
  m.Retest = w.TestWindow && s.ResultsPresent && s.CalibrationLoaded && idle;
  m.ViewResults = w.Results && s.ResultsPresent;

  m.PopupRetest = w.TestWindow && s.CalibrationLoaded && s.ResultsPresent && idle;
  m.PopupViewResults = w.Results && s.ResultsPresent;
  m.PopupSaveAs = true;
  m.PopupGraphSettings = w.Settings;
  return m;
}

}  // namespace sonavel
