// The Calibration Information dialog (TfrmCalibrationInfo): accepts and saves a calibration just
// made by ear, or shows the one in use. Its texts stay English.
#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <optional>

#include "session/session.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace sonavel {

class TfrmCalibrationInfo : public QWidget {
  Q_OBJECT
 public:
  explicit TfrmCalibrationInfo(Session& session);

  // Shows the dialog in the mode the hand-over says: accept while NewCalibrationPending, else
  // inspection.
  void ShowInfo();
  bool AcceptMode() const { return acceptMode_; }

  // Picks the file to save to (nullopt when the user cancels); RunSaveDialog unless set.
  std::function<std::optional<QString>()> SaveDialog;
  // The save dialog "Save Calibration Data File".
  std::optional<QString> RunSaveDialog();

  QLabel *Label1, *Label2, *Label3, *Label4, *DateStamp;
  QLineEdit *Person, *Headphones, *Soundcard, *Comment;
  QPushButton *Cancel, *OKSave;

  void OKSaveClick();
  void CancelClick();

 signals:
  void Closed();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  Session& session_;
  bool acceptMode_ = false;
};

}  // namespace sonavel
