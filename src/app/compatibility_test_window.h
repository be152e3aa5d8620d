// The hardware compatibility test (TfrmCompatibilityTest): the window over the test's rules. It
// is made once and keeps the frequency, the level and the ear between showings.
#pragma once

#include <QPushButton>
#include <QWidget>
#include <memory>

#include "app/calibration_widgets.h"
#include "calibration/compatibility.h"

class QFrame;
class QLineEdit;
class QRadioButton;

namespace sonavel {

class TfrmCompatibilityTest : public QWidget {
  Q_OBJECT
 public:
  explicit TfrmCompatibilityTest(const CalibrationWindowContext& context);

  // The warning, the card's levels on the sliders, then the window.
  void ShowTest();
  CompatibilityTestRules& Rules() { return rules_; }

  // The controls, named as the system names them.
  QFrame* VolumeBox;
  VolumeColumn *WaveColumn, *MasterColumn, *GainColumn;
  QSlider* tbrFrequency;
  QLabel *Label7, *Label8, *Label5, *Label6, *Label1, *Directions, *lblSoundLeft, *lblChannel, *Label9,
      *lblNotice;
  QLineEdit* Threshold;
  QPushButton *OnButton, *HelpButton, *btnClose;
  Lamp* shpLED;
  QRadioButton *rdoLeftEar, *rdoRightEar;

  void OnButtonClick();
  // A test started or ended: the tone stops, and the tone button and the volume sliders are off
  // while it runs.
  void TestRunChanged(bool running);

 signals:
  void Closed();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void ShowTone();
  void ThresholdExit();

  CompatibilityTestRules rules_;
  Host& host_;
  std::unique_ptr<VolumeSliders> sliders_;
};

}  // namespace sonavel
