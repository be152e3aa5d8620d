// The font the program's windows are drawn in: the desktop's sans-serif family at a pixel size,
// so that the fixed layouts of the windows hold whatever point size the desktop uses.
#pragma once

#include <QFont>
#include <QFontDatabase>

namespace sonavel {

inline QFont DesktopFont(int pixelSize) {
  QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(pixelSize);
  return font;
}

}  // namespace sonavel
