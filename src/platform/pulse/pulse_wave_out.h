// Wave output through the sound server: its sinks are the devices. One playback stream per open
// device at a low target latency, fed from the stream's write callback: the submitted buffer
// (once or looped, wrapping sample-exactly) and silence before and after it, so the stream runs
// without a break until close and the server never falls back to its idle latency. A buffer is
// done when the server's playback position (its timing information) has passed its last frame.
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
  WaveState Poll() override;
  int32_t Reset() override;
  int32_t Close() override;
  std::string LastError() const override { return lastError_; }

  // The target latency the stream asks for.
  static constexpr uint32_t TargetLatencyUsec = 40000;

 private:
  static void OnWrite(pa_stream* s, size_t nbytes, void* self);
  void Fill(size_t nbytes);
  // With the lock held.
  int32_t CreateStream();
  void DropStream();

  std::shared_ptr<PulseConnection> c_;
  std::vector<PulseSink> sinks_;
  bool open_ = false;
  std::string sinkName_;  // empty: the default sink
  pa_stream* stream_ = nullptr;

  // The buffer and the stream positions (bytes since the stream started), used under the lock.
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
