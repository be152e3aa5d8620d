// The program's pictures (splash, about window, icon), built into the program from their SVG
// sources; a picture that was not there at build time is drawn in code instead.
#pragma once

#include <QImage>
#include <QSize>
#include <QString>

namespace sonavel {

// Renders the SVG resource (":/pictures/splash.svg") at `size`; a null image when it is missing
// or cannot be read.
QImage RenderSvgResource(const QString& resource, QSize size, bool whiteBackground);

// The splash picture, 480 x 291, on white (white is the transparent colour of the splash).
QImage SplashPicture();
// The about window's picture.
QImage AboutPicture(int side);

}  // namespace sonavel
