// Wave output through alsa-lib when no sound server answers: the playback PCMs that the
// configuration lists ("default" first). A writer thread keeps the PCM fed at a low latency
// with the submitted buffer (once or looped) and silence around it; a buffer is done when the
// PCM's delay says its last frame has left the device. The PCM is fed 32-bit float samples when
// it takes them itself (the sound server's PCM), else 16 bits as alsa-lib would otherwise
// convert the floats for a 16-bit device by truncation.
#pragma once

#include <alsa/asoundlib.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "audio/wave_out.h"

namespace sonavel {

struct AlsaPcm {
  std::string name;
  std::string description;
};

// alsa-lib writes its own diagnostics to stderr; the program reports failures itself.
void SilenceAlsaDiagnostics();

// The playback PCMs of the configuration, "default" first.
std::vector<AlsaPcm> AlsaPlaybackPcms();
// alsa-lib's version as a version word.
uint32_t AlsaVersionWord();

class AlsaWaveOut : public WaveOut {
 public:
  AlsaWaveOut() = default;
  ~AlsaWaveOut() override;

  int32_t GetNumDevs() override;
  int32_t GetDevCaps(int32_t device, WaveOutCaps& caps) override;
  // Devices are the listed PCMs; WaveMapper is "default".
  int32_t Open(int32_t device) override;
  // Opens a PCM by its ALSA name (for tests and tools).
  int32_t OpenByName(const std::string& name);
  int32_t Write(const uint8_t* data, size_t size, uint32_t loops) override;
  bool TakesFloat() const override;
  int32_t WriteFloat(const float* samples, size_t frames, uint32_t loops) override;
  WaveState Poll() override;
  int32_t Reset() override;
  int32_t Close() override;
  std::string LastError() const override;

  static constexpr unsigned TargetLatencyUsec = 40000;

  // Read at open: false plays 16 bits even where the PCM takes float (for comparing the two).
  bool PreferFloat = true;

 private:
  void Run();
  void Fill(uint8_t* out, snd_pcm_uframes_t frames);
  // Opens the PCM without alsa-lib's format conversion and sets it up for float; false (and no
  // PCM open) when it has no float of its own. With the lock held.
  bool OpenFloat(const std::string& name);
  // Takes frames in the PCM's format (converted before, outside the lock).
  int32_t Submit(std::vector<uint8_t>&& frames, uint32_t loops);

  std::vector<AlsaPcm> pcms_;
  snd_pcm_t* pcm_ = nullptr;
  std::thread writer_;
  std::atomic<bool> stop_{false};

  mutable std::mutex mutex_;
  std::condition_variable cv_;
  bool float_ = false;     // the PCM's format: float or 16 bits, fixed at open
  size_t frameBytes_ = 4;  // bytes per frame in that format
  std::vector<uint8_t> buffer_;
  uint64_t written_ = 0;  // frames handed to the PCM since open
  uint64_t played_ = 0;   // frames that have left it, from its delay
  uint64_t bufferStart_ = 0, bufferEnd_ = 0;
  bool playing_ = false;
  bool resetRequested_ = false;
  bool failed_ = false;
  std::chrono::steady_clock::time_point submitted_;
  double duration_ = 0;
  std::string lastError_;
};

}  // namespace sonavel
