#include "platform/alsa/alsa_wave_out.h"

#include <algorithm>
#include <cstring>

#include "audio/tone_synthesis.h"
#include "core/utf8.h"
#include "platform/pulse/pulse_connection.h"

namespace sonavel {

namespace {
constexpr snd_pcm_uframes_t ChunkFrames = 441;  // 10 ms
}  // namespace

namespace {
void Quiet(const char*, int, const char*, int, const char*, ...) {}

// Whether the PCM's hardware parameters take `format` with interleaved stereo access.
bool TakesFormat(snd_pcm_t* pcm, snd_pcm_format_t format) {
  snd_pcm_hw_params_t* hw = nullptr;
  snd_pcm_hw_params_alloca(&hw);
  return snd_pcm_hw_params_any(pcm, hw) >= 0 &&
         snd_pcm_hw_params_set_access(pcm, hw, SND_PCM_ACCESS_RW_INTERLEAVED) >= 0 &&
         snd_pcm_hw_params_set_channels(pcm, hw, 2) >= 0 &&
         snd_pcm_hw_params_test_format(pcm, hw, format) >= 0;
}
}  // namespace

void SilenceAlsaDiagnostics() { snd_lib_error_set_handler(&Quiet); }

std::vector<AlsaPcm> AlsaPlaybackPcms() {
  SilenceAlsaDiagnostics();
  std::vector<AlsaPcm> pcms;
  void** hints = nullptr;
  if (snd_device_name_hint(-1, "pcm", &hints) < 0 || !hints) return pcms;
  for (void** h = hints; *h; ++h) {
    char* name = snd_device_name_get_hint(*h, "NAME");
    char* desc = snd_device_name_get_hint(*h, "DESC");
    char* ioid = snd_device_name_get_hint(*h, "IOID");
    const bool playback = !ioid || std::strcmp(ioid, "Output") == 0;
    if (name && playback) {
      std::string d = desc ? desc : name;
      std::replace(d.begin(), d.end(), '\n', ' ');
      pcms.push_back({name, d});
    }
    std::free(name);
    std::free(desc);
    std::free(ioid);
  }
  snd_device_name_free_hint(hints);
  const auto def =
      std::find_if(pcms.begin(), pcms.end(), [](const AlsaPcm& p) { return p.name == "default"; });
  if (def != pcms.end())
    std::rotate(pcms.begin(), def, def + 1);
  else
    pcms.insert(pcms.begin(), {"default", "Default ALSA Output"});
  return pcms;
}

uint32_t AlsaVersionWord() { return VersionWordFromText(snd_asoundlib_version()); }

AlsaWaveOut::~AlsaWaveOut() { Close(); }

int32_t AlsaWaveOut::GetNumDevs() {
  pcms_ = AlsaPlaybackPcms();
  return static_cast<int32_t>(pcms_.size());
}

int32_t AlsaWaveOut::GetDevCaps(int32_t device, WaveOutCaps& caps) {
  if (pcms_.empty()) GetNumDevs();
  if (device == WaveMapper) device = 0;
  if (device < 0 || device >= static_cast<int32_t>(pcms_.size())) return WaveBadDeviceId;
  caps = {Utf8Prefix(pcms_[static_cast<size_t>(device)].description, 32), AlsaVersionWord()};
  return WaveOk;
}

int32_t AlsaWaveOut::Open(int32_t device) {
  if (device == WaveMapper) return OpenByName("default");
  GetNumDevs();
  if (device < 0 || device >= static_cast<int32_t>(pcms_.size())) {
    std::lock_guard<std::mutex> lock(mutex_);
    lastError_ = WaveResultText(WaveBadDeviceId);
    return WaveBadDeviceId;
  }
  return OpenByName(pcms_[static_cast<size_t>(device)].name);
}

bool AlsaWaveOut::OpenFloat(const std::string& name) {
  if (snd_pcm_open(&pcm_, name.c_str(), SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK | SND_PCM_NO_AUTO_FORMAT) <
      0) {
    pcm_ = nullptr;
    return false;
  }
  if (TakesFormat(pcm_, SND_PCM_FORMAT_FLOAT) &&
      snd_pcm_set_params(pcm_, SND_PCM_FORMAT_FLOAT, SND_PCM_ACCESS_RW_INTERLEAVED, 2, 44100, 1,
                         TargetLatencyUsec) >= 0)
    return true;
  snd_pcm_close(pcm_);
  pcm_ = nullptr;
  return false;
}

int32_t AlsaWaveOut::OpenByName(const std::string& name) {
  SilenceAlsaDiagnostics();
  std::unique_lock<std::mutex> lock(mutex_);
  lastError_.clear();
  if (pcm_) {
    lastError_ = WaveResultText(WaveAllocated);
    return WaveAllocated;
  }
  // Float only where the PCM takes it itself: alsa-lib's own conversion from float for a device
  // of 16 bits truncates instead of rounding, which would play worse than the 16-bit buffer. So
  // the PCM is first opened without that conversion, and opened again as before if it has no
  // float of its own or cannot set it up at this rate and latency.
  float_ = PreferFloat && OpenFloat(name);
  int err = 0;
  if (!float_) {
    // Non-blocking, so that a device held by another program is an error and not a wait.
    err = snd_pcm_open(&pcm_, name.c_str(), SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK);
    if (err < 0) {
      pcm_ = nullptr;
      lastError_ = "Das Ausgabegerät \"" + name + "\" lässt sich nicht öffnen: " + snd_strerror(err);
      return err == -EBUSY ? WaveAllocated : (err == -ENOENT ? WaveBadDeviceId : WaveError);
    }
    err = snd_pcm_set_params(pcm_, SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED, 2, 44100, 1,
                             TargetLatencyUsec);
  }
  frameBytes_ = float_ ? 8 : 4;
  if (err < 0) {
    lastError_ =
        "Das Ausgabegerät \"" + name + "\" nimmt 44100 Hz, 16 Bit, Stereo nicht an: " + snd_strerror(err);
    snd_pcm_close(pcm_);
    pcm_ = nullptr;
    return WaveBadFormat;
  }
  written_ = played_ = bufferStart_ = bufferEnd_ = 0;
  playing_ = resetRequested_ = failed_ = false;
  stop_ = false;
  lock.unlock();
  writer_ = std::thread([this] { Run(); });
  return WaveOk;
}

void AlsaWaveOut::Fill(uint8_t* out, snd_pcm_uframes_t frames) {
  std::memset(out, 0, frames * frameBytes_);
  if (!playing_ || written_ >= bufferEnd_ || buffer_.empty()) return;
  const uint64_t total = buffer_.size() / frameBytes_;
  const uint64_t from = written_ - bufferStart_;
  const uint64_t count = std::min<uint64_t>(frames, bufferEnd_ - written_);
  for (uint64_t i = 0; i < count;) {
    const uint64_t at = (from + i) % total;  // loops wrap sample-exactly
    const uint64_t run = std::min<uint64_t>(count - i, total - at);
    std::memcpy(out + i * frameBytes_, buffer_.data() + at * frameBytes_, run * frameBytes_);
    i += run;
  }
}

void AlsaWaveOut::Run() {
  std::vector<uint8_t> chunk(ChunkFrames * frameBytes_);
  while (!stop_) {
    const int ready = snd_pcm_wait(pcm_, 20);
    std::unique_lock<std::mutex> lock(mutex_);
    if (resetRequested_) {
      snd_pcm_drop(pcm_);
      snd_pcm_prepare(pcm_);
      playing_ = false;
      played_ = written_;
      resetRequested_ = false;
      cv_.notify_all();
      continue;
    }
    if (ready < 0 && snd_pcm_recover(pcm_, ready, 1) < 0) {
      failed_ = true;
      lastError_ = std::string("Das Ausgabegerät ist ausgefallen: ") + snd_strerror(ready);
      lock.unlock();
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      continue;
    }
    snd_pcm_sframes_t avail = snd_pcm_avail_update(pcm_);
    if (avail < 0) {
      if (snd_pcm_recover(pcm_, static_cast<int>(avail), 1) < 0) {
        failed_ = true;
        lastError_ =
            std::string("Das Ausgabegerät ist ausgefallen: ") + snd_strerror(static_cast<int>(avail));
      }
      continue;
    }
    while (avail > 0) {
      const auto frames = std::min<snd_pcm_uframes_t>(static_cast<snd_pcm_uframes_t>(avail), ChunkFrames);
      Fill(chunk.data(), frames);
      const snd_pcm_sframes_t n = snd_pcm_writei(pcm_, chunk.data(), frames);
      if (n == -EAGAIN) break;
      if (n < 0) {
        // An underrun: everything written so far has played; go on after recovering.
        played_ = written_;
        if (snd_pcm_recover(pcm_, static_cast<int>(n), 1) < 0) {
          failed_ = true;
          lastError_ = std::string("Das Ausgabegerät ist ausgefallen: ") + snd_strerror(static_cast<int>(n));
        }
        break;
      }
      written_ += static_cast<uint64_t>(n);
      avail -= n;
    }
    // The PCM starts by itself once its buffer is full.
    snd_pcm_sframes_t delay = 0;
    if (snd_pcm_delay(pcm_, &delay) == 0 && delay >= 0) {
      const uint64_t now = written_ - std::min<uint64_t>(written_, static_cast<uint64_t>(delay));
      played_ = std::max(played_, now);
    }
  }
}

bool AlsaWaveOut::TakesFloat() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return pcm_ && float_;
}

int32_t AlsaWaveOut::Write(const uint8_t* data, size_t size, uint32_t loops) {
  const size_t frames = size / 4;
  std::vector<uint8_t> converted;
  if (TakesFloat()) {
    std::vector<float> samples(2 * frames);
    FloatFromSixteenBit(data, frames, samples.data());
    converted.resize(frames * 8);
    std::memcpy(converted.data(), samples.data(), converted.size());
  } else {
    converted.assign(data, data + frames * 4);
  }
  return Submit(std::move(converted), loops);
}

int32_t AlsaWaveOut::WriteFloat(const float* samples, size_t frames, uint32_t loops) {
  std::vector<uint8_t> converted;
  if (TakesFloat()) {
    converted.resize(frames * 8);
    std::memcpy(converted.data(), samples, converted.size());
  } else {
    converted.resize(frames * 4);
    SixteenBitFromFloat(samples, frames, converted.data());
  }
  return Submit(std::move(converted), loops);
}

int32_t AlsaWaveOut::Submit(std::vector<uint8_t>&& frames, uint32_t loops) {
  std::lock_guard<std::mutex> lock(mutex_);
  lastError_.clear();
  if (!pcm_) {
    lastError_ = WaveResultText(WaveInvalidHandle);
    return WaveInvalidHandle;
  }
  if (failed_) return WaveError;
  if (playing_ && played_ < bufferEnd_) {
    lastError_ = WaveResultText(WaveStillPlaying);
    return WaveStillPlaying;
  }
  buffer_ = std::move(frames);
  bufferStart_ = written_;
  bufferEnd_ = written_ + static_cast<uint64_t>(buffer_.size() / frameBytes_) * (loops == 0 ? 1 : loops);
  duration_ = static_cast<double>(bufferEnd_ - bufferStart_) / 44100.0;
  submitted_ = std::chrono::steady_clock::now();
  playing_ = true;
  return WaveOk;
}

WaveState AlsaWaveOut::Poll() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!pcm_) return WaveState::Idle;
  if (failed_) return WaveState::Failed;
  if (!playing_) return WaveState::Idle;
  const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - submitted_).count();
  const WaveState state = PlayoutState(played_ >= bufferEnd_, elapsed, duration_);
  if (state == WaveState::Done) playing_ = false;
  if (state == WaveState::Failed)
    lastError_ = "Die Wiedergabe kommt nicht voran: das Ausgabegerät spielt nicht ab.";
  return state;
}

int32_t AlsaWaveOut::Reset() {
  std::unique_lock<std::mutex> lock(mutex_);
  if (!pcm_) return WaveInvalidHandle;
  resetRequested_ = true;
  if (!cv_.wait_for(lock, std::chrono::seconds(2), [&] { return !resetRequested_; })) {
    lastError_ = "Das Ausgabegerät lässt sich nicht anhalten.";
    return WaveError;
  }
  return WaveOk;
}

int32_t AlsaWaveOut::Close() {
  if (!pcm_) return WaveInvalidHandle;
  stop_ = true;
  if (writer_.joinable()) writer_.join();
  std::lock_guard<std::mutex> lock(mutex_);
  snd_pcm_drop(pcm_);
  snd_pcm_close(pcm_);
  pcm_ = nullptr;
  playing_ = false;
  return WaveOk;
}

std::string AlsaWaveOut::LastError() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return lastError_;
}

}  // namespace sonavel
