// The Calibration Information dialog (TfrmCalibrationInfo): accepts and saves a calibration just
// made by ear, or shows the one in use. Its texts stay English.
#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <optional>

#include "app/desktop_services.h"
#include "session/session.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace sonavel {

class TfrmCalibrationInfo : public QWidget {
  Q_OBJECT
 public:
  TfrmCalibrationInfo(Session& session, DesktopServices& desktop);

  // Shows the dialog in the mode the hand-over says: accept while NewCalibrationPending, else
  // inspection.
  void ShowInfo();
  bool AcceptMode() const { return acceptMode_; }

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
  DesktopServices& desktop_;
  bool acceptMode_ = false;
};

}  // namespace sonavel
