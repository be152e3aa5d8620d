#include "app/qt_host.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QGuiApplication>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>

namespace sonavel {

RegionalFormat RegionalFormatFromSystem() {
  // Without regional settings (the C locale) the program keeps to its own, German, formats.
  if (QLocale::system().language() == QLocale::C) return RegionalDeDe();
  const QLocale locale = QLocale::system();
  const QString decimal = locale.decimalPoint();
  const char decimalSeparator =
      decimal.size() == 1 && decimal[0].unicode() < 128 ? decimal[0].toLatin1() : ',';
  return MakeRegionalFormat(locale.name().toStdString(),
                            locale.dateFormat(QLocale::ShortFormat).toStdString(),
                            LongTimePatternWithoutZone(locale.timeFormat(QLocale::LongFormat).toStdString()),
                            decimalSeparator);
}

QtHost::QtHost() { clock_.start(); }

LocalDateTime QtHost::Now() {
  const QDateTime now = QDateTime::currentDateTime();
  const QDate d = now.date();
  const QTime t = now.time();
  return {{d.year(), d.month(), d.day()}, t.hour(), t.minute(), t.second(), t.msec()};
}

double QtHost::MonotonicSeconds() { return static_cast<double>(clock_.nsecsElapsed()) / 1e9; }

void QtHost::Sleep(int32_t milliseconds) {
  if (milliseconds > 0) QThread::msleep(static_cast<unsigned long>(milliseconds));
}

void QtHost::ProcessMessages() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

namespace {

QMessageBox::Icon QtIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Information:
      return QMessageBox::Information;
    case MessageIcon::Warning:
      return QMessageBox::Warning;
    case MessageIcon::Error:
      return QMessageBox::Critical;
    case MessageIcon::Confirmation:
      return QMessageBox::Question;
    case MessageIcon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

// A box without a caption of its own carries the caption of its kind, as the desktop's
// message dialogs do; a plain message carries the program's name.
QString CaptionFor(const std::string& caption, MessageIcon icon) {
  if (!caption.empty()) return QString::fromStdString(caption);
  switch (icon) {
    case MessageIcon::Information:
      return QStringLiteral("Information");
    case MessageIcon::Warning:
      return QStringLiteral("Warnung");
    case MessageIcon::Error:
      return QStringLiteral("Fehler");
    case MessageIcon::Confirmation:
      return QStringLiteral("Bestätigen");
    case MessageIcon::None:
      break;
  }
  return QStringLiteral("Sonavel");
}

void AddButtons(QMessageBox& box, uint32_t buttons) {
  if (buttons == 0) buttons = ButtonOk;
  struct Entry {
    uint32_t flag;
    QMessageBox::StandardButton button;
    const char* text;
  };
  static const Entry entries[] = {{ButtonYes, QMessageBox::Yes, "&Ja"},
                                  {ButtonNo, QMessageBox::No, "&Nein"},
                                  {ButtonOk, QMessageBox::Ok, "OK"},
                                  {ButtonCancel, QMessageBox::Cancel, "Abbrechen"}};
  QAbstractButton* first = nullptr;
  for (const Entry& e : entries) {
    if ((buttons & e.flag) == 0) continue;
    QAbstractButton* b = box.addButton(e.button);
    b->setText(QString::fromUtf8(e.text));
    if (!first) first = b;
  }
  // The first button is the default, as in the desktop's message dialogs (Yes before No).
  if (auto* push = qobject_cast<QPushButton*>(first)) box.setDefaultButton(push);
}

}  // namespace

int32_t ModalResultOf(QMessageBox& box, QAbstractButton* button) {
  if (!button) return ResultCancel;
  switch (box.standardButton(button)) {
    case QMessageBox::Ok:
      return ResultOk;
    case QMessageBox::Cancel:
      return ResultCancel;
    case QMessageBox::Yes:
      return ResultYes;
    case QMessageBox::No:
      return ResultNo;
    default:
      return ResultCancel;
  }
}

namespace {

bool Usable(const QWidget* w) {
  return w && w->isVisible() && w->isEnabled() &&
         (w->windowType() == Qt::Dialog || w->windowType() == Qt::Window);
}
bool StaysOnTop(const QWidget* w) { return (w->windowFlags() & Qt::WindowStaysOnTopHint) != 0; }

}  // namespace

QWidget* QtHost::BoxOwner() const {
  // A box raised from a box belongs to that box.
  if (QWidget* modal = QApplication::activeModalWidget(); modal && modal->isVisible()) return modal;
  QWidget* owner = nullptr;
  if (QWidget* active = QApplication::activeWindow(); Usable(active))
    owner = active;
  else if (Usable(parent_))
    owner = parent_;
  // A window manager keeps a box in its owner's layer: a window of the program that stays on top
  // (the test window during a run, the settings window) would cover a box of the main window.
  // Such a window is then the owner.
  if (!owner || !StaysOnTop(owner)) {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w != owner && Usable(w) && StaysOnTop(w)) return w;
  }
  if (owner) return owner;
  // The main window is disabled while a secondary window is open: that window is the one in use.
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w != parent_ && Usable(w)) return w;
  return parent_;
}

int32_t QtHost::Run(QMessageBox& box, QCheckBox* checkBox) {
  QPointer<QWidget> owner = BoxOwner();
  if (owner) {
    // The box is the owner's: a transient of it, on top of it even when the owner stays on top
    // of other windows, and enabled because its owner is.
    Qt::WindowFlags flags = box.windowFlags();
    if (StaysOnTop(owner)) flags |= Qt::WindowStaysOnTopHint;
    box.setParent(owner, flags);
    box.setWindowModality(Qt::WindowModal);
  }
  if (AnswerHook) return AnswerHook(box, checkBox);
  box.exec();
  // The window the box belonged to takes the keyboard again (its shortcuts need it active).
  if (owner && owner->isVisible()) {
    owner->raise();
    owner->activateWindow();
  }
  QAbstractButton* clicked = box.clickedButton();
  if (!clicked) {
    // Closed with Escape or the close box: the box's escape button, else Cancel.
    clicked = box.escapeButton();
  }
  return ModalResultOf(box, clicked);
}

int32_t QtHost::MessageBox(const std::string& text, const std::string& caption, MessageIcon icon,
                           uint32_t buttons, int32_t helpContext) {
  QMessageBox box(QtIcon(icon), CaptionFor(caption, icon), QString::fromStdString(text),
                  QMessageBox::NoButton);
  AddButtons(box, buttons);
  if (helpContext > 0) {
    auto* help = new QPushButton(QStringLiteral("Hilfe"), &box);
    box.addButton(help, QMessageBox::HelpRole);
    // The help button opens the topic and leaves the question open.
    QObject::disconnect(help, &QAbstractButton::clicked, nullptr, nullptr);
    QObject::connect(help, &QAbstractButton::clicked, &box, [this, helpContext] { OpenHelp(helpContext); });
  }
  return Run(box, nullptr);
}

int32_t QtHost::CheckBoxMessageBox(const std::string& text, const std::string& caption, MessageIcon icon,
                                   uint32_t buttons, const std::string& checkBoxText, bool& checked) {
  QMessageBox box(QtIcon(icon), CaptionFor(caption, icon), QString::fromStdString(text),
                  QMessageBox::NoButton);
  AddButtons(box, buttons);
  auto* check = new QCheckBox(QString::fromStdString(checkBoxText), &box);
  box.setCheckBox(check);
  const int32_t result = Run(box, check);
  checked = check->isChecked();
  return result;
}

std::optional<bool> QtHost::ControlKeyDown() {
  // The keyboard's own state, wherever the focus is (queried from the window system).
  if (QGuiApplication::platformName() == QLatin1String("offscreen")) return std::nullopt;
  return (QGuiApplication::queryKeyboardModifiers() & Qt::ControlModifier) != 0;
}

void QtHost::OpenHelp(int32_t context) {
  if (HelpHandler) HelpHandler(context);
}

}  // namespace sonavel
