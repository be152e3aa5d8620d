#include "app/calibration_info_dialog.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include "app/window_keys.h"
#include "app/widget_helpers.h"
#include "calibration/bio_cal.h"
#include "core/error.h"

namespace sonavel {

namespace {

constexpr int DialogWidth = 470;
constexpr int DialogHeight = 250;


}  // namespace

TfrmCalibrationInfo::TfrmCalibrationInfo(Session& session, DesktopServices& desktop)
    : QWidget(nullptr, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint),
      session_(session),
      desktop_(desktop) {
  setObjectName(QStringLiteral("frmCalibrationInfo"));
  setWindowTitle(QStringLiteral("Calibration Information"));
  setFixedSize(DialogWidth, DialogHeight);

  const int lx = 12, lw = 160, ex = lx + lw + 8, ew = DialogWidth - ex - 12;
  auto row = [&](QLabel*& label, const char* labelName, const char* text, QLineEdit*& edit,
                 const char* editName, const char* hint, int y) {
    label = new QLabel(QString::fromUtf8(text), this);
    label->setObjectName(QString::fromLatin1(labelName));
    label->setGeometry(lx, y, lw, 28);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    edit = new QLineEdit(this);
    edit->setObjectName(QString::fromLatin1(editName));
    edit->setGeometry(ex, y, ew, 28);
    edit->setToolTip(QString::fromUtf8(hint));
    label->setBuddy(edit);
  };
  row(Label2, "Label2", "Calibration done by:", Person, "Person", "Enter your Name here", 14);
  row(Label3, "Label3", "Headphones used:", Headphones, "Headphones",
      "Enter the type of headphones used here", 50);
  row(Label4, "Label4", "Soundcard used:", Soundcard, "Soundcard", "Enter the type of soundcard used here",
      86);
  row(Label1, "Label1", "Comment:", Comment, "Comment", "Add your comments here!", 122);
  Soundcard->setEnabled(false);
  DateStamp = new QLabel(this);
  DateStamp->setObjectName(QStringLiteral("DateStamp"));
  DateStamp->setGeometry(lx, 160, DialogWidth - 24, 22);
  DateStamp->setToolTip(QStringLiteral("System date and time. If wrong, correct in Windows Conrol Panel."));

  const int by = DialogHeight - 44;
  Cancel = new QPushButton(QStringLiteral("Cancel"), this);
  Cancel->setObjectName(QStringLiteral("Cancel"));
  Cancel->setGeometry(DialogWidth - 12 - 100 - 10 - 100, by, 100, 32);
  OKSave = new QPushButton(QStringLiteral("OK"), this);
  OKSave->setObjectName(QStringLiteral("OKSave"));
  OKSave->setGeometry(DialogWidth - 12 - 100, by, 100, 32);
  OKSave->setDefault(true);

  // The edits hold the header's texts for the whole run.
  auto bind = [this](QLineEdit* edit, std::string CalibrationHeader::*field) {
    connect(edit, &QLineEdit::textEdited, this,
            [this, field](const QString& text) { session_.CalHeader.*field = text.toStdString(); });
  };
  bind(Person, &CalibrationHeader::Person);
  bind(Headphones, &CalibrationHeader::Headphones);
  bind(Comment, &CalibrationHeader::Comment);
  connect(OKSave, &QPushButton::clicked, this, &TfrmCalibrationInfo::OKSaveClick);
  connect(Cancel, &QPushButton::clicked, this, &TfrmCalibrationInfo::CancelClick);
  // Escape is Cancel, and closes the dialog in inspection too; Return presses the focused
  // button, in a field the default OK.
  new WindowKeys(*this, OKSave, [this] { close(); });
  HelpKey(*this, [this] { session_.HostRef.OpenHelp(BioCalHelpContext); });
}

void TfrmCalibrationInfo::ShowInfo() {
  const CalibrationHeader& h = session_.CalHeader;
  acceptMode_ = session_.NewCalibrationPending;
  Person->setText(Q(h.Person));
  Headphones->setText(Q(h.Headphones));
  Comment->setText(Q(h.Comment));
  for (QLineEdit* e : {Person, Headphones, Comment}) e->setEnabled(acceptMode_);
  Cancel->setVisible(acceptMode_);
  if (acceptMode_) {
    // A new calibration was made on the open mixer device; the header takes it on acceptance.
    Soundcard->setText(Q(session_.MixerAccess.Caps.Name));
    DateStamp->setText(QStringLiteral("Calibration finished on %1 at %2")
                           .arg(Q(session_.NewCalibrationDate), Q(session_.NewCalibrationTime)));
  } else {
    Soundcard->setText(Q(h.Soundcard));
    DateStamp->setText(
        QStringLiteral("Calibration finished on %1 at %2").arg(Q(h.CalibrationDate), Q(h.CalibrationTime)));
  }
  CentreOnScreen(*this);
  show();
  raise();
  activateWindow();
  if (acceptMode_)
    Person->setFocus();
  else
    OKSave->setFocus();
}

void TfrmCalibrationInfo::OKSaveClick() {
  if (!acceptMode_) {
    close();
    return;
  }
  Session& s = session_;
  if (!s.AcceptNewCalibration(Person->text().toStdString(), Headphones->text().toStdString(),
                              Comment->text().toStdString())) {
    close();
    return;
  }
  const CalibrationHeader& h = s.CalHeader;

  // From here on the new calibration is in use, stored or not.
  // An existing file is replaced without a question, as the program always did.
  const std::optional<FileChoice> file = desktop_.ChooseFile(
      this, {true, QStringLiteral("Save Calibration Data File"), {QStringLiteral("Calibration File (*.cal)")},
             QString(), QString(), QStringLiteral("cal"), false});
  // A save that fails keeps the dialog open, so that the user can pick another place.
  if (file && !file->FileName.isEmpty() &&
      !s.Attempt([&] { WriteCal(file->FileName.toStdString(), h, s.State.CalibrationData); }, MessageIcon::Error))
    return;
  close();
}

void TfrmCalibrationInfo::CancelClick() { close(); }

void TfrmCalibrationInfo::closeEvent(QCloseEvent* event) {
  event->accept();
  // Hidden before the report, so that whoever hears it sees the window gone.
  hide();
  emit Closed();
}

}  // namespace sonavel
