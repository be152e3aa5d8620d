#include "session/menu_enabling.h"

#include <gtest/gtest.h>

namespace sonavel {
namespace {

// The rules of the items over every state.
TEST(MenuEnabling, RulesOverEveryState) {
  struct Row {
    bool results, calibration, wave;
    bool print, retest, viewResults, checkCal, calInfo, calMenu, popupRetest;
  };
  const Row rows[] = {
      {false, false, true, false, false, false, false, false, true, false},
      {true, false, true, true, false, true, false, false, true, false},
      {false, true, true, false, false, false, true, true, true, false},
      {true, true, true, true, true, true, true, true, true, true},
      {false, false, false, false, false, false, false, false, false, false},
      {true, false, false, true, false, true, false, false, false, false},
      {false, true, false, false, false, false, true, true, false, false},
      {true, true, false, true, true, true, true, true, false, true},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << "results " << r.results << " calibration " << r.calibration << " wave "
                                    << r.wave);
    const MenuEnabling m = EvaluateMenus({r.results, r.calibration, r.wave});
    EXPECT_EQ(m.Print, r.print);
    EXPECT_EQ(m.Retest, r.retest);
    EXPECT_EQ(m.ViewResults, r.viewResults);
    EXPECT_EQ(m.PopupViewResults, r.viewResults);
    EXPECT_EQ(m.CheckorRecalibratebyEar, r.checkCal);
    EXPECT_EQ(m.CalInfo, r.calInfo);
    EXPECT_EQ(m.CalibrationMenu, r.calMenu);
    EXPECT_EQ(m.PopupRetest, r.popupRetest);
    EXPECT_TRUE(m.New && m.Open && m.Save && m.PopupSaveAs && m.Exit && m.NewTest);

    // While a test runs, only what leaves its devices, calibration and audiogram alone is on.
    const MenuEnabling running = EvaluateMenus({r.results, r.calibration, r.wave, true});
    for (const bool off : {running.New, running.Open, running.EarCalibration, running.LoadCalibration,
                           running.CheckorRecalibratebyEar, running.TestCompatibility, running.NewTest,
                           running.Retest, running.PopupRetest})
      EXPECT_FALSE(off);
    MenuEnabling looking = m;
    looking.New = looking.Open = looking.EarCalibration = looking.LoadCalibration = false;
    looking.CheckorRecalibratebyEar = looking.TestCompatibility = looking.NewTest = false;
    looking.Retest = looking.PopupRetest = false;
    EXPECT_EQ(running, looking);  // Ctrl+I, F8, Save, Print and the settings stay as they were
  }
}

}  // namespace
}  // namespace sonavel
