// Wave output through the sound server: its sinks are the devices. One playback stream per open
// device at a low target latency, fed from the stream's write callback: the submitted buffer
// (once or looped, wrapping sample-exactly) and silence before and after it, so the stream runs
// without a break until close and the server never falls back to its idle latency. A buffer is
// done when the server's playback position (its timing information) has passed its last frame.
// The stream carries 32-bit float samples, which the server converts to its sink's format, so a
// tone near the threshold keeps its shape and level; buffers of 16 bits are converted exactly.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "audio/wave_out.h"
#include "platform/pulse/pulse_connection.h"

namespace sonavel {

class PulseWaveOut : public WaveOut {
 public:
  explicit PulseWaveOut(std::shared_ptr<PulseConnection> connection);
  ~PulseWaveOut() override;

  int32_t GetNumDevs() override;
  int32_t GetDevCaps(int32_t device, WaveOutCaps& caps) override;
  int32_t Open(int32_t device) override;
  int32_t Write(const uint8_t* data, size_t size, uint32_t loops) override;
  bool TakesFloat() const override { return open_ && spec_.format == PA_SAMPLE_FLOAT32NE; }
  int32_t WriteFloat(const float* samples, size_t frames, uint32_t loops) override;
  WaveState Poll() override;
  int32_t Reset() override;
  int32_t Close() override;
  std::string LastError() const override { return lastError_; }

  // The target latency the stream asks for.
  static constexpr uint32_t TargetLatencyUsec = 40000;

  // Read at open: false plays a stream of 16 bits, as a device without float would take it
  // (for comparing the two).
  bool PreferFloat = true;

 private:
  static void OnWrite(pa_stream* s, size_t nbytes, void* self);
  void Fill(size_t nbytes);
  // Takes `frames` frames in the stream's format (converted before, outside the lock).
  int32_t Submit(std::vector<uint8_t>&& frames, uint32_t loops);
  // With the lock held.
  int32_t CreateStream();
  void DropStream();

  std::shared_ptr<PulseConnection> c_;
  std::vector<PulseSink> sinks_;
  bool open_ = false;
  std::string sinkName_;  // empty: the default sink
  pa_stream* stream_ = nullptr;
  // The stream's format, fixed at open: float in the machine's byte order (little-endian on
  // every desktop the program runs on), or 16 bits.
  pa_sample_spec spec_ = {PA_SAMPLE_FLOAT32NE, 44100, 2};
  size_t frameBytes_ = 8;

  // The buffer (in the stream's format) and the stream positions (bytes since the stream
  // started), used under the lock.
  std::vector<uint8_t> buffer_;
  uint64_t written_ = 0;      // bytes handed to the stream so far
  uint64_t bufferStart_ = 0;  // stream position of the buffer's first byte
  uint64_t bufferEnd_ = 0;    // ... and one past its last (all loops)
  bool playing_ = false;
  std::chrono::steady_clock::time_point submitted_;
  double duration_ = 0;
  std::vector<uint8_t> chunk_;
  std::string lastError_;
};

}  // namespace sonavel
