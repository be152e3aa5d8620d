// What the calibration windows share on screen: the tone lamp, a vertical volume slider with its
// caption and value label, and the headphones illustration beside the wizard's sliders.
#pragma once

#include <QFrame>
#include <QLabel>
#include <QPixmap>
#include <QSlider>
#include <QWidget>
#include <functional>
#include <memory>

#include "calibration/calibration_tone.h"

#include "app/round_light.h"

namespace sonavel {

// The round lamp beside the tone button: red while the tone is off, green while it plays.
class Lamp : public RoundLight {
 public:
  explicit Lamp(QWidget* parent);
  void SetGreen(bool green);
  bool Green() const { return green_; }

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

// The notices of the sliders that cannot act on this card, one a line ("" when all act).
QString SliderNotices(std::initializer_list<const SliderView*> sliders);

// The frame with the card's three volume sliders (wave, master, gain) and, under them, why a
// slider cannot act on this card. Both calibration windows show it over rules that speak of the
// sliders alike (WaveSlider(), WaveOutSliderChange(v), ...).
class VolumeSliders {
 public:
  // The frame at (x, y) with the wave and master columns; the gain column goes into `gainParent`
  // (the frame when null) at (gainX, gainY).
  VolumeSliders(QWidget* parent, int x, int y, int sliderHeight, int masterX);
  void AddGain(QWidget* gainParent, int gainX, int gainY);

  // Moves of the thumbs go to the rules, which then say where each thumb stands.
  template <class Rules>
  void Connect(Rules& rules) {
    Wave->Changed = [this, &rules](int32_t v) {
      rules.WaveOutSliderChange(v);
      Wave->Show(rules.WaveSlider());
    };
    Master->Changed = [this, &rules](int32_t v) {
      rules.MasterSliderChange(v);
      Master->Show(rules.MasterSlider());
    };
    Gain->Changed = [this, &rules](int32_t v) {
      rules.GainSliderChange(v);
      Gain->Show(rules.GainSlider());
    };
  }
  template <class Rules>
  void Show(const Rules& rules) {
    Wave->Show(rules.WaveSlider());
    Master->Show(rules.MasterSlider());
    Gain->Show(rules.GainSlider());
    Notice->setText(SliderNotices({&rules.WaveSlider(), &rules.MasterSlider(), &rules.GainSlider()}));
  }

  QFrame* Box;
  std::unique_ptr<VolumeColumn> Wave, Master, Gain;
  QLabel* Notice;

 private:
  int sliderHeight_;
};

// The illustration of the wizard: headphones over three volume sliders (161 x 168).
QPixmap CalibrationIllustration();

}  // namespace sonavel
