#include "mixer/mixer_discovery.h"

#include <cstdio>

namespace sonavel {

std::string DriverVersionText(uint32_t version) {
  return std::to_string((version >> 8) & 0xFF) + "." + std::to_string(version & 0xFF);
}

namespace {
template <typename T>
MixerControls::Row MakeRow(const char* name, T& control, uint32_t side, uint32_t lineType,
                           uint32_t controlType) {
  return {name,     &control,    side,
          lineType, controlType, [](TMixControl* c, MixerSession& s) { *static_cast<T*>(c) = T(s); }};
}
}  // namespace

MixerControls::MixerControls(MixerSession& session)
    : MasterVolume(session),
      OutputGain(session),
      SpeakerBass(session),
      SpeakerTreble(session),
      SpeakerMute(session),
      SpeakerOnOff(session),
      SpeakerMono(session),
      SpeakerLoudness(session),
      SpeakerPan(session),
      WaveVolume(session),
      WaveMute(session),
      WavePeak(session),
      SynthVolume(session),
      SynthMute(session),
      CDVolume(session),
      CDMute(session),
      LineVolume(session),
      LineMute(session),
      AuxVolume(session),
      AuxMute(session),
      MicVolume(session),
      MicMute(session),
      PCSpeakerVolume(session),
      PCSpeakerMute(session),
      DigitalVolume(session),
      DigitalMute(session),
      RecordGain(session),
      RecordVolume(session),
      RecordSelect(session),
      RecordPeak(session),
      RecordSynthVolume(session),
      RecordCDVolume(session),
      RecordLineVolume(session),
      RecordAuxVolume(session),
      RecordMicVolume(session),
      RecordMicOnOff(session),
      RecordDigitalVolume(session),
      session_(session) {
  constexpr uint32_t P = DST_SPEAKERS;
  constexpr uint32_t R = DST_WAVEIN;
  rows_ = {
      MakeRow("MasterVolume", MasterVolume, P, DST_SPEAKERS, CT_VOLUME),
      MakeRow("OutputGain", OutputGain, P, DST_SPEAKERS, CT_UNSIGNED),
      MakeRow("SpeakerBass", SpeakerBass, P, DST_SPEAKERS, CT_BASS),
      MakeRow("SpeakerTreble", SpeakerTreble, P, DST_SPEAKERS, CT_TREBLE),
      MakeRow("SpeakerMute", SpeakerMute, P, DST_SPEAKERS, CT_MUTE),
      MakeRow("SpeakerOnOff", SpeakerOnOff, P, DST_SPEAKERS, CT_ONOFF),
      MakeRow("SpeakerMono", SpeakerMono, P, DST_SPEAKERS, CT_MONO),
      MakeRow("SpeakerLoudness", SpeakerLoudness, P, DST_SPEAKERS, CT_LOUDNESS),
      MakeRow("SpeakerPan", SpeakerPan, P, DST_SPEAKERS, CT_QSOUNDPAN),
      MakeRow("WaveVolume", WaveVolume, P, SRC_WAVEOUT, CT_VOLUME),
      MakeRow("WaveMute", WaveMute, P, SRC_WAVEOUT, CT_MUTE),
      MakeRow("WavePeak", WavePeak, P, SRC_WAVEOUT, CT_PEAKMETER),
      MakeRow("SynthVolume", SynthVolume, P, SRC_SYNTHESIZER, CT_VOLUME),
      MakeRow("SynthMute", SynthMute, P, SRC_SYNTHESIZER, CT_MUTE),
      MakeRow("CDVolume", CDVolume, P, SRC_COMPACTDISC, CT_VOLUME),
      MakeRow("CDMute", CDMute, P, SRC_COMPACTDISC, CT_MUTE),
      MakeRow("LineVolume", LineVolume, P, SRC_LINE, CT_VOLUME),
      MakeRow("LineMute", LineMute, P, SRC_LINE, CT_MUTE),
      MakeRow("AuxVolume", AuxVolume, P, SRC_AUXILIARY, CT_VOLUME),
      MakeRow("AuxMute", AuxMute, P, SRC_AUXILIARY, CT_MUTE),
      MakeRow("MicVolume", MicVolume, P, SRC_MICROPHONE, CT_VOLUME),
      MakeRow("MicMute", MicMute, P, SRC_MICROPHONE, CT_MUTE),
      MakeRow("PCSpeakerVolume", PCSpeakerVolume, P, SRC_PCSPEAKER, CT_VOLUME),
      MakeRow("PCSpeakerMute", PCSpeakerMute, P, SRC_PCSPEAKER, CT_MUTE),
      MakeRow("DigitalVolume", DigitalVolume, P, SRC_DIGITAL, CT_VOLUME),
      MakeRow("DigitalMute", DigitalMute, P, SRC_DIGITAL, CT_MUTE),
      MakeRow("RecordGain", RecordGain, R, DST_WAVEIN, CT_UNSIGNED),
      MakeRow("RecordVolume", RecordVolume, R, DST_WAVEIN, CT_VOLUME),
      MakeRow("RecordSelect", RecordSelect, R, DST_WAVEIN, CT_MIXER),
      MakeRow("RecordPeak", RecordPeak, R, DST_WAVEIN, CT_PEAKMETER),
      MakeRow("RecordSynthVolume", RecordSynthVolume, R, SRC_SYNTHESIZER, CT_VOLUME),
      MakeRow("RecordCDVolume", RecordCDVolume, R, SRC_COMPACTDISC, CT_VOLUME),
      MakeRow("RecordLineVolume", RecordLineVolume, R, SRC_LINE, CT_VOLUME),
      MakeRow("RecordAuxVolume", RecordAuxVolume, R, SRC_AUXILIARY, CT_VOLUME),
      MakeRow("RecordMicVolume", RecordMicVolume, R, SRC_MICROPHONE, CT_VOLUME),
      MakeRow("RecordMicOnOff", RecordMicOnOff, R, SRC_MICROPHONE, CT_ONOFF),
      MakeRow("RecordDigitalVolume", RecordDigitalVolume, R, SRC_DIGITAL, CT_VOLUME),
  };
}

void MixerControls::Renew() {
  for (const Row& row : rows_) row.renew(row.control, session_);
}

// ---------------------------------------------------------------------------------------------

void ShowMixerFailures(Host& host, const std::vector<MixerFailure>& failures) {
  for (const MixerFailure& f : failures) host.MessageBox(f.Text, f.Caption, MessageIcon::Error, ButtonOk);
}

Mixer::Mixer(MixerDriver& driver) : Controls(Session), driver_(driver) { Session.Driver = &driver; }

Mixer::~Mixer() {
  if (DeviceOpen) driver_.Close(Session.MixerHandle);
}

void Mixer::CountMixerDevices() { MixerDeviceCount = driver_.GetNumDevs(); }

std::vector<MixerFailure> Mixer::OpenMixerDevice(uint32_t n) {
  std::vector<MixerFailure> failures;
  MixerListing.clear();
  if (n < MixerDeviceCount) {
    Caps = {};
    MixerCaps caps;
    if (driver_.GetDevCaps(n, caps) != MMSYSERR_NOERROR) {
      failures.push_back(
          {"Mixereigenschaften konnten nicht ermittelt werden ", "Soundkarten Treiber Problem"});
    } else {
      Caps.Name = caps.Name;
      Caps.Version = DriverVersionText(caps.DriverVersion);
      Caps.NumLineDestns = caps.Destinations;
      Caps.NumLineDestnsStr = std::to_string(caps.Destinations);
      MixerListing.push_back(Caps.Name);
      MixerListing.push_back(Caps.Version);
      MixerListing.push_back("Mixerleitungen : " + Caps.NumLineDestnsStr);
    }
  }

  // The old control objects go with the device they described; nothing can reach its handle
  // any more, so it is closed here.
  Controls.Renew();
  if (DeviceOpen) {
    driver_.Close(Session.MixerHandle);
    DeviceOpen = false;
    Session.MixerHandle = 0;
  }

  if (n >= MixerDeviceCount) {
    failures.push_back({"Invalid Device Number !", "Sound card driver problem"});
    return failures;
  }

  DeviceNumber = n;
  MixerHandle handle = 0;
  Session.MixerResult = driver_.Open(n, handle);
  Session.MixerHandle = handle;
  if (Session.MixerResult != MMSYSERR_NOERROR) {
    failures.push_back({"Mixer Opening Procedure failed ", "Sound card driver problem"});
    return failures;
  }
  DeviceOpen = true;

  Walk(DST_SPEAKERS);
  Walk(DST_WAVEIN);
  BuildListing();
  return failures;
}

void Mixer::Walk(uint32_t side) {
  // A line whose information cannot be read is passed over: its record would be undefined.
  for (uint32_t d = 0; d < Caps.NumLineDestns; ++d) {
    MixerLine line;
    Session.MixerResult = driver_.GetLineInfoDestination(Session.MixerHandle, d, line);
    if (Session.MixerResult == MMSYSERR_NOERROR && line.ComponentType == side) ScanControls(line, side, side);
  }
  for (uint32_t d = 0; d < Caps.NumLineDestns; ++d) {
    MixerLine line;
    Session.MixerResult = driver_.GetLineInfoDestination(Session.MixerHandle, d, line);
    if (Session.MixerResult != MMSYSERR_NOERROR || line.ComponentType != side) continue;
    for (uint32_t s = 0; s < line.Connections; ++s) {
      MixerLine source;
      Session.MixerResult = driver_.GetLineInfoSource(Session.MixerHandle, d, s, source);
      if (Session.MixerResult == MMSYSERR_NOERROR) ScanControls(source, source.ComponentType, side);
    }
  }
}

void Mixer::ScanControls(const MixerLine& line, uint32_t lineType, uint32_t side) {
  std::vector<MixerControl> controls;
  Session.MixerResult = driver_.GetLineControls(Session.MixerHandle, line.LineID, controls);
  // A line whose control query fails binds nothing.
  if (Session.MixerResult != MMSYSERR_NOERROR) return;
  for (const MixerControl& c : controls) {
    for (const MixerControls::Row& row : Controls.Rows()) {
      if (row.side != side || row.lineType != lineType || row.controlType != c.ControlType) continue;
      TMixControl& t = *row.control;
      t.Exist = true;
      t.LineID = line.LineID;
      t.Channels = line.Channels;
      t.CtrlID = c.ControlID;
      t.MultiItems = c.MultipleItems;
      t.Active = (c.Flags & MIXERCONTROL_CONTROLF_DISABLED) == 0;
      t.Uniform = (c.Flags & MIXERCONTROL_CONTROLF_UNIFORM) != 0;
      t.Minvalue = c.Minimum;
      t.Maxvalue = c.Maximum;
      t.Steps = c.Steps;
      t.OneStep = OneStepOf(c.Minimum, c.Maximum, c.Steps);
    }
  }
}

namespace {
std::string Hex8(uint32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%08X", v);
  return buf;
}
}  // namespace

void Mixer::BuildListing() {
  for (uint32_t d = 0; d < Caps.NumLineDestns; ++d) {
    MixerLine line;
    Session.MixerResult = driver_.GetLineInfoDestination(Session.MixerHandle, d, line);
    if (Session.MixerResult != MMSYSERR_NOERROR) continue;
    ListLine(line);
    for (uint32_t s = 0; s < line.Connections; ++s) {
      MixerLine source;
      Session.MixerResult = driver_.GetLineInfoSource(Session.MixerHandle, d, s, source);
      if (Session.MixerResult == MMSYSERR_NOERROR) ListLine(source);
    }
  }
}

void Mixer::ListLine(const MixerLine& line) {
  std::vector<MixerControl> controls;
  Session.MixerResult = driver_.GetLineControls(Session.MixerHandle, line.LineID, controls);
  if (Session.MixerResult != MMSYSERR_NOERROR) return;
  for (const MixerControl& c : controls) {
    auto& l = MixerListing;
    l.push_back("+++ COMPONENTTYPE  " + ComponentTypeName(line.ComponentType) + "  +++");
    l.push_back("Line ID : " + Hex8(line.LineID) + " Hex");
    l.push_back("Line Flag : " + Hex8(line.Flags) + " Hex");
    l.push_back("Controls  : " + std::to_string(line.Controls));
    l.push_back("Connections : " + std::to_string(line.Connections));
    l.push_back("Control - Typ  =  " + ControlTypeName(c.ControlType));
    l.push_back("Ctrl ID : " + Hex8(c.ControlID) + " Hex");
    l.push_back("Kurzname = " + c.ShortName);
    l.push_back("Name = " + c.Name);
    l.push_back("Unsigned Minvalue: " + std::to_string(static_cast<uint32_t>(c.Minimum)));
    l.push_back("Unsigned Maxvalue: " + std::to_string(static_cast<uint32_t>(c.Maximum)));
    l.push_back("Signed Minvalue: " + std::to_string(c.Minimum));
    l.push_back("Signed Maxvalue: " + std::to_string(c.Maximum));
    l.push_back(" Steps: " + std::to_string(c.Steps));
    l.push_back("Anzahl Kanäle : " + std::to_string(line.Channels));
    if (c.Flags & MIXERCONTROL_CONTROLF_UNIFORM) l.push_back("Summenregler für beide Kanäle (Uniform)");
    if (c.Flags & MIXERCONTROL_CONTROLF_MULTIPLE)
      l.push_back("Regler pro Kanal (MultiItems) = " + std::to_string(c.MultipleItems));
    else
      l.push_back("Regler pro Kanal (MultiItems) = 1 ");
    l.push_back((c.Flags & MIXERCONTROL_CONTROLF_DISABLED) ? "Steuerelement nicht Active "
                                                           : "Steuerelement Active");
    l.push_back(std::string(71, '-'));
  }
}

}  // namespace sonavel
