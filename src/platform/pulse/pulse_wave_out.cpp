#include "platform/pulse/pulse_wave_out.h"

#include <algorithm>
#include <cstring>

#include "audio/tone_synthesis.h"
#include "core/utf8.h"

namespace sonavel {

namespace {
constexpr double ServerTimeout = 3.0;
// A buffer that has not played out this long after its nominal end is given up as failed, so
// that a stalled server never holds up the caller.
}  // namespace

PulseWaveOut::PulseWaveOut(std::shared_ptr<PulseConnection> connection) : c_(std::move(connection)) {}

PulseWaveOut::~PulseWaveOut() { Close(); }

int32_t PulseWaveOut::GetNumDevs() {
  std::string error;
  if (!c_->Sinks(sinks_, error)) {
    lastError_ = error;
    sinks_.clear();
  }
  return static_cast<int32_t>(sinks_.size());
}

int32_t PulseWaveOut::GetDevCaps(int32_t device, WaveOutCaps& caps) {
  if (sinks_.empty()) GetNumDevs();
  if (device == WaveMapper) {
    caps = {"Standardausgabe des Audioservers", c_->ServerVersionWord()};
    return WaveOk;
  }
  if (device < 0 || device >= static_cast<int32_t>(sinks_.size())) return WaveBadDeviceId;
  const PulseSink& s = sinks_[static_cast<size_t>(device)];
  caps = {Utf8Prefix(s.description.empty() ? s.name : s.description, 32), c_->ServerVersionWord()};
  return WaveOk;
}

int32_t PulseWaveOut::Open(int32_t device) {
  lastError_.clear();
  if (open_) {
    lastError_ = WaveResultText(WaveAllocated);
    return WaveAllocated;
  }
  std::string name;
  if (device != WaveMapper) {
    std::string error;
    if (!c_->Sinks(sinks_, error)) {
      lastError_ = error;
      return WaveError;
    }
    if (device < 0 || device >= static_cast<int32_t>(sinks_.size())) {
      lastError_ = WaveResultText(WaveBadDeviceId);
      return WaveBadDeviceId;
    }
    name = sinks_[static_cast<size_t>(device)].name;
  }
  PulseConnection::Lock lock(*c_);
  sinkName_ = name;
  spec_ = {PreferFloat ? PA_SAMPLE_FLOAT32NE : PA_SAMPLE_S16LE, 44100, 2};
  frameBytes_ = pa_frame_size(&spec_);
  const int32_t r = CreateStream();
  open_ = r == WaveOk;
  return r;
}

int32_t PulseWaveOut::CreateStream() {
  written_ = bufferStart_ = bufferEnd_ = 0;
  playing_ = false;
  buffer_.clear();
  if (pa_context_get_state(c_->Context()) != PA_CONTEXT_READY) {
    lastError_ = "Die Verbindung zum Audioserver ist abgebrochen.";
    return WaveError;
  }
  pa_proplist* props = pa_proplist_new();
  pa_proplist_sets(props, PA_PROP_MEDIA_NAME, "Hörtest");
  pa_proplist_sets(props, PA_PROP_MEDIA_ROLE, "test");
  stream_ = pa_stream_new_with_proplist(c_->Context(), "Hörtest", &spec_, nullptr, props);
  pa_proplist_free(props);
  if (!stream_) {
    lastError_ = "Der Audioserver legt keinen Wiedergabestrom an: " + c_->LastErrorText();
    return WaveError;
  }
  pa_stream_set_write_callback(stream_, &PulseWaveOut::OnWrite, this);
  pa_buffer_attr attr;
  attr.maxlength = static_cast<uint32_t>(-1);
  attr.tlength = static_cast<uint32_t>(pa_usec_to_bytes(TargetLatencyUsec, &spec_));
  attr.prebuf = static_cast<uint32_t>(-1);
  attr.minreq = static_cast<uint32_t>(pa_usec_to_bytes(TargetLatencyUsec / 4, &spec_));
  attr.fragsize = static_cast<uint32_t>(-1);
  // Full stream volume, given explicitly so that no restored per-application volume or mute
  // changes the calibrated level.
  pa_cvolume volume;
  pa_cvolume_set(&volume, spec_.channels, PA_VOLUME_NORM);
  const auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_ADJUST_LATENCY | PA_STREAM_INTERPOLATE_TIMING |
                                                    PA_STREAM_AUTO_TIMING_UPDATE | PA_STREAM_START_UNMUTED);
  if (pa_stream_connect_playback(stream_, sinkName_.empty() ? nullptr : sinkName_.c_str(), &attr, flags,
                                 &volume, nullptr) < 0) {
    lastError_ = "Der Wiedergabestrom lässt sich nicht verbinden: " + c_->LastErrorText();
    DropStream();
    return WaveError;
  }
  const bool settled = c_->WaitFor(
      [&] {
        const pa_stream_state_t s = pa_stream_get_state(stream_);
        return s == PA_STREAM_READY || !PA_STREAM_IS_GOOD(s);
      },
      ServerTimeout);
  if (!settled || pa_stream_get_state(stream_) != PA_STREAM_READY) {
    lastError_ = settled ? "Das Ausgabegerät lässt sich nicht öffnen: " + c_->LastErrorText()
                         : "Der Audioserver antwortet nicht.";
    DropStream();
    return WaveError;
  }
  return WaveOk;
}

void PulseWaveOut::DropStream() {
  if (!stream_) return;
  pa_stream_set_write_callback(stream_, nullptr, nullptr);
  if (PA_STREAM_IS_GOOD(pa_stream_get_state(stream_))) pa_stream_disconnect(stream_);
  pa_stream_unref(stream_);
  stream_ = nullptr;
}

void PulseWaveOut::OnWrite(pa_stream*, size_t nbytes, void* self) {
  static_cast<PulseWaveOut*>(self)->Fill(nbytes);
}

void PulseWaveOut::Fill(size_t nbytes) {
  nbytes -= nbytes % frameBytes_;
  if (nbytes == 0 || !stream_) return;
  chunk_.assign(nbytes, 0);
  if (playing_ && written_ < bufferEnd_ && !buffer_.empty()) {
    const uint64_t from = written_ - bufferStart_;
    const uint64_t count = std::min<uint64_t>(nbytes, bufferEnd_ - written_);
    for (uint64_t i = 0; i < count;) {
      // Loops wrap at the buffer's end, sample-exactly.
      const uint64_t at = (from + i) % buffer_.size();
      const uint64_t run = std::min<uint64_t>(count - i, buffer_.size() - at);
      std::memcpy(chunk_.data() + i, buffer_.data() + at, run);
      i += run;
    }
  }
  if (pa_stream_write(stream_, chunk_.data(), nbytes, nullptr, 0, PA_SEEK_RELATIVE) == 0) written_ += nbytes;
}

int32_t PulseWaveOut::Write(const uint8_t* data, size_t size, uint32_t loops) {
  const size_t frames = size / 4;
  std::vector<uint8_t> converted;
  if (TakesFloat()) {
    std::vector<float> samples(2 * frames);
    FloatFromSixteenBit(data, frames, samples.data());
    converted.resize(frames * frameBytes_);
    std::memcpy(converted.data(), samples.data(), converted.size());
  } else {
    converted.assign(data, data + frames * 4);
  }
  return Submit(std::move(converted), loops);
}

int32_t PulseWaveOut::WriteFloat(const float* samples, size_t frames, uint32_t loops) {
  std::vector<uint8_t> converted(frames * frameBytes_);
  if (TakesFloat())
    std::memcpy(converted.data(), samples, converted.size());
  else
    SixteenBitFromFloat(samples, frames, converted.data());
  return Submit(std::move(converted), loops);
}

int32_t PulseWaveOut::Submit(std::vector<uint8_t>&& frames, uint32_t loops) {
  lastError_.clear();
  if (!open_) {
    lastError_ = WaveResultText(WaveInvalidHandle);
    return WaveInvalidHandle;
  }
  if (Poll() == WaveState::Playing) {
    lastError_ = WaveResultText(WaveStillPlaying);
    return WaveStillPlaying;
  }
  PulseConnection::Lock lock(*c_);
  if (!stream_ || pa_stream_get_state(stream_) != PA_STREAM_READY) {
    lastError_ = "Die Verbindung zum Audioserver ist abgebrochen.";
    return WaveError;
  }
  buffer_ = std::move(frames);
  bufferStart_ = written_;
  bufferEnd_ = written_ + static_cast<uint64_t>(buffer_.size()) * (loops == 0 ? 1 : loops);
  duration_ = static_cast<double>(bufferEnd_ - bufferStart_) / static_cast<double>(44100 * frameBytes_);
  submitted_ = std::chrono::steady_clock::now();
  playing_ = true;
  return WaveOk;
}

WaveState PulseWaveOut::Poll() {
  if (!open_) return WaveState::Idle;
  PulseConnection::Lock lock(*c_);
  if (!playing_) return WaveState::Idle;
  if (!stream_ || pa_stream_get_state(stream_) != PA_STREAM_READY ||
      pa_context_get_state(c_->Context()) != PA_CONTEXT_READY) {
    lastError_ = "Die Verbindung zum Audioserver ist während der Wiedergabe abgebrochen.";
    return WaveState::Failed;
  }
  const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - submitted_).count();
  pa_usec_t usec = 0;
  const bool playedOut =
      pa_stream_get_time(stream_, &usec) == 0 && pa_usec_to_bytes(usec, &spec_) >= bufferEnd_;
  const WaveState state = PlayoutState(playedOut, elapsed, duration_);
  if (state == WaveState::Done) playing_ = false;
  if (state == WaveState::Failed)
    lastError_ = "Die Wiedergabe kommt nicht voran: der Audioserver spielt nicht ab.";
  return state;
}

int32_t PulseWaveOut::Reset() {
  if (!open_) return WaveInvalidHandle;
  PulseConnection::Lock lock(*c_);
  // Taking the stream away silences it at once; a fresh one keeps the device running.
  DropStream();
  const int32_t r = CreateStream();
  if (r != WaveOk) open_ = false;
  return r;
}

int32_t PulseWaveOut::Close() {
  if (!open_) return WaveInvalidHandle;
  PulseConnection::Lock lock(*c_);
  DropStream();
  playing_ = false;
  open_ = false;
  return WaveOk;
}

}  // namespace sonavel
