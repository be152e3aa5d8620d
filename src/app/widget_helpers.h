// Small things every window of the program does alike.
#pragma once

#include <QGuiApplication>
#include <QScreen>
#include <QString>
#include <QWidget>
#include <string>

namespace sonavel {

// The program's texts are UTF-8.
inline QString Q(const std::string& s) { return QString::fromStdString(s); }

// Places a window in the middle of the screen's free area.
inline void CentreOnScreen(QWidget& window) {
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    window.move(screen->availableGeometry().center() - window.rect().center());
}

// Places a window over the middle of another.
inline void CentreOver(QWidget& window, const QWidget& other) {
  window.move(other.frameGeometry().center() - window.rect().center());
}

}  // namespace sonavel
