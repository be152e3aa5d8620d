// Synthesis of one tone presentation into 16-bit stereo PCM at 44100 frames per second, and the
// same frames as 32-bit float samples for a device that takes them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace sonavel {

constexpr int32_t SampleRate = 44100;
constexpr int32_t BytesPerFrame = 4;
constexpr int32_t FullScaleAmplitude = 32767;

// How CreateSound made a stretch of a buffer's bytes: enough to make the same frames again
// without the rounding to 16 bits.
struct ToneSegment {
  size_t byteOffset = 0;  // where the stretch begins in the buffer
  int32_t f = 0;
  double a = 0;
  int64_t toneFrames = 0;
  int64_t pauseFrames = 0;
  bool window = false;
  int32_t leftGain = 0;
  int32_t rightGain = 0;
};

// A growable byte buffer of little-endian PCM frames: left low, left high, right low, right high.
// The bytes are the buffer's record (files, the simulated device, every comparison); next to
// them it keeps how CreateSound made them, for RenderFloat.
class ToneBuffer {
 public:
  void Clear() {
    bytes_.clear();
    segments_.clear();
  }
  const uint8_t* Data() const { return bytes_.data(); }
  size_t Size() const { return bytes_.size(); }
  size_t FrameCount() const { return bytes_.size() / BytesPerFrame; }
  const std::vector<uint8_t>& Bytes() const { return bytes_; }
  // The stretches CreateSound appended, in order; bytes between them were appended as bytes.
  const std::vector<ToneSegment>& Segments() const { return segments_; }

  // Makes room for `count` more bytes at the end and returns where they start.
  uint8_t* Grow(size_t count) {
    const size_t old = bytes_.size();
    bytes_.resize(old + count);
    return bytes_.data() + old;
  }
  void Append(const uint8_t* data, size_t count) { bytes_.insert(bytes_.end(), data, data + count); }

  // The sample of one channel (0 = left) of frame `frame`.
  int16_t Sample(size_t frame, int channel) const {
    const size_t at = frame * BytesPerFrame + static_cast<size_t>(channel) * 2;
    return static_cast<int16_t>(bytes_[at] | (bytes_[at + 1] << 8));
  }

 private:
  friend void CreateSound(int32_t f, double a, double BeepTime, double PauseTime, ToneBuffer& Data,
                          bool ApplyWindow, int32_t LeftChannelGain, int32_t RightChannelGain);

  std::vector<uint8_t> bytes_;
  std::vector<ToneSegment> segments_;
};

// Appends BeepTime seconds of a sine tone of frequency f (Hz) at digital level a (dB relative to
// the amplitude 32767), shaped with sin² ramps over its first and last quarter when ApplyWindow
// is set, followed by PauseTime seconds of silence. The tone goes to the channels whose gain is 1.
// A level above full scale saturates at +-32767 instead of wrapping around.
void CreateSound(int32_t f, double a, double BeepTime, double PauseTime, ToneBuffer& Data, bool ApplyWindow,
                 int32_t LeftChannelGain, int32_t RightChannelGain);

// The ramp weight of tone frame n of N.
double RampWeight(int64_t n, int64_t N);

// A 16-bit sample s is s / FloatSampleScale as a float sample, so that both formats give the same
// analog level on a sound server or an ALSA device; full scale (32767) is 32767 / 32768.
constexpr double FloatSampleScale = 32768.0;

// The conversions between the two sample formats, for `frames` stereo frames: 16-bit samples to
// floats exactly (s / 32768), floats to 16 bits rounded (halves to even) and saturated.
void FloatFromSixteenBit(const uint8_t* bytes, size_t frames, float* samples);
void SixteenBitFromFloat(const float* samples, size_t frames, uint8_t* bytes);

// The buffer's frames as interleaved float samples (left, right; 2 x FrameCount() values): the
// stretches that CreateSound made are computed again by its rules (frequency, phase, ramps,
// frame counts, channel gains and saturation at +-32767) without the rounding to whole counts;
// bytes appended otherwise (and every stretch whose gains are not 0 or 1, or that does not begin
// on a frame) are their 16-bit samples, converted exactly.
void RenderFloat(const ToneBuffer& buffer, std::vector<float>& samples);

}  // namespace sonavel
