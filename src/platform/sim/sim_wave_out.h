// A wave-output device on the host's clock: a buffer is done once its duration has passed. It
// keeps every submitted buffer with its start time and loop count, so tests and the simulator
// can tell what was sounding at any moment, and it can be told to fail.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "audio/wave_out.h"
#include "core/host.h"

namespace sonavel {

class SimWaveOut : public WaveOut {
 public:
  struct Submission {
    std::vector<uint8_t> bytes;
    double startSeconds = 0;
    uint32_t loops = 1;
    int32_t device = 0;
    std::optional<double> stoppedSeconds;  // set by a reset or close before the end
    size_t frames = 0;                     // also when the bytes are no longer kept

    size_t Frames() const { return frames; }
    // When the last loop ends if nothing stops it.
    double EndSeconds() const;
  };

  explicit SimWaveOut(Host& host, std::vector<WaveOutCaps> devices = {{"Sonavel Simulated Output", 0x0100}});

  // WaveOut.
  int32_t GetNumDevs() override { return static_cast<int32_t>(devices_.size()); }
  int32_t GetDevCaps(int32_t device, WaveOutCaps& caps) override;
  int32_t Open(int32_t device) override;
  int32_t Write(const uint8_t* data, size_t size, uint32_t loops) override;
  WaveState Poll() override;
  int32_t Reset() override;
  int32_t Close() override;
  std::string LastError() const override { return lastError_; }

  // Failures to play out: the next open, the next write, or the buffer that is playing.
  bool FailOpen = false;
  bool FailWrite = false;
  bool FailWhilePlaying = false;

  // How many of the latest submissions keep their bytes (a whole simulated audiogram would
  // otherwise keep some hundred megabytes); older ones keep their times and frame counts.
  size_t RetainedBuffers = static_cast<size_t>(-1);

  const std::vector<Submission>& Submissions() const { return submissions_; }
  // The buffer sounding at `seconds`, or nullptr; `frame` (if given) gets the frame of the
  // buffer that sounds then, loops counted out.
  const Submission* PlayingAt(double seconds, size_t* frame = nullptr) const;
  bool IsOpen() const { return openDevice_.has_value(); }
  std::optional<int32_t> OpenDevice() const { return openDevice_; }
  int32_t OpenCount = 0;
  int32_t ResetCount = 0;
  int32_t CloseCount = 0;

 private:
  void Stop();

  Host& host_;
  std::vector<WaveOutCaps> devices_;
  std::optional<int32_t> openDevice_;
  std::vector<Submission> submissions_;
  bool playing_ = false;  // the last submission is the current buffer
  std::string lastError_;
};

}  // namespace sonavel
