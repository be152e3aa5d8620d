#include "platform/sim/sim_wave_out.h"

#include <cmath>

namespace sonavel {

namespace {
// The clock advances in sums of 50 ms steps that are not exact in binary.
constexpr double Epsilon = 1e-9;
}  // namespace

double SimWaveOut::Submission::EndSeconds() const {
  return startSeconds + static_cast<double>(Frames()) * static_cast<double>(loops) / 44100.0;
}

SimWaveOut::SimWaveOut(Host& host, std::vector<WaveOutCaps> devices)
    : host_(host), devices_(std::move(devices)) {}

int32_t SimWaveOut::GetDevCaps(int32_t device, WaveOutCaps& caps) {
  if (device == WaveMapper && !devices_.empty()) device = 0;
  if (device < 0 || device >= static_cast<int32_t>(devices_.size())) return WaveBadDeviceId;
  caps = devices_[static_cast<size_t>(device)];
  return WaveOk;
}

int32_t SimWaveOut::Open(int32_t device) {
  lastError_.clear();
  if (openDevice_) {
    lastError_ = "Das simulierte Ausgabegerät ist bereits geöffnet.";
    return WaveAllocated;
  }
  if (device == WaveMapper && !devices_.empty()) device = 0;
  if (device < 0 || device >= static_cast<int32_t>(devices_.size())) {
    lastError_ = WaveResultText(WaveBadDeviceId);
    return WaveBadDeviceId;
  }
  if (FailOpen) {
    lastError_ = "Das simulierte Ausgabegerät lässt sich nicht öffnen.";
    return WaveError;
  }
  openDevice_ = device;
  ++OpenCount;
  return WaveOk;
}

int32_t SimWaveOut::Write(const uint8_t* data, size_t size, uint32_t loops) {
  lastError_.clear();
  if (!openDevice_) {
    lastError_ = WaveResultText(WaveInvalidHandle);
    return WaveInvalidHandle;
  }
  if (Poll() == WaveState::Playing) {
    lastError_ = WaveResultText(WaveStillPlaying);
    return WaveStillPlaying;
  }
  if (FailWrite) {
    lastError_ = "Das simulierte Ausgabegerät nimmt den Puffer nicht an.";
    return WaveError;
  }
  Submission s;
  s.bytes.assign(data, data + size);
  s.frames = size / 4;
  s.startSeconds = host_.MonotonicSeconds();
  s.loops = loops == 0 ? 1 : loops;
  s.device = *openDevice_;
  submissions_.push_back(std::move(s));
  if (submissions_.size() > RetainedBuffers) {
    std::vector<uint8_t>& old = submissions_[submissions_.size() - 1 - RetainedBuffers].bytes;
    old.clear();
    old.shrink_to_fit();
  }
  playing_ = true;
  return WaveOk;
}

WaveState SimWaveOut::Poll() {
  if (!playing_ || submissions_.empty()) return WaveState::Idle;
  const Submission& s = submissions_.back();
  if (s.stoppedSeconds) return WaveState::Idle;
  if (FailWhilePlaying) {
    lastError_ = "Das simulierte Ausgabegerät ist während der Wiedergabe ausgefallen.";
    return WaveState::Failed;
  }
  return host_.MonotonicSeconds() + Epsilon >= s.EndSeconds() ? WaveState::Done : WaveState::Playing;
}

void SimWaveOut::Stop() {
  if (playing_ && !submissions_.empty()) {
    Submission& s = submissions_.back();
    const double now = host_.MonotonicSeconds();
    if (!s.stoppedSeconds && now + Epsilon < s.EndSeconds()) s.stoppedSeconds = now;
  }
  playing_ = false;
}

int32_t SimWaveOut::Reset() {
  if (!openDevice_) return WaveInvalidHandle;
  ++ResetCount;
  Stop();
  return WaveOk;
}

int32_t SimWaveOut::Close() {
  if (!openDevice_) return WaveInvalidHandle;
  Stop();
  openDevice_.reset();
  ++CloseCount;
  return WaveOk;
}

const SimWaveOut::Submission* SimWaveOut::PlayingAt(double seconds, size_t* frame) const {
  for (auto it = submissions_.rbegin(); it != submissions_.rend(); ++it) {
    const double end = it->stoppedSeconds ? *it->stoppedSeconds : it->EndSeconds();
    if (seconds + Epsilon < it->startSeconds || seconds >= end - Epsilon || it->Frames() == 0) continue;
    if (frame) {
      const auto n = static_cast<uint64_t>(std::floor((seconds - it->startSeconds) * 44100.0 + Epsilon));
      *frame = static_cast<size_t>(n % it->Frames());
    }
    return &*it;
  }
  return nullptr;
}

}  // namespace sonavel
