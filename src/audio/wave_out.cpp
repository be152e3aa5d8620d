#include "audio/wave_out.h"

#include <vector>

#include "audio/tone_synthesis.h"
#include "mixer/mixer_discovery.h"

namespace sonavel {

std::string WaveOutEntryText(const WaveOutCaps& caps) {
  return caps.Name + " Driver Version " + DriverVersionText(caps.DriverVersion & 0xFFFF);
}

WaveState PlayoutState(bool playedOut, double elapsedSeconds, double durationSeconds) {
  if (playedOut && elapsedSeconds >= durationSeconds) return WaveState::Done;
  if (elapsedSeconds > durationSeconds + PlayoutStallSeconds) return WaveState::Failed;
  return WaveState::Playing;
}

int32_t WaveOut::WriteFloat(const float* samples, size_t frames, uint32_t loops) {
  std::vector<uint8_t> bytes(frames * BytesPerFrame);
  SixteenBitFromFloat(samples, frames, bytes.data());
  return Write(bytes.data(), bytes.size(), loops);
}

std::string WaveResultText(int32_t code) {
  switch (code) {
    case WaveOk:
      return "";
    case WaveBadDeviceId:
      return "Das Audioausgabegerät ist nicht vorhanden.";
    case WaveAllocated:
      return "Das Audioausgabegerät wird bereits verwendet.";
    case WaveInvalidHandle:
      return "Kein Audioausgabegerät geöffnet.";
    case WaveNoDriver:
      return "Kein Audiosystem antwortet.";
    case WaveNoMemory:
      return "Zu wenig Speicher für die Audioausgabe.";
    case WaveBadFormat:
      return "Das Audioausgabegerät unterstützt das Format 44100 Hz, 16 Bit, Stereo nicht.";
    case WaveStillPlaying:
      return "Das Audioausgabegerät spielt noch.";
    default:
      return "Das Audioausgabegerät meldet einen Fehler.";
  }
}

}  // namespace sonavel
