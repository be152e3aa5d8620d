// The mixer model on ALSA's simple mixer: each card is a device, and so are the "pulse" and
// "default" control devices when they have elements. Playback elements make a speaker
// destination (Master: volume and mute; Bass, Treble) with sources (PCM as the wave output, CD,
// Line, Mic, Aux, Synth, PC Speaker/Beep, IEC958 as digital, others undefined); capture elements
// make a recording destination. A raw volume range min..max appears as 0..65535 in max − min
// steps.
#pragma once

#include <alsa/asoundlib.h>

#include <memory>
#include <string>
#include <vector>

#include "mixer/mixer_device.h"

namespace sonavel {

class AlsaMixer : public TopologyMixerDriver {
 public:
  // Enumerates the control devices; `extraDevices` are tried after the cards (by default the
  // "pulse" and "default" devices).
  explicit AlsaMixer(std::vector<std::string> extraDevices = {"pulse", "default"});
  ~AlsaMixer() override;
  AlsaMixer(const AlsaMixer&) = delete;

  // The ALSA name of device n ("hw:0", "pulse", ...).
  const std::string& AlsaName(uint32_t device) const { return alsa_[device].name; }

 protected:
  uint32_t ReadValues(uint32_t device, MixerTopologyControl& control) override;
  uint32_t WriteValues(uint32_t device, MixerTopologyControl& control) override;

 private:
  enum class Part { PlaybackVolume, PlaybackMute, CaptureVolume, CaptureMute, CaptureOnOff };
  struct Binding {
    uint32_t controlID;
    snd_mixer_elem_t* elem;
    Part part;
    long rawMin, rawMax;
  };
  struct AlsaDevice {
    std::string name;
    snd_mixer_t* mixer = nullptr;
    std::vector<Binding> bindings;
  };
  bool AddDevice(const std::string& name, const std::string& product);
  const Binding* Find(uint32_t device, uint32_t controlID) const;

  std::vector<AlsaDevice> alsa_;
};

}  // namespace sonavel
