// The calibration commands of the main window and their three windows: the calibration by ear,
// the compatibility test and the calibration information dialog. The main window stays disabled
// while one of them is open (except for the compatibility test opened from the question before
// a new calibration), and only one of the two calibration windows plays the shared tone output.
#pragma once

#include <QObject>
#include <memory>

namespace sonavel {

class TfrmMain;
class TfrmBioCal;
class TfrmCompatibilityTest;
class TfrmCalibrationInfo;

class CalibrationWindows : public QObject {
  Q_OBJECT
 public:
  // Connects the Calibration menu's commands of `main`.
  explicit CalibrationWindows(TfrmMain& main);
  ~CalibrationWindows() override;

  // The commands.
  void SubjCal1Click();            // F3
  void SubjRecal1Click();          // F4
  void CalInfo1Click();            // Ctrl+I
  void TestCompatibility1Click();  // Kompatibilitätstest

  TfrmBioCal& BioCal() { return *bioCal_; }
  TfrmCompatibilityTest& CompatibilityTest() { return *compatibility_; }
  TfrmCalibrationInfo& CalibrationInfo() { return *info_; }

  // Closes the open calibration windows (the program ends).
  void CloseAll();
  // A calibration window is open that keeps the main window disabled.
  bool DisablesMain() const;

 private:
  void StartWizard(bool FreshCalibration);
  void ShowCompatibilityTest(bool disableMain);
  void BackToMain();

  TfrmMain& main_;
  bool compatibilityDisablesMain_ = false;
  std::unique_ptr<TfrmBioCal> bioCal_;
  std::unique_ptr<TfrmCompatibilityTest> compatibility_;
  std::unique_ptr<TfrmCalibrationInfo> info_;
};

}  // namespace sonavel
