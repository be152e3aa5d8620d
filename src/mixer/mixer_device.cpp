#include "mixer/mixer_device.h"

#include <algorithm>
#include <array>
#include <utility>

namespace sonavel {

std::string ComponentTypeName(uint32_t componentType) {
  static const std::array<const char*, 9> destinations = {"DST_UNDEFINED", "DST_DIGITAL",  "DST_LINE",
                                                          "DST_MONITOR",   "DST_SPEAKERS", "DST_HEADPHONES",
                                                          "DST_TELEPHONE", "DST_WAVEIN",   "DST_VOICEIN"};
  static const std::array<const char*, 11> sources = {
      "SRC_UNDEFINED", "SRC_DIGITAL",   "SRC_LINE",    "SRC_MICROPHONE", "SRC_SYNTHESIZER", "SRC_COMPACTDISC",
      "SRC_TELEPHONE", "SRC_PCSPEAKER", "SRC_WAVEOUT", "SRC_AUXILIARY",  "SRC_ANALOG"};
  if (componentType < destinations.size()) return destinations[componentType];
  if (componentType >= SRC_UNDEFINED && componentType - SRC_UNDEFINED < sources.size())
    return sources[componentType - SRC_UNDEFINED];
  return "";
}

std::string ControlTypeName(uint32_t controlType) {
  static const std::array<std::pair<uint32_t, const char*>, 29> names = {{
      {CT_CUSTOM, "CUSTOM"},
      {CT_BOOLEANMETER, "BOOLEANMETER"},
      {CT_SIGNEDMETER, "SIGNEDMETER"},
      {CT_PEAKMETER, "PEAKMETER"},
      {CT_UNSIGNEDMETER, "UNSIGNEDMETER"},
      {CT_BOOLEAN, "BOOLEAN"},
      {CT_ONOFF, "ONOFF"},
      {CT_MUTE, "MUTE"},
      {CT_MONO, "MONO"},
      {CT_LOUDNESS, "LOUDNESS"},
      {CT_BUTTON, "BUTTON"},
      {CT_DECIBELS, "DECIBELS"},
      {CT_SIGNED, "SIGNED"},
      {CT_UNSIGNED, "UNSIGNED"},
      {CT_PERCENT, "PERCENT"},
      {CT_SLIDER, "SLIDER"},
      {CT_PAN, "PAN"},
      {CT_QSOUNDPAN, "QSOUNDPAN"},
      {CT_FADER, "FADER"},
      {CT_VOLUME, "VOLUME"},
      {CT_BASS, "BASS"},
      {CT_TREBLE, "TREBLE"},
      {CT_EQUALIZER, "EQUALIZER"},
      {CT_SINGLESELECT, "SINGLESELECT"},
      {CT_MUX, "MUX"},
      {CT_MULTIPLESELECT, "MULTIPLESELECT"},
      {CT_MIXER, "MIXER"},
      {CT_MICROTIME, "MICROTIME"},
      {CT_MILLITIME, "MILLITIME"},
  }};
  for (const auto& [code, name] : names)
    if (code == controlType) return name;
  return "";
}

// ---------------------------------------------------------------------------------------------

void MixerTopology::Finish() {
  caps.Destinations = static_cast<uint32_t>(destinations.size());
  uint32_t nextControl = 1;
  for (const auto& d : destinations) {
    for (const auto& c : d.line.controls) nextControl = std::max(nextControl, c.info.ControlID + 1);
    for (const auto& s : d.sources)
      for (const auto& c : s.controls) nextControl = std::max(nextControl, c.info.ControlID + 1);
  }
  auto finishLine = [&](MixerTopologyLine& line) {
    line.info.Controls = static_cast<uint32_t>(line.controls.size());
    for (auto& c : line.controls) {
      if (c.info.ControlID == 0) c.info.ControlID = nextControl++;
      const size_t items = static_cast<size_t>(std::max<uint32_t>(line.info.Channels, 1)) *
                           std::max<uint32_t>(c.info.MultipleItems, 1);
      c.values.resize(items, c.values.empty() ? 0 : c.values.back());
    }
  };
  for (uint32_t d = 0; d < destinations.size(); ++d) {
    auto& dest = destinations[d];
    dest.line.info.Destination = d;
    dest.line.info.Source = 0;
    dest.line.info.Connections = static_cast<uint32_t>(dest.sources.size());
    dest.line.info.Flags &= ~MIXERLINE_LINEF_SOURCE;
    if (dest.line.info.LineID == 0) dest.line.info.LineID = 0xFFFF0000u + d;
    finishLine(dest.line);
    for (uint32_t s = 0; s < dest.sources.size(); ++s) {
      auto& src = dest.sources[s];
      src.info.Destination = d;
      src.info.Source = s;
      src.info.Connections = 0;
      src.info.Flags |= MIXERLINE_LINEF_SOURCE;
      if (src.info.LineID == 0) src.info.LineID = (s << 16) + d;
      finishLine(src);
    }
  }
}

const MixerTopologyLine* MixerTopology::FindLine(uint32_t lineID) const {
  for (const auto& d : destinations) {
    if (d.line.info.LineID == lineID) return &d.line;
    for (const auto& s : d.sources)
      if (s.info.LineID == lineID) return &s;
  }
  return nullptr;
}

const MixerTopologyControl* MixerTopology::FindControl(uint32_t controlID) const {
  for (const auto& d : destinations) {
    for (const auto& c : d.line.controls)
      if (c.info.ControlID == controlID) return &c;
    for (const auto& s : d.sources)
      for (const auto& c : s.controls)
        if (c.info.ControlID == controlID) return &c;
  }
  return nullptr;
}

MixerTopologyControl* MixerTopology::FindControl(uint32_t controlID) {
  return const_cast<MixerTopologyControl*>(std::as_const(*this).FindControl(controlID));
}

// ---------------------------------------------------------------------------------------------

namespace {
// The line that carries a control.
const MixerTopologyLine* LineOfControl(const MixerTopology& t, uint32_t controlID) {
  auto has = [&](const MixerTopologyLine& l) {
    return std::any_of(l.controls.begin(), l.controls.end(),
                       [&](const MixerTopologyControl& c) { return c.info.ControlID == controlID; });
  };
  for (const auto& d : t.destinations) {
    if (has(d.line)) return &d.line;
    for (const auto& s : d.sources)
      if (has(s)) return &s;
  }
  return nullptr;
}
}  // namespace

int64_t TopologyMixerDriver::DeviceOf(MixerHandle handle) const {
  for (const auto& [h, device] : open_)
    if (h == handle) return device;
  return -1;
}

uint32_t TopologyMixerDriver::GetDevCaps(uint32_t device, MixerCaps& caps) {
  if (device >= devices_.size()) return MMSYSERR_BADDEVICEID;
  if (devices_[device].capsFail) return MMSYSERR_NODRIVER;
  caps = devices_[device].caps;
  return MMSYSERR_NOERROR;
}

uint32_t TopologyMixerDriver::Open(uint32_t device, MixerHandle& handle) {
  if (device >= devices_.size()) return MMSYSERR_BADDEVICEID;
  if (devices_[device].openFail) return MMSYSERR_NODRIVER;
  handle = nextHandle_++;
  open_.emplace_back(handle, device);
  return MMSYSERR_NOERROR;
}

uint32_t TopologyMixerDriver::Close(MixerHandle handle) {
  const auto it = std::find_if(open_.begin(), open_.end(), [&](const auto& p) { return p.first == handle; });
  if (it == open_.end()) return MMSYSERR_INVALHANDLE;
  open_.erase(it);
  return MMSYSERR_NOERROR;
}

uint32_t TopologyMixerDriver::GetLineInfoDestination(MixerHandle handle, uint32_t destination,
                                                     MixerLine& line) {
  const int64_t device = DeviceOf(handle);
  if (device < 0) return MMSYSERR_INVALHANDLE;
  const auto& t = devices_[static_cast<size_t>(device)];
  if (destination >= t.destinations.size()) return MMSYSERR_INVALPARAM;
  line = t.destinations[destination].line.info;
  return MMSYSERR_NOERROR;
}

uint32_t TopologyMixerDriver::GetLineInfoSource(MixerHandle handle, uint32_t destination, uint32_t source,
                                                MixerLine& line) {
  const int64_t device = DeviceOf(handle);
  if (device < 0) return MMSYSERR_INVALHANDLE;
  const auto& t = devices_[static_cast<size_t>(device)];
  if (destination >= t.destinations.size() || source >= t.destinations[destination].sources.size())
    return MMSYSERR_INVALPARAM;
  line = t.destinations[destination].sources[source].info;
  return MMSYSERR_NOERROR;
}

uint32_t TopologyMixerDriver::GetLineControls(MixerHandle handle, uint32_t lineID,
                                              std::vector<MixerControl>& controls) {
  const int64_t device = DeviceOf(handle);
  if (device < 0) return MMSYSERR_INVALHANDLE;
  const MixerTopologyLine* line = devices_[static_cast<size_t>(device)].FindLine(lineID);
  if (!line) return MIXERR_INVALLINE;
  if (line->controlsFail) return MMSYSERR_ERROR;
  controls.clear();
  for (const auto& c : line->controls) controls.push_back(c.info);
  return MMSYSERR_NOERROR;
}

namespace {
// The checks a details block must pass before any item is touched.
uint32_t CheckDetails(const MixerTopologyLine* line, const MixerTopologyControl* control,
                      const MixerControlDetails& d) {
  if (!control || !line) return MIXERR_INVALCONTROL;
  if (d.cbStruct != 24 || d.cbDetails != 4 || !d.paDetails) return MMSYSERR_INVALPARAM;
  const uint32_t channels = std::max<uint32_t>(line->info.Channels, 1);
  if (d.cChannels != 1 && d.cChannels != channels) return MMSYSERR_INVALPARAM;
  if (d.cMultipleItems != control->info.MultipleItems) return MMSYSERR_INVALPARAM;
  if (d.ItemCount() > d.capacity) return MMSYSERR_INVALPARAM;
  return MMSYSERR_NOERROR;
}
}  // namespace

uint32_t TopologyMixerDriver::GetControlDetails(MixerHandle handle, MixerControlDetails& details) {
  const int64_t device = DeviceOf(handle);
  if (device < 0) return MMSYSERR_INVALHANDLE;
  auto& t = devices_[static_cast<size_t>(device)];
  MixerTopologyControl* control = t.FindControl(details.dwControlID);
  const uint32_t check = CheckDetails(LineOfControl(t, details.dwControlID), control, details);
  if (check != MMSYSERR_NOERROR) return check;
  if (const uint32_t r = ReadValues(static_cast<uint32_t>(device), *control); r != MMSYSERR_NOERROR) return r;
  const size_t items = std::max<uint32_t>(control->info.MultipleItems, 1);
  for (size_t c = 0; c < details.cChannels; ++c)
    for (size_t i = 0; i < items; ++i) details.paDetails[c * items + i] = control->values[c * items + i];
  return MMSYSERR_NOERROR;
}

uint32_t TopologyMixerDriver::SetControlDetails(MixerHandle handle, const MixerControlDetails& details) {
  const int64_t device = DeviceOf(handle);
  if (device < 0) return MMSYSERR_INVALHANDLE;
  auto& t = devices_[static_cast<size_t>(device)];
  MixerTopologyControl* control = t.FindControl(details.dwControlID);
  const MixerTopologyLine* line = LineOfControl(t, details.dwControlID);
  const uint32_t check = CheckDetails(line, control, details);
  if (check != MMSYSERR_NOERROR) return check;
  const size_t items = std::max<uint32_t>(control->info.MultipleItems, 1);
  const size_t channels = control->values.size() / items;
  // One channel in the block sets every channel of the line to it.
  for (size_t c = 0; c < channels; ++c) {
    const size_t from = details.cChannels == 1 ? 0 : c;
    for (size_t i = 0; i < items; ++i) control->values[c * items + i] = details.paDetails[from * items + i];
  }
  return WriteValues(static_cast<uint32_t>(device), *control);
}

uint32_t TopologyMixerDriver::ReadValues(uint32_t, MixerTopologyControl&) { return MMSYSERR_NOERROR; }
uint32_t TopologyMixerDriver::WriteValues(uint32_t, MixerTopologyControl&) { return MMSYSERR_NOERROR; }

}  // namespace sonavel
