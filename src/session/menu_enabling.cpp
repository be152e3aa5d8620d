#include "session/menu_enabling.h"

namespace sonavel {

MenuEnabling EvaluateMenus(const MenuState& s) {
  MenuEnabling m;
  const bool idle = !s.TestRunning;
  m.New = idle;
  m.Open = idle;
  m.Print = s.ResultsPresent;

  // Without a wave output device there is nothing to calibrate with: the whole menu is off.
  m.CalibrationMenu = s.WaveDevicePresent;
  m.EarCalibration = idle;
  m.LoadCalibration = idle;
  m.CheckorRecalibratebyEar = s.CalibrationLoaded && idle;
  m.CalInfo = s.CalibrationLoaded;
  m.TestCompatibility = idle;

  m.NewTest = idle;
  m.Retest = s.ResultsPresent && s.CalibrationLoaded && idle;
  m.ViewResults = s.ResultsPresent;

  m.PopupRetest = m.Retest;
  m.PopupViewResults = s.ResultsPresent;
  return m;
}

}  // namespace sonavel
