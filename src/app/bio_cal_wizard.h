// The calibration by ear (TfrmBioCal): the window over the wizard's rules. It reports how it
// ended; the calibration windows' controller enables the main window and shows the calibration
// information dialog.
#pragma once

#include <QPushButton>
#include <QWidget>
#include <memory>

#include "app/calibration_widgets.h"
#include "calibration/bio_cal.h"

class QFrame;
class QLineEdit;

namespace sonavel {

class TfrmBioCal : public QWidget {
  Q_OBJECT
 public:
  TfrmBioCal(const CalibrationWindowContext& context, const CalibrationHandOver& handOver);

  // Asks about a reference audiogram, opens on the first page and shows the window.
  void Start(bool FreshCalibration);
  BioCalWizard& Rules() { return rules_; }

  // The controls, named as the system names them.
  QLabel *Label5, *lblFreqSide, *Label6, *Label7, *lblInstructions, *Directions, *Label9, *lblNotice;
  QLineEdit* Threshold;
  QPushButton *OnButton, *Previous, *HelpButton, *Next;
  Lamp* shpLED;
  QFrame *ToneBox, *VolumeBox, *GainBox;
  VolumeColumn *WaveColumn, *MasterColumn, *GainColumn;
  QLabel* Image1;

  void NextClick();
  void PreviousClick();
  void OnButtonClick();

 signals:
  // The last page is done: the working table waits in the hand-over.
  void Finished();
  // Cancelled on the first page or closed by the window's close button.
  void Closed();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void ShowPage();
  void ShowTone();
  void PlaceInstructions();

  BioCalWizard rules_;
  Host& host_;
  std::unique_ptr<VolumeSliders> sliders_;
};

}  // namespace sonavel
