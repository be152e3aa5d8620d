// Finding the controls of the chosen mixer device: counting and opening devices, the registry of
// control objects filled by line type and control type, the capabilities as text and the
// diagnostic listing of every line and control.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/host.h"
#include "mixer/mix_control.h"
#include "mixer/mixer_device.h"

namespace sonavel {

struct TMixerCapsExtended {
  std::string Name;
  std::string Version;  // "major.minor"
  std::string NumLineDestnsStr;
  uint32_t NumLineDestns = 0;
};

// "major.minor" of a 16-bit driver version word (major in the high byte).
std::string DriverVersionText(uint32_t version);

// The control registry: one object per row, found by the walks of OpenMixerDevice.
struct MixerControls {
  explicit MixerControls(MixerSession& session);
  MixerControls(const MixerControls&) = delete;
  // Replaces every object by a new one (all fields zero, not found).
  void Renew();

  TMixUnsignedControl MasterVolume, OutputGain, SpeakerBass, SpeakerTreble;
  TMixSwitchControl SpeakerMute, SpeakerOnOff, SpeakerMono, SpeakerLoudness;
  TMixSignedControl SpeakerPan;
  TMixUnsignedControl WaveVolume;
  TMixSwitchControl WaveMute;
  TMixSignedControl WavePeak;
  TMixUnsignedControl SynthVolume;
  TMixSwitchControl SynthMute;
  TMixUnsignedControl CDVolume;
  TMixSwitchControl CDMute;
  TMixUnsignedControl LineVolume;
  TMixSwitchControl LineMute;
  TMixUnsignedControl AuxVolume;
  TMixSwitchControl AuxMute;
  TMixUnsignedControl MicVolume;
  TMixSwitchControl MicMute;
  TMixUnsignedControl PCSpeakerVolume;
  TMixSwitchControl PCSpeakerMute;
  TMixUnsignedControl DigitalVolume;
  TMixSwitchControl DigitalMute;
  TMixUnsignedControl RecordGain, RecordVolume;
  TMixSrcSelectControl RecordSelect;
  TMixSignedControl RecordPeak;
  TMixUnsignedControl RecordSynthVolume, RecordCDVolume, RecordLineVolume, RecordAuxVolume, RecordMicVolume;
  TMixSwitchControl RecordMicOnOff;
  TMixUnsignedControl RecordDigitalVolume;

  // One row of the registry: the object and what it is filled from.
  struct Row {
    const char* name;
    TMixControl* control;
    uint32_t side;  // DST_SPEAKERS or DST_WAVEIN: the destinations whose lines count
    uint32_t lineType;
    uint32_t controlType;
    void (*renew)(TMixControl*, MixerSession&);
  };
  const std::vector<Row>& Rows() const { return rows_; }

 private:
  MixerSession& session_;
  std::vector<Row> rows_;
};

// A failure of OpenMixerDevice as the program's message box tells it.
struct MixerFailure {
  std::string Text;
  std::string Caption;
};

// Shows each failure as the system's error box (OK only).
void ShowMixerFailures(Host& host, const std::vector<MixerFailure>& failures);

// The mixer access of the program: the open device, its capabilities, its controls and listing.
// Like the rest of the mixer layer it never raises and shows nothing: it returns what failed.
class Mixer {
 public:
  explicit Mixer(MixerDriver& driver);
  ~Mixer();
  Mixer(const Mixer&) = delete;

  // Sets MixerDeviceCount from the driver.
  void CountMixerDevices();
  // Reads the capabilities of device n, makes a new registry, opens the device and fills the
  // registry and the listing. Returns the failures in the order the user is to see them; a
  // number not below MixerDeviceCount (including -1 of an empty selection, which arrives as
  // 0xFFFFFFFF) opens nothing.
  std::vector<MixerFailure> OpenMixerDevice(uint32_t n);

  uint32_t MixerDeviceCount = 0;
  TMixerCapsExtended Caps;
  std::vector<std::string> MixerListing;
  MixerSession Session;
  MixerControls Controls;
  int64_t DeviceNumber = -1;  // the device number last opened
  bool DeviceOpen = false;

 private:
  void Walk(uint32_t side);
  void ScanControls(const MixerLine& line, uint32_t lineType, uint32_t side);
  void BuildListing();
  void ListLine(const MixerLine& line);

  MixerDriver& driver_;
};

}  // namespace sonavel
