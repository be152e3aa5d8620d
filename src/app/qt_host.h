// The host of the desktop program: the local clock, sleeping and event pumping on the one
// user-interface thread, the modal message boxes (with a "Hilfe" button where a help context is
// given, and the check box of the message the user can silence) and help by context number.
#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <string>

#include "core/host.h"
#include "core/regional.h"

class QAbstractButton;
class QCheckBox;
class QMessageBox;

namespace sonavel {

// The user's regional formats, taken from the system locale.
RegionalFormat RegionalFormatFromSystem();

class QtHost : public Host {
 public:
  QtHost();

  LocalDateTime Now() override;
  double MonotonicSeconds() override;
  void Sleep(int32_t milliseconds) override;
  void ProcessMessages() override;
  int32_t MessageBox(const std::string& text, const std::string& caption, MessageIcon icon, uint32_t buttons,
                     int32_t helpContext = 0) override;
  int32_t CheckBoxMessageBox(const std::string& text, const std::string& caption, MessageIcon icon,
                             uint32_t buttons, const std::string& checkBoxText, bool& checked) override;
  void OpenHelp(int32_t context) override;
  std::optional<bool> ControlKeyDown() override;

  // The window a message box belongs to when no window of the program has the keyboard (the
  // main window). A box belongs to the window whose action raised it: the one that has the
  // keyboard as the box comes up. It stands on top of that window, blocks only it (so the help
  // window stays usable) and gives the keyboard back to it when it closes.
  void SetDialogParent(QWidget* parent) { parent_ = parent; }
  // The window the next box belongs to, as said above.
  QWidget* BoxOwner() const;
  // Where help topics are shown.
  std::function<void(int32_t)> HelpHandler;

  // Answers a message box instead of the user, for tests and scripted runs: it gets the box as
  // built (and its check box, if any, which it may tick) and returns the modal result. When it is
  // empty the box is shown modally.
  std::function<int32_t(QMessageBox& box, QCheckBox* checkBox)> AnswerHook;

 private:
  int32_t Run(QMessageBox& box, QCheckBox* checkBox);

  QElapsedTimer clock_;
  QPointer<QWidget> parent_;
};

// The modal result that a button of the box stands for.
int32_t ModalResultOf(QMessageBox& box, QAbstractButton* button);

}  // namespace sonavel
