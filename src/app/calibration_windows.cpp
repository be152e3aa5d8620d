#include "app/calibration_windows.h"

#include <QAction>

#include "app/bio_cal_wizard.h"
#include "app/calibration_info_dialog.h"
#include "app/compatibility_test_window.h"
#include "app/main_window.h"

namespace sonavel {

namespace {

CalibrationWindowContext ContextOf(Session& s) {
  return {s.State,   s.MixerAccess.Controls, s.DeviceSet.endpointVolume,
          s.Output,  s.DeviceSet.waveOut,    s.HostRef,
          s.Regional, s.DeviceSet.outputWatch};
}

CalibrationHandOver HandOverOf(Session& s) {
  return {s.WorkingCalibration, s.NewCalibrationPending, s.NewCalibrationDate, s.NewCalibrationTime,
          s.CalHeader};
}

}  // namespace

CalibrationWindows::CalibrationWindows(TfrmMain& main) : main_(main) {
  Session& s = main.GetSession();
  bioCal_ = std::make_unique<TfrmBioCal>(ContextOf(s), HandOverOf(s));
  compatibility_ = std::make_unique<TfrmCompatibilityTest>(ContextOf(s));
  info_ = std::make_unique<TfrmCalibrationInfo>(s, main.Desktop());
  for (QWidget* w : std::initializer_list<QWidget*>{bioCal_.get(), compatibility_.get(), info_.get()}) {
    w->setFont(main.font());
    w->setWindowIcon(main.windowIcon());
  }

  connect(bioCal_.get(), &TfrmBioCal::Closed, this, &CalibrationWindows::BackToMain);
  connect(bioCal_.get(), &TfrmBioCal::Finished, this, [this] { info_->ShowInfo(); });
  connect(compatibility_.get(), &TfrmCompatibilityTest::Closed, this, &CalibrationWindows::BackToMain);
  connect(info_.get(), &TfrmCalibrationInfo::Closed, this, &CalibrationWindows::BackToMain);

  // A test may start while the compatibility test is open beside the main window.
  connect(&main, &TfrmMain::TestRunChanged, compatibility_.get(), &TfrmCompatibilityTest::TestRunChanged);

  connect(main.EarCalibration1, &QAction::triggered, this, &CalibrationWindows::SubjCal1Click);
  connect(main.CheckorRecalibratebyEar1, &QAction::triggered, this, &CalibrationWindows::SubjRecal1Click);
  connect(main.CalInfo1, &QAction::triggered, this, &CalibrationWindows::CalInfo1Click);
  connect(main.TestCompatibility1, &QAction::triggered, this, &CalibrationWindows::TestCompatibility1Click);
  main.UpdateMenus();
}

CalibrationWindows::~CalibrationWindows() = default;

void CalibrationWindows::SubjCal1Click() {
  // The shortcuts reach the commands also while their items are off: no calibration during a test.
  if (main_.GetSession().TestRunning()) return;
  if (AskCompatibilityTestFirst(main_.GetSession().HostRef)) {
    ShowCompatibilityTest(false);
    return;
  }
  StartWizard(true);
}

void CalibrationWindows::SubjRecal1Click() {
  // The shortcut reaches this also while the menu item would be disabled.
  if (!main_.State().CalibrationLoaded || main_.GetSession().TestRunning()) return;
  StartWizard(false);
}

void CalibrationWindows::CalInfo1Click() {
  if (!main_.State().CalibrationLoaded) return;
  main_.GetSession().NewCalibrationPending = false;
  main_.setEnabled(false);
  info_->ShowInfo();
}

void CalibrationWindows::TestCompatibility1Click() {
  if (main_.GetSession().TestRunning()) return;
  ShowCompatibilityTest(true);
}

void CalibrationWindows::StartWizard(bool FreshCalibration) {
  // The compatibility test may still be open beside the main window; its tone must not play on
  // under the wizard's, which uses the same output.
  if (compatibility_->isVisible()) compatibility_->close();
  main_.setEnabled(false);
  bioCal_->Start(FreshCalibration);
}

void CalibrationWindows::ShowCompatibilityTest(bool disableMain) {
  if (bioCal_->Rules().IsOpen()) bioCal_->close();
  compatibilityDisablesMain_ = disableMain;
  if (disableMain) main_.setEnabled(false);
  compatibility_->ShowTest();
}

void CalibrationWindows::BackToMain() {
  // The wizard hands over to the information dialog: the main window stays disabled until that
  // one closes as well.
  if (info_->isVisible() || bioCal_->isVisible()) return;
  main_.setEnabled(true);
  main_.UpdateMenus();
  main_.activateWindow();
}

bool CalibrationWindows::DisablesMain() const {
  return bioCal_->isVisible() || info_->isVisible() || (compatibility_->isVisible() && compatibilityDisablesMain_);
}

void CalibrationWindows::CloseAll() {
  for (QWidget* w : std::initializer_list<QWidget*>{bioCal_.get(), compatibility_.get(), info_.get()})
    if (w->isVisible()) w->close();
}

}  // namespace sonavel
