// Bringing a ToneBuffer to the headphones at a calibrated level: the one open wave-output device
// with its buffer header, played once per presentation (the test) or looped until stopped (the
// calibration tone), and the mixer levels that lie outside the samples.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "audio/endpoint_volume.h"
#include "audio/tone_synthesis.h"
#include "audio/wave_out.h"
#include "model/calibration_data.h"
#include "mixer/mixer_discovery.h"

namespace sonavel {

// Header flags.
constexpr uint32_t WHDR_DONE = 0x01;
constexpr uint32_t WHDR_PREPARED = 0x02;
constexpr uint32_t WHDR_BEGINLOOP = 0x04;
constexpr uint32_t WHDR_ENDLOOP = 0x08;

// The one format of every playback.
struct WaveFormat {
  uint16_t wFormatTag = 1;  // PCM
  uint16_t nChannels = 2;
  uint32_t nSamplesPerSec = 44100;
  uint32_t nAvgBytesPerSec = 176400;
  uint16_t nBlockAlign = 4;
  uint16_t wBitsPerSample = 16;
  uint16_t cbSize = 0;
};

struct WaveHeader {
  std::vector<uint8_t> Data;  // the device's own copy of the submitted bytes
  // The same frames as float samples (RenderFloat), for a device that takes floats; empty for a
  // device of 16 bits, which is given the bytes.
  std::vector<float> Samples;
  uint32_t Flags = 0;
  uint32_t Loops = 0;
};

// The wave-output device of the program. Status-returning calls give a WaveResult (0 = ok).
// Unlike a device that is only polled, a failure is never silent: a device that fails to open
// or to take a buffer, or fails while playing, makes ToneDone true and Failed() tells why, so a
// caller's wait always ends.
class ToneOutput {
 public:
  explicit ToneOutput(WaveOut& driver) : driver_(driver) {}
  ~ToneOutput();
  ToneOutput(const ToneOutput&) = delete;

  // The test: open, then per presentation PlayToneBuffer and poll ToneDone, then close.
  int32_t OpenToneOutput(int32_t device);
  int32_t PlayToneBuffer(const ToneBuffer& buffer);
  bool ToneDone();
  void CloseToneOutput();

  // The calibration tone: open and prepare a header looped `loops` times (-1 = endless), start
  // it with StartPlay, stop it with FinishPlay.
  int32_t PreparePlay(int32_t DeviceID, const ToneBuffer& Memory, int32_t loops);
  int32_t StartPlay();
  void FinishPlay();

  bool IsOpen() const { return open_; }
  // Counts the opens: whoever opened the device can tell whether it is still its own.
  uint64_t OpenGeneration() const { return generation_; }
  bool Failed() const { return !failure_.empty(); }
  // What went wrong, for the user: "" while nothing failed.
  const std::string& FailureText() const { return failure_; }

  const WaveFormat Format{};
  const WaveHeader& Header() const { return header_; }

 private:
  int32_t Open(int32_t device);
  int32_t Fail(int32_t code);
  // The header's frames for the open device: the buffer's bytes, and its float frames when the
  // device takes them.
  void Fill(const ToneBuffer& buffer);
  int32_t Submit(uint32_t loops);

  WaveOut& driver_;
  WaveHeader header_;
  bool open_ = false;
  bool written_ = false;
  uint64_t generation_ = 0;
  bool asFloat_ = false;  // the header's frames go to the device as floats
  std::string failure_;
};

// The mixer preparation before a test or a calibration: sources other than the wave output
// muted, the output gain at half its range (mixer only), the speaker switch off and the tone
// controls in their middle position.
void PrepareSoundCard(bool UseEndpointVolume, MixerControls& controls);

// The output gain at `steps` steps for ear `ear`: both channels of a uniform control, else only
// the ear's channel (the other at 0). A control without a step size is left as it is.
void SetGainOfEar(TMixUnsignedControl& gain, int32_t steps, int32_t ear);

// The wave, master and gain levels of ear `ear` (0/1) and frequency slot `slot` (0..12) from the
// calibration entry, exactly as the calibration by ear set them when it found them. With the
// mixer's master control only the tested ear's channel is open unless the control is uniform;
// with the endpoint volume the master is MasterLevel / 1000. A control without a step size is
// never set.
void SetOutputLevels(bool UseEndpointVolume, const CalibrationTable& CalibrationData, MixerControls& controls,
                     EndpointVolume& endpoint, int32_t ear, int32_t slot);

}  // namespace sonavel
