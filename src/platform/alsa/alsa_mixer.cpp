#include "platform/alsa/alsa_mixer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/rounding.h"
#include "core/utf8.h"
#include "platform/alsa/alsa_wave_out.h"

namespace sonavel {

namespace {

uint32_t SourceType(const std::string& name) {
  struct Map {
    const char* prefix;
    uint32_t type;
  };
  static const Map map[] = {
      {"PCM", SRC_WAVEOUT},          {"CD", SRC_COMPACTDISC}, {"Line", SRC_LINE},
      {"Mic", SRC_MICROPHONE},       {"Aux", SRC_AUXILIARY},  {"Synth", SRC_SYNTHESIZER},
      {"PC Speaker", SRC_PCSPEAKER}, {"Beep", SRC_PCSPEAKER}, {"IEC958", SRC_DIGITAL},
  };
  for (const Map& m : map)
    if (name == m.prefix || (std::strcmp(m.prefix, "IEC958") == 0 && name.rfind("IEC958", 0) == 0))
      return m.type;
  return SRC_UNDEFINED;
}

const snd_mixer_selem_channel_id_t Left = SND_MIXER_SCHN_FRONT_LEFT;
const snd_mixer_selem_channel_id_t Right = SND_MIXER_SCHN_FRONT_RIGHT;

}  // namespace

AlsaMixer::AlsaMixer(std::vector<std::string> extraDevices) {
  SilenceAlsaDiagnostics();
  int card = -1;
  while (snd_card_next(&card) == 0 && card >= 0) {
    char* name = nullptr;
    std::string product = "hw:" + std::to_string(card);
    if (snd_card_get_name(card, &name) == 0 && name) product = name;
    std::free(name);
    AddDevice("hw:" + std::to_string(card), product);
  }
  for (const std::string& extra : extraDevices)
    AddDevice(extra, extra == "pulse" ? "PulseAudio" : extra == "default" ? "ALSA default" : extra);
}

AlsaMixer::~AlsaMixer() {
  for (auto& d : alsa_)
    if (d.mixer) snd_mixer_close(d.mixer);
}

bool AlsaMixer::AddDevice(const std::string& name, const std::string& product) {
  snd_mixer_t* mixer = nullptr;
  if (snd_mixer_open(&mixer, 0) < 0) return false;
  if (snd_mixer_attach(mixer, name.c_str()) < 0 || snd_mixer_selem_register(mixer, nullptr, nullptr) < 0 ||
      snd_mixer_load(mixer) < 0 || !snd_mixer_first_elem(mixer)) {
    snd_mixer_close(mixer);
    return false;
  }

  MixerTopology t;
  t.caps.Name = Utf8Prefix(product, 32);
  t.caps.DriverVersion = AlsaVersionWord();
  AlsaDevice dev{name, mixer, {}};
  uint32_t nextID = 1;

  MixerTopologyDestination speakers, recording;
  speakers.line.info = {0, 0, 0, MIXERLINE_LINEF_ACTIVE, DST_SPEAKERS, 2, 0, 0, "Master", "Master"};
  recording.line.info = {0, 0, 0, MIXERLINE_LINEF_ACTIVE, DST_WAVEIN, 2, 0, 0, "Capture", "Capture"};
  bool anyPlayback = false, anyCapture = false;

  auto addVolume = [&](MixerTopologyLine& line, snd_mixer_elem_t* e, bool capture, uint32_t type,
                       const std::string& name) {
    long lo = 0, hi = 0;
    if (capture)
      snd_mixer_selem_get_capture_volume_range(e, &lo, &hi);
    else
      snd_mixer_selem_get_playback_volume_range(e, &lo, &hi);
    const bool mono = capture ? snd_mixer_selem_is_capture_mono(e) : snd_mixer_selem_is_playback_mono(e);
    MixerTopologyControl c;
    c.info.ControlID = nextID++;
    c.info.ControlType = type;
    c.info.Flags = mono ? MIXERCONTROL_CONTROLF_UNIFORM : 0;
    c.info.ShortName = Utf8Prefix(name, 16);
    c.info.Name = Utf8Prefix(name + (capture ? " Capture Volume" : " Volume"), 64);
    c.info.Minimum = 0;
    c.info.Maximum = 65535;
    c.info.Steps = hi > lo ? static_cast<uint32_t>(std::min<long>(hi - lo, 0x7FFFFFFF)) : 0;
    dev.bindings.push_back(
        {c.info.ControlID, e, capture ? Part::CaptureVolume : Part::PlaybackVolume, lo, hi});
    line.controls.push_back(std::move(c));
  };
  auto addSwitch = [&](MixerTopologyLine& line, snd_mixer_elem_t* e, Part part, uint32_t type,
                       const std::string& name) {
    const bool capture = part != Part::PlaybackMute;
    const bool mono = capture ? snd_mixer_selem_is_capture_mono(e) : snd_mixer_selem_is_playback_mono(e);
    const bool joined = capture ? snd_mixer_selem_has_capture_switch_joined(e)
                                : snd_mixer_selem_has_playback_switch_joined(e);
    MixerTopologyControl c;
    c.info.ControlID = nextID++;
    c.info.ControlType = type;
    c.info.Flags = (mono || joined) ? MIXERCONTROL_CONTROLF_UNIFORM : 0;
    c.info.ShortName = Utf8Prefix(name, 16);
    c.info.Name = Utf8Prefix(name + (capture ? " Capture Switch" : " Switch"), 64);
    c.info.Maximum = 1;
    dev.bindings.push_back({c.info.ControlID, e, part, 0, 1});
    line.controls.push_back(std::move(c));
  };
  auto sourceLine = [&](MixerTopologyDestination& dest, const std::string& name,
                        bool mono) -> MixerTopologyLine& {
    MixerTopologyLine& l = dest.sources.emplace_back();
    l.info.ComponentType = SourceType(name);
    l.info.Flags = MIXERLINE_LINEF_ACTIVE;
    l.info.Channels = mono ? 1 : 2;
    l.info.ShortName = Utf8Prefix(name, 16);
    l.info.Name = Utf8Prefix(name, 64);
    return l;
  };

  for (snd_mixer_elem_t* e = snd_mixer_first_elem(mixer); e; e = snd_mixer_elem_next(e)) {
    if (!snd_mixer_selem_is_active(e)) continue;
    const std::string elemName = snd_mixer_selem_get_name(e);
    const bool pVol = snd_mixer_selem_has_playback_volume(e);
    const bool pSw = snd_mixer_selem_has_playback_switch(e);
    const bool cVol = snd_mixer_selem_has_capture_volume(e);
    const bool cSw = snd_mixer_selem_has_capture_switch(e);
    if (pVol || pSw) {
      anyPlayback = true;
      if (elemName == "Master") {
        if (snd_mixer_selem_is_playback_mono(e)) speakers.line.info.Channels = 1;
        if (pVol) addVolume(speakers.line, e, false, CT_VOLUME, elemName);
        if (pSw) addSwitch(speakers.line, e, Part::PlaybackMute, CT_MUTE, elemName);
      } else if ((elemName == "Bass" || elemName == "Treble") && pVol) {
        addVolume(speakers.line, e, false, elemName == "Bass" ? CT_BASS : CT_TREBLE, elemName);
      } else {
        MixerTopologyLine& l = sourceLine(speakers, elemName, snd_mixer_selem_is_playback_mono(e));
        if (pVol) addVolume(l, e, false, CT_VOLUME, elemName);
        if (pSw) addSwitch(l, e, Part::PlaybackMute, CT_MUTE, elemName);
      }
    }
    if (cVol || cSw) {
      anyCapture = true;
      if (elemName == "Capture") {
        if (snd_mixer_selem_is_capture_mono(e)) recording.line.info.Channels = 1;
        if (cVol) addVolume(recording.line, e, true, CT_VOLUME, elemName);
        if (cSw) addSwitch(recording.line, e, Part::CaptureMute, CT_MUTE, elemName);
      } else {
        MixerTopologyLine& l = sourceLine(recording, elemName, snd_mixer_selem_is_capture_mono(e));
        if (cVol) addVolume(l, e, true, CT_VOLUME, elemName);
        if (cSw) addSwitch(l, e, Part::CaptureOnOff, CT_ONOFF, elemName);
      }
    }
  }
  if (anyPlayback) t.destinations.push_back(std::move(speakers));
  if (anyCapture) t.destinations.push_back(std::move(recording));
  t.Finish();
  devices_.push_back(std::move(t));
  alsa_.push_back(std::move(dev));
  return true;
}

const AlsaMixer::Binding* AlsaMixer::Find(uint32_t device, uint32_t controlID) const {
  for (const Binding& b : alsa_[device].bindings)
    if (b.controlID == controlID) return &b;
  return nullptr;
}

uint32_t AlsaMixer::ReadValues(uint32_t device, MixerTopologyControl& control) {
  const Binding* b = Find(device, control.info.ControlID);
  if (!b) return MIXERR_INVALCONTROL;
  snd_mixer_handle_events(alsa_[device].mixer);  // values another program changed
  for (size_t ch = 0; ch < control.values.size(); ++ch) {
    const snd_mixer_selem_channel_id_t id = ch == 0 ? Left : Right;
    long raw = 0;
    int sw = 0;
    int err = 0;
    switch (b->part) {
      case Part::PlaybackVolume:
        err = snd_mixer_selem_get_playback_volume(
            b->elem, snd_mixer_selem_has_playback_channel(b->elem, id) ? id : Left, &raw);
        break;
      case Part::CaptureVolume:
        err = snd_mixer_selem_get_capture_volume(
            b->elem, snd_mixer_selem_has_capture_channel(b->elem, id) ? id : Left, &raw);
        break;
      case Part::PlaybackMute:
        err = snd_mixer_selem_get_playback_switch(
            b->elem, snd_mixer_selem_has_playback_channel(b->elem, id) ? id : Left, &sw);
        break;
      case Part::CaptureMute:
      case Part::CaptureOnOff:
        err = snd_mixer_selem_get_capture_switch(
            b->elem, snd_mixer_selem_has_capture_channel(b->elem, id) ? id : Left, &sw);
        break;
    }
    if (err < 0) return MMSYSERR_ERROR;
    switch (b->part) {
      case Part::PlaybackVolume:
      case Part::CaptureVolume: {
        const double span = static_cast<double>(b->rawMax - b->rawMin);
        control.values[ch] = span > 0 ? RoundHalfEven32((raw - b->rawMin) * 65535.0 / span) : 0;
        break;
      }
      case Part::PlaybackMute:
      case Part::CaptureMute:
        control.values[ch] = sw ? 0 : 1;  // ALSA's switch is "on", a mute is "muted"
        break;
      case Part::CaptureOnOff:
        control.values[ch] = sw ? 1 : 0;
        break;
    }
  }
  return MMSYSERR_NOERROR;
}

uint32_t AlsaMixer::WriteValues(uint32_t device, MixerTopologyControl& control) {
  const Binding* b = Find(device, control.info.ControlID);
  if (!b) return MIXERR_INVALCONTROL;
  const bool capture =
      b->part == Part::CaptureVolume || b->part == Part::CaptureMute || b->part == Part::CaptureOnOff;
  const bool mono =
      capture ? snd_mixer_selem_is_capture_mono(b->elem) : snd_mixer_selem_is_playback_mono(b->elem);
  for (size_t ch = 0; ch < control.values.size(); ++ch) {
    const snd_mixer_selem_channel_id_t id = (ch == 0 || mono) ? Left : Right;
    const int32_t v = control.values[ch];
    int err = 0;
    switch (b->part) {
      case Part::PlaybackVolume:
      case Part::CaptureVolume: {
        // Levels below 0 or above 65535 are held at the ends of the range.
        const double x = std::clamp(static_cast<double>(v), 0.0, 65535.0);
        const long raw =
            b->rawMin +
            static_cast<long>(RoundHalfEven(x * static_cast<double>(b->rawMax - b->rawMin) / 65535.0));
        if (mono) {
          err = capture ? snd_mixer_selem_set_capture_volume_all(b->elem, raw)
                        : snd_mixer_selem_set_playback_volume_all(b->elem, raw);
        } else {
          err = capture ? snd_mixer_selem_set_capture_volume(b->elem, id, raw)
                        : snd_mixer_selem_set_playback_volume(b->elem, id, raw);
        }
        break;
      }
      case Part::PlaybackMute:
        err = mono ? snd_mixer_selem_set_playback_switch_all(b->elem, v ? 0 : 1)
                   : snd_mixer_selem_set_playback_switch(b->elem, id, v ? 0 : 1);
        break;
      case Part::CaptureMute:
        err = mono ? snd_mixer_selem_set_capture_switch_all(b->elem, v ? 0 : 1)
                   : snd_mixer_selem_set_capture_switch(b->elem, id, v ? 0 : 1);
        break;
      case Part::CaptureOnOff:
        err = mono ? snd_mixer_selem_set_capture_switch_all(b->elem, v ? 1 : 0)
                   : snd_mixer_selem_set_capture_switch(b->elem, id, v ? 1 : 0);
        break;
    }
    if (err < 0) return MMSYSERR_ERROR;
    if (mono) break;
  }
  return MMSYSERR_NOERROR;
}

}  // namespace sonavel
