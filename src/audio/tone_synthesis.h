// Synthesis of one tone presentation into 16-bit stereo PCM at 44100 frames per second.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace sonavel {

constexpr int32_t SampleRate = 44100;
constexpr int32_t BytesPerFrame = 4;
constexpr int32_t FullScaleAmplitude = 32767;

// A growable byte buffer of little-endian PCM frames: left low, left high, right low, right high.
class ToneBuffer {
 public:
  void Clear() { bytes_.clear(); }
  const uint8_t* Data() const { return bytes_.data(); }
  size_t Size() const { return bytes_.size(); }
  size_t FrameCount() const { return bytes_.size() / BytesPerFrame; }
  const std::vector<uint8_t>& Bytes() const { return bytes_; }

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
  std::vector<uint8_t> bytes_;
};

// Appends BeepTime seconds of a sine tone of frequency f (Hz) at digital level a (dB relative to
// the amplitude 32767), shaped with sin² ramps over its first and last quarter when ApplyWindow
// is set, followed by PauseTime seconds of silence. The tone goes to the channels whose gain is 1.
// A level above full scale saturates at +-32767 instead of wrapping around.
void CreateSound(int32_t f, double a, double BeepTime, double PauseTime, ToneBuffer& Data, bool ApplyWindow,
                 int32_t LeftChannelGain, int32_t RightChannelGain);

// The ramp weight of tone frame n of N.
double RampWeight(int64_t n, int64_t N);

}  // namespace sonavel
