// What the calibration windows share on screen: the tone lamp, a vertical volume slider with its
// caption and value label, and the headphones illustration beside the wizard's sliders.
#pragma once

#include <QLabel>
#include <QPixmap>
#include <QSlider>
#include <QWidget>
#include <functional>

#include "calibration/calibration_tone.h"

namespace sonavel {

// The round lamp beside the tone button: red while the tone is off, green while it plays.
class Lamp : public QWidget {
 public:
  explicit Lamp(QWidget* parent);
  void SetGreen(bool green);
  bool Green() const { return green_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  bool green_ = false;
};

// A vertical slider whose maximum is at the bottom, the caption under it and the value label
// under that. The Qt slider's value is the thumb position (0 at the top); the column speaks in
// slider values (maximum minus position), as the calibration rules do.
class VolumeColumn {
 public:
  VolumeColumn(QWidget* parent, const char* sliderName, const char* captionName, const char* caption,
               const char* valueName, const char* hint, int x, int y, int height);

  // Shows the slider as the rules describe it, without reporting the move back.
  void Show(const SliderView& view);
  void SetVisible(bool visible);
  // Called with the new slider value whenever the user moves the thumb.
  std::function<void(int32_t)> Changed;

  QSlider* Slider;
  QLabel* Caption;
  QLabel* Value;

 private:
  QString hint_;
  bool updating_ = false;
};

// The illustration of the wizard: headphones over three volume sliders (161 x 168).
QPixmap CalibrationIllustration();

// The notices of the sliders that cannot act on this card, one a line ("" when all act).
QString SliderNotices(std::initializer_list<const SliderView*> sliders);

}  // namespace sonavel
