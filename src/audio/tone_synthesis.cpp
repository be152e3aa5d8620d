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

namespace {

// The one formula of a tone frame, shared by the 16-bit and the float synthesis so that both
// give the same tone; the factors are multiplied in the order the rule gives.
struct ToneRule {
  ToneRule(int32_t f, double a, int64_t toneFrames, bool window)
      : frames(toneFrames),
        amplitude(32767.0 * std::pow(10.0, a / 20.0)),
        omega(2.0 * std::numbers::pi * static_cast<double>(f)),
        ramps(window) {}

  // The unrounded value of tone frame n, in 16-bit counts.
  double Value(int64_t n) const {
    const double w = ramps ? RampWeight(n, frames) : 1.0;
    return std::sin(static_cast<double>(n) * omega / 44100.0) * amplitude * w;
  }

  int64_t frames;
  double amplitude;
  double omega;
  bool ramps;
};

bool PlainGain(int32_t gain) { return gain == 0 || gain == 1; }

}  // namespace

void CreateSound(int32_t f, double a, double BeepTime, double PauseTime, ToneBuffer& Data, bool ApplyWindow,
                 int32_t LeftChannelGain, int32_t RightChannelGain) {
  const int64_t toneFrames = std::max<int64_t>(0, Truncate(BeepTime * SampleRate));
  const int64_t pauseFrames = std::max<int64_t>(0, Truncate(PauseTime * SampleRate));
  const ToneRule rule(f, a, toneFrames, ApplyWindow);

  const size_t offset = Data.Size();
  uint8_t* out = Data.Grow(static_cast<size_t>(toneFrames + pauseFrames) * BytesPerFrame);
  for (int64_t n = 0; n < toneFrames; ++n) {
    double rounded = std::nearbyint(rule.Value(n));
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

  // Gains other than 0 and 1 wrap in 16 bits; such a stretch is left to its bytes.
  if (toneFrames + pauseFrames > 0 && PlainGain(LeftChannelGain) && PlainGain(RightChannelGain))
    Data.segments_.push_back(
        {offset, f, a, toneFrames, pauseFrames, ApplyWindow, LeftChannelGain, RightChannelGain});
}

namespace {

void RenderSegment(const ToneSegment& s, float* out) {
  const ToneRule rule(s.f, s.a, s.toneFrames, s.window);
  for (int64_t n = 0; n < s.toneFrames; ++n) {
    double v = rule.Value(n);
    if (std::isnan(v)) v = 0.0;
    v = std::clamp(v, -32767.0, 32767.0);
    const auto sample = static_cast<float>(v / FloatSampleScale);
    // A silent channel is +0, as the 16-bit zeros convert.
    out[0] = s.leftGain != 0 ? sample : 0.0f;
    out[1] = s.rightGain != 0 ? sample : 0.0f;
    out += 2;
  }
  std::fill(out, out + 2 * s.pauseFrames, 0.0f);
}

}  // namespace

void FloatFromSixteenBit(const uint8_t* bytes, size_t frames, float* samples) {
  for (size_t i = 0; i < 2 * frames; ++i) {
    const auto s = static_cast<int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    samples[i] = static_cast<float>(s / FloatSampleScale);
  }
}

void SixteenBitFromFloat(const float* samples, size_t frames, uint8_t* bytes) {
  for (size_t i = 0; i < 2 * frames; ++i) {
    const int32_t v =
        std::clamp(RoundHalfEven32(static_cast<double>(samples[i]) * FloatSampleScale), -32768, 32767);
    const auto s = static_cast<uint16_t>(v);
    bytes[2 * i] = static_cast<uint8_t>(s & 0xFF);
    bytes[2 * i + 1] = static_cast<uint8_t>(s >> 8);
  }
}

void RenderFloat(const ToneBuffer& buffer, std::vector<float>& samples) {
  const size_t frames = buffer.FrameCount();
  samples.resize(2 * frames);
  const std::vector<ToneSegment>& segments = buffer.Segments();
  const bool aligned = std::all_of(segments.begin(), segments.end(),
                                   [](const ToneSegment& s) { return s.byteOffset % BytesPerFrame == 0; });
  size_t frame = 0;  // frames before it are done
  if (aligned) {
    for (const ToneSegment& s : segments) {
      const size_t first = s.byteOffset / BytesPerFrame;
      FloatFromSixteenBit(buffer.Data() + frame * BytesPerFrame, first - frame, samples.data() + 2 * frame);
      RenderSegment(s, samples.data() + 2 * first);
      frame = first + static_cast<size_t>(s.toneFrames + s.pauseFrames);
    }
  }
  FloatFromSixteenBit(buffer.Data() + frame * BytesPerFrame, frames - frame, samples.data() + 2 * frame);
}

}  // namespace sonavel
