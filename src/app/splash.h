// The splash window of the start: a borderless picture whose white pixels are see-through, with
// the label "Hörtest", faded in and out while the program starts; a click ends the wait.
#pragma once

#include <QImage>
#include <QRegion>
#include <QWidget>

#include "core/host.h"

class QLabel;

namespace sonavel {

// The pixels of the image that are not of the colour, as a region (the shape of a window).
QRegion RegionOutsideColour(const QImage& image, QRgb colour);

class TSplash : public QWidget {
  Q_OBJECT
 public:
  explicit TSplash(QWidget* parent = nullptr);
  bool Dismissed() const { return dismissed_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  QImage picture_;
  QLabel* label_;
  bool dismissed_ = false;
};

struct SplashTiming {
  int32_t Passes = 0;  // passes of the wait that ran
};

// Shows the splash: fade in over 15 steps of 20 ms, wait up to 7 passes of 50 ms (a click ends
// the wait after the current pass), fade out over 15 steps, then hide it.
SplashTiming RunSplash(TSplash& splash, Host& host);

}  // namespace sonavel
