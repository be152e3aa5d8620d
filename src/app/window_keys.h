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
  void KeepReturn(QWidget* widget);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget& window_;
  QPointer<QPushButton> default_;
  std::function<void()> escape_;
  std::vector<QPointer<QWidget>> ownReturn_;
  // A Return that one of those widgets has just had: when it comes on to the window, it stops.
  bool ownReturnPending_ = false;
};

// F1 in `window` (wherever its focus is) opens the window's own help topic: `open` says which.
void HelpKey(QWidget& window, std::function<void()> open);

}  // namespace sonavel
