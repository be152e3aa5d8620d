#include "app/window_keys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QShortcut>
#include <QWidget>

namespace sonavel {

WindowKeys::WindowKeys(QWidget& window, QPushButton* defaultButton, std::function<void()> escape)
    : QObject(&window), window_(window), default_(defaultButton), escape_(std::move(escape)) {
  window.installEventFilter(this);
}

void WindowKeys::KeepReturn(QWidget* widget) {
  ownReturn_.push_back(widget);
  widget->installEventFilter(this);
}

namespace {
bool IsReturn(const QKeyEvent& key) { return key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter; }
}  // namespace

bool WindowKeys::eventFilter(QObject* watched, QEvent* event) {
  if (watched != &window_) {
    // One of the widgets with a Return of their own: it handles it first, and what it passes on
    // to the window must not press a button there.
    if (event->type() == QEvent::KeyPress && IsReturn(*static_cast<QKeyEvent*>(event))) ownReturnPending_ = true;
    if (event->type() == QEvent::KeyRelease) ownReturnPending_ = false;
    return false;
  }
  if (event->type() != QEvent::KeyPress) return false;
  auto* key = static_cast<QKeyEvent*>(event);
  if (ownReturnPending_ && IsReturn(*key)) {
    ownReturnPending_ = false;
    return true;
  }
  const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
  if (modifiers != Qt::NoModifier) return false;
  if (key->key() == Qt::Key_Escape) {
    if (!escape_) return false;
    escape_();
    return true;
  }
  if (!IsReturn(*key)) return false;
  QWidget* focus = QApplication::focusWidget();
  if (focus && focus->window() == &window_) {
    if (auto* button = qobject_cast<QPushButton*>(focus); button && button->isEnabled()) {
      button->click();
      return true;
    }
  }
  if (default_ && default_->isVisible() && default_->isEnabled()) {
    default_->click();
    return true;
  }
  return false;
}

void HelpKey(QWidget& window, std::function<void()> open) {
  auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), &window);
  f1->setContext(Qt::WindowShortcut);
  QObject::connect(f1, &QShortcut::activated, &window, std::move(open));
}

}  // namespace sonavel
