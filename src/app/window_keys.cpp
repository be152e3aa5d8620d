#include "app/window_keys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace sonavel {

WindowKeys::WindowKeys(QWidget& window, QPushButton* defaultButton, std::function<void()> escape)
    : QObject(&window), window_(window), default_(defaultButton), escape_(std::move(escape)) {
  window.installEventFilter(this);
}

bool WindowKeys::eventFilter(QObject* watched, QEvent* event) {
  if (watched != &window_ || event->type() != QEvent::KeyPress) return false;
  auto* key = static_cast<QKeyEvent*>(event);
  const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
  if (modifiers != Qt::NoModifier) return false;
  if (key->key() == Qt::Key_Escape) {
    if (!escape_) return false;
    escape_();
    return true;
  }
  if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) return false;
  QWidget* focus = QApplication::focusWidget();
  if (focus && focus->window() == &window_) {
    for (const QPointer<QWidget>& own : ownReturn_)
      if (own == focus) return true;
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

}  // namespace sonavel
