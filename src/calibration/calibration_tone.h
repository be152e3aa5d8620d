// What the calibration wizard and the compatibility test share: the vertical volume sliders as
// the windows show them, the reason a slider cannot act on the card, and the looped one-second
// test tone on the program's wave-output device.
#pragma once

#include <cstdint>
#include <string>

#include "audio/endpoint_volume.h"
#include "audio/output_watch.h"
#include "audio/tone_output.h"
#include "audio/tone_synthesis.h"
#include "core/host.h"
#include "core/regional.h"
#include "mixer/mix_control.h"
#include "mixer/mixer_discovery.h"
#include "model/state.h"

namespace sonavel {

// What the two calibration windows work on; everything must outlive the window's rules.
struct CalibrationWindowContext {
  AppState& state;
  MixerControls& controls;
  EndpointVolume& endpoint;
  ToneOutput& output;
  WaveOut& waveOut;  // the device list, for the name of the active output device
  Host& host;
  const RegionalFormat& regional;
  OutputWatch* outputWatch = nullptr;  // checks the output before a tone starts; nullptr: no check
};

// A vertical slider with its maximum at the bottom: the value grows as the thumb moves up, so
// the value is Maximum - position.
struct SliderView {
  bool Visible = true;
  int32_t Maximum = 0;
  int32_t TickFrequency = 0;
  int32_t Value = 0;
  std::string Label;   // the value label under the slider
  std::string Notice;  // why moving the slider changes nothing on this card; "" when it acts

  int32_t Position() const { return Maximum - Value; }
  // The value of a thumb position, held within the slider's range as a slider holds it.
  int32_t ValueAt(int32_t position) const;
  // A value held within 0..Maximum.
  int32_t Clamp(int32_t value) const;
};

// The slider range a control's step count gives (a count beyond 32 bits stops at the largest).
int32_t SliderMaximumOf(uint32_t steps);

// Texts shown beside a slider that cannot act on the card.
constexpr const char* NoControlNotice =
    "Die Soundkarte hat diesen Regler nicht; der Schieberegler bleibt ohne Wirkung.";
constexpr const char* InactiveControlNotice =
    "Der Treiber hat diesen Regler abgeschaltet; der Schieberegler bleibt ohne Wirkung.";
constexpr const char* NoStepsNotice =
    "Die Soundkarte meldet für diesen Regler keine Stufen; der Schieberegler bleibt ohne Wirkung.";

// The notice of a slider over `control`: "" when the slider acts.
std::string SliderNotice(const TMixControl& control);

// Message shown when the test tone cannot be played; the device's own text follows it.
constexpr const char* ToneFailedText = "Der Testton lässt sich nicht abspielen: ";

// The looped calibration tone: a one-second tone with ramps and no pause, on one channel,
// repeated endlessly on the output device until stopped. Only one plays at a time.
class LoopedTone {
 public:
  LoopedTone(ToneOutput& output, Host& host, OutputWatch* watch = nullptr)
      : output_(output), host_(host), watch_(watch) {}
  ~LoopedTone() { Stop(); }
  LoopedTone(const LoopedTone&) = delete;
  LoopedTone& operator=(const LoopedTone&) = delete;

  // Makes the tone of `frequency` Hz at `level` dB relative to full scale and starts it on
  // `device`. A device that cannot be opened or take the buffer is reported through the host
  // and leaves the tone off. The output is checked first (CheckOutputBeforePlaying): a muted
  // one leaves the tone off, a Bluetooth one is warned about until the user goes on past the
  // warning once. True when the tone plays.
  bool Start(int32_t device, int32_t frequency, double level, ChannelGains gains);
  // The next Start checks the output as the first did, the Bluetooth warning included (each
  // showing of a calibration window).
  void CheckOutputAgain() { acceptedBluetooth_.clear(); }
  // Stops the tone and closes the device; nothing happens while no tone plays. A device that
  // was opened again by someone else since (a test) is not this tone's any more and stays open.
  void Stop();
  // Stops the tone and starts it again at another frequency with the same level and channel.
  bool Restart(int32_t frequency);

  bool Playing() const { return playing_; }
  int32_t Frequency() const { return frequency_; }
  double Level() const { return level_; }

 private:
  ToneOutput& output_;
  bool Play(int32_t device, int32_t frequency, double level, ChannelGains gains);

  Host& host_;
  OutputWatch* watch_;
  std::string acceptedBluetooth_;
  ToneBuffer buffer_;
  bool playing_ = false;
  uint64_t generation_ = 0;  // the output's open that plays this tone
  int32_t device_ = WaveMapper;
  int32_t frequency_ = 0;
  double level_ = 0;
  ChannelGains gains_;
};

}  // namespace sonavel
