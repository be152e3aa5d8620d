#include "calibration/calibration_tone.h"

#include <algorithm>
#include <limits>

namespace sonavel {

int32_t SliderView::Clamp(int32_t value) const { return std::clamp(value, 0, std::max(Maximum, 0)); }

int32_t SliderView::ValueAt(int32_t position) const {
  const int32_t p = std::clamp(position, 0, std::max(Maximum, 0));
  return Maximum - p;
}

int32_t SliderMaximumOf(uint32_t steps) {
  return static_cast<int32_t>(std::min<uint32_t>(steps, std::numeric_limits<int32_t>::max()));
}

std::string SliderNotice(const TMixControl& control) {
  if (!control.Exist) return NoControlNotice;
  if (!control.Active) return InactiveControlNotice;
  if (!SliderActsOn(control)) return NoStepsNotice;
  return "";
}

bool LoopedTone::Start(int32_t device, int32_t frequency, double level, ChannelGains gains) {
  Stop();
  if (!CheckOutputBeforePlaying(watch_, device, host_, &acceptedBluetooth_)) return false;
  return Play(device, frequency, level, gains);
}

bool LoopedTone::Play(int32_t device, int32_t frequency, double level, ChannelGains gains) {
  Stop();
  buffer_ = ToneBuffer{};
  CreateSound(frequency, level, 1.0, 0.0, buffer_, true, gains.Left, gains.Right);
  int32_t r = output_.PreparePlay(device, buffer_, -1);
  if (r == WaveOk) r = output_.StartPlay();
  if (r != WaveOk) {
    // A lit lamp over silence would mislead: the user must know that no tone plays.
    const std::string why = output_.FailureText().empty() ? WaveResultText(r) : output_.FailureText();
    output_.FinishPlay();
    buffer_ = ToneBuffer{};
    host_.MessageBox(std::string(ToneFailedText) + why, "", MessageIcon::Error, ButtonOk);
    return false;
  }
  playing_ = true;
  generation_ = output_.OpenGeneration();
  device_ = device;
  frequency_ = frequency;
  level_ = level;
  gains_ = gains;
  return true;
}

void LoopedTone::Stop() {
  if (!playing_) return;
  if (output_.OpenGeneration() == generation_) output_.FinishPlay();
  buffer_ = ToneBuffer{};
  playing_ = false;
}

bool LoopedTone::Restart(int32_t frequency) {
  if (!playing_) return false;
  const int32_t device = device_;
  const double level = level_;
  const ChannelGains gains = gains_;
  return Play(device, frequency, level, gains);
}

}  // namespace sonavel
