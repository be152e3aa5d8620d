// The keys every window of the program answers as a dialog does: Return or Enter presses the
// focused push button, else the window's default button; Escape runs the window's escape action.
// A button without auto-default would otherwise pass Return on to the default button, so that
// Return on a focused "Abbrechen" would store what it should discard.
#pragma once

#include <QObject>
#include <QPointer>
#include <QPushButton>
#include <functional>
#include <vector>

class QWidget;

namespace sonavel {

class WindowKeys : public QObject {
 public:
  // `defaultButton` may be null (Return then only presses a focused button); `escape` may be
  // empty (Escape then does nothing of its own).
  WindowKeys(QWidget& window, QPushButton* defaultButton, std::function<void()> escape);

  // A widget that acts on Return itself (a field whose Enter has a meaning of its own): Return
  // there presses nothing else.
  void KeepReturn(QWidget* widget) { ownReturn_.push_back(widget); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget& window_;
  QPointer<QPushButton> default_;
  std::function<void()> escape_;
  std::vector<QPointer<QWidget>> ownReturn_;
};

}  // namespace sonavel
