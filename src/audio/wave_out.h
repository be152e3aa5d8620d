// The wave-output driver the core plays through: a device list, one open device at a time in
// the one format of the program (44100 Hz, 16-bit, stereo PCM), a buffer submitted once or
// looped, a done flag that is polled, reset and close. Every call returns a status. A device
// that plays 32-bit float samples says so (TakesFloat) and then also takes the same frames as
// floats, so that a tone near the threshold is not a few 16-bit counts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace sonavel {

// Status codes of the wave-output calls (0 = success), numbered as the multimedia system's.
enum WaveResult : int32_t {
  WaveOk = 0,
  WaveError = 1,          // the device or sound server failed
  WaveBadDeviceId = 2,    // no such device
  WaveAllocated = 4,      // the device is in use
  WaveInvalidHandle = 5,  // no device is open
  WaveNoDriver = 6,       // no sound system answers
  WaveNoMemory = 7,
  WaveBadFormat = 32,     // the device does not take the format
  WaveStillPlaying = 33,  // a buffer is still playing
};

// The default output device.
constexpr int32_t WaveMapper = -1;

struct WaveOutCaps {
  std::string Name;            // the product name, at most 32 characters
  uint32_t DriverVersion = 0;  // low 16 bits: major in the high byte, minor in the low byte
};

// The entry text of a device list: name + " Driver Version " + major + "." + minor.
std::string WaveOutEntryText(const WaveOutCaps& caps);

// The state of the buffer last written.
enum class WaveState {
  Idle,     // nothing written since open or reset
  Playing,  // written and not yet played out
  Done,     // played out completely
  Failed,   // the device failed while the buffer was playing
};

// How long a real device may lag behind a buffer's duration before it counts as stalled.
constexpr double PlayoutStallSeconds = 5.0;

// The "done or stalled" rule of a real output: Done once the device has played past the
// buffer's end (`playedOut`) and the buffer's duration has elapsed since it was written (a
// position is an estimate between two timing updates, and no buffer plays out faster than its
// duration); Failed when neither has happened PlayoutStallSeconds after that duration; else
// Playing.
WaveState PlayoutState(bool playedOut, double elapsedSeconds, double durationSeconds);

class WaveOut {
 public:
  virtual ~WaveOut() = default;

  virtual int32_t GetNumDevs() = 0;
  virtual int32_t GetDevCaps(int32_t device, WaveOutCaps& caps) = 0;
  // Opens device `device` (WaveMapper = the default) with the program's format.
  virtual int32_t Open(int32_t device) = 0;
  // Submits `size` bytes of frames, played `loops` times in a row (0 counts as 1); the driver
  // keeps its own copy, so the caller may change its buffer at once.
  virtual int32_t Write(const uint8_t* data, size_t size, uint32_t loops) = 0;
  // Whether the open device plays float frames at their precision; false for a device of 16
  // bits (the default) and while none is open.
  virtual bool TakesFloat() const { return false; }
  // Submits `frames` frames of interleaved float samples (left, right; a 16-bit sample s is
  // s / 32768), played `loops` times in a row (0 counts as 1); the driver keeps its own copy.
  // The default rounds them to 16 bits (halves to even, saturating) and writes those.
  virtual int32_t WriteFloat(const float* samples, size_t frames, uint32_t loops);
  // Polls the buffer last written.
  virtual WaveState Poll() = 0;
  // Stops at once; the device stays open.
  virtual int32_t Reset() = 0;
  virtual int32_t Close() = 0;
  // A text for the user about the last failure ("" when there was none).
  virtual std::string LastError() const = 0;
};

// A text for a status code, used when a driver gave none of its own.
std::string WaveResultText(int32_t code);

}  // namespace sonavel
