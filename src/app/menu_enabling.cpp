#include "app/menu_enabling.h"

namespace sonavel {

MenuEnabling EvaluateMenus(const MenuState& s, const AvailableWindows& w) {
  MenuEnabling m;
  m.Print = w.Printing && s.ResultsPresent;
  m.PrinterSetup = w.Printing;
  m.Options = w.Settings;

  // Without a wave output device there is nothing to calibrate with: the whole menu is off.
  m.CalibrationMenu = s.WaveDevicePresent;
  m.EarCalibration = w.Calibration;
  m.LoadCalibration = true;
  m.CheckorRecalibratebyEar = w.Calibration && s.CalibrationLoaded;
  m.CalInfo = w.Calibration && s.CalibrationLoaded;
  m.TestCompatibility = w.Compatibility;

  m.NewTest = w.TestWindow;
  m.Retest = w.TestWindow && s.ResultsPresent && s.CalibrationLoaded;
  m.ViewResults = w.Results && s.ResultsPresent;

  m.PopupRetest = w.TestWindow && s.CalibrationLoaded && s.ResultsPresent;
  m.PopupViewResults = w.Results && s.ResultsPresent;
  m.PopupSaveAs = true;
  m.PopupGraphSettings = w.Settings;
  return m;
}

}  // namespace sonavel
