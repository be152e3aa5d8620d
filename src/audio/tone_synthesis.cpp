#include "audio/tone_synthesis.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "core/rounding.h"

namespace sonavel {

double RampWeight(int64_t n, int64_t N) {
  const double r = static_cast<double>(n) / static_cast<double>(N);
  if (r < 0.25 || r > 0.75) {
    const double s = std::sin(2.0 * std::numbers::pi * static_cast<double>(n) / static_cast<double>(N));
    return s * s;
  }
  return 1.0;
}

void CreateSound(int32_t f, double a, double BeepTime, double PauseTime, ToneBuffer& Data, bool ApplyWindow,
                 int32_t LeftChannelGain, int32_t RightChannelGain) {
  const int64_t toneFrames = std::max<int64_t>(0, Truncate(BeepTime * SampleRate));
  const int64_t pauseFrames = std::max<int64_t>(0, Truncate(PauseTime * SampleRate));
  const double amplitude = 32767.0 * std::pow(10.0, a / 20.0);
  const double omega = 2.0 * std::numbers::pi * static_cast<double>(f);

  uint8_t* out = Data.Grow(static_cast<size_t>(toneFrames + pauseFrames) * BytesPerFrame);
  for (int64_t n = 0; n < toneFrames; ++n) {
    const double w = ApplyWindow ? RampWeight(n, toneFrames) : 1.0;
    const double v = std::sin(static_cast<double>(n) * omega / 44100.0) * amplitude * w;
    double rounded = std::nearbyint(v);
    // Saturate: the low 16 bits of an over-full-scale value would be a burst of noise.
    if (std::isnan(rounded)) rounded = 0.0;
    if (rounded > 32767.0) rounded = 32767.0;
    if (rounded < -32767.0) rounded = -32767.0;
    const auto sample = static_cast<int32_t>(rounded);
    const auto left = static_cast<uint16_t>(sample * LeftChannelGain);
    const auto right = static_cast<uint16_t>(sample * RightChannelGain);
    out[0] = static_cast<uint8_t>(left & 0xFF);
    out[1] = static_cast<uint8_t>(left >> 8);
    out[2] = static_cast<uint8_t>(right & 0xFF);
    out[3] = static_cast<uint8_t>(right >> 8);
    out += BytesPerFrame;
  }
  // The pause: Grow() value-initialises the new bytes, so they already hold silence.
}

}  // namespace sonavel
