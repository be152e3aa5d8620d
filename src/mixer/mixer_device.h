// The mixer model the core talks to: devices with capabilities, destination lines with their
// source lines, and controls of standard types on every line, read and set through a details
// block. Type codes, flags and result codes keep the values of the Windows multimedia mixer, so
// stored listings, fixtures and the rules built on them read the same on every platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace sonavel {

// Result codes of every mixer call.
enum MixerResultCode : uint32_t {
  MMSYSERR_NOERROR = 0,
  MMSYSERR_ERROR = 1,
  MMSYSERR_BADDEVICEID = 2,
  MMSYSERR_INVALHANDLE = 5,
  MMSYSERR_NODRIVER = 6,
  MMSYSERR_NOMEM = 7,
  MMSYSERR_INVALFLAG = 10,
  MMSYSERR_INVALPARAM = 11,
  MIXERR_INVALLINE = 1024,
  MIXERR_INVALCONTROL = 1025,
};

// Component types of lines (MIXERLINE_COMPONENTTYPE_...).
enum MixerComponentType : uint32_t {
  DST_UNDEFINED = 0,
  DST_DIGITAL = 1,
  DST_LINE = 2,
  DST_MONITOR = 3,
  DST_SPEAKERS = 4,
  DST_HEADPHONES = 5,
  DST_TELEPHONE = 6,
  DST_WAVEIN = 7,
  DST_VOICEIN = 8,
  SRC_UNDEFINED = 0x1000,
  SRC_DIGITAL = 0x1001,
  SRC_LINE = 0x1002,
  SRC_MICROPHONE = 0x1003,
  SRC_SYNTHESIZER = 0x1004,
  SRC_COMPACTDISC = 0x1005,
  SRC_TELEPHONE = 0x1006,
  SRC_PCSPEAKER = 0x1007,
  SRC_WAVEOUT = 0x1008,
  SRC_AUXILIARY = 0x1009,
  SRC_ANALOG = 0x100A,
};

// Control types (MIXERCONTROL_CONTROLTYPE_...): class | subclass | units + index.
enum MixerControlType : uint32_t {
  CT_CUSTOM = 0x00000000,
  CT_BOOLEANMETER = 0x10010000,
  CT_SIGNEDMETER = 0x10020000,
  CT_PEAKMETER = 0x10020001,
  CT_UNSIGNEDMETER = 0x10030000,
  CT_BOOLEAN = 0x20010000,
  CT_ONOFF = 0x20010001,
  CT_MUTE = 0x20010002,
  CT_MONO = 0x20010003,
  CT_LOUDNESS = 0x20010004,
  CT_BUTTON = 0x21010000,
  CT_DECIBELS = 0x30040000,
  CT_SIGNED = 0x30020000,
  CT_UNSIGNED = 0x30030000,
  CT_PERCENT = 0x30050000,
  CT_SLIDER = 0x40020000,
  CT_PAN = 0x40020001,
  CT_QSOUNDPAN = 0x40020002,
  CT_FADER = 0x50030000,
  CT_VOLUME = 0x50030001,
  CT_BASS = 0x50030002,
  CT_TREBLE = 0x50030003,
  CT_EQUALIZER = 0x50030004,
  CT_SINGLESELECT = 0x70010000,
  CT_MUX = 0x70010001,
  CT_MULTIPLESELECT = 0x71010000,
  CT_MIXER = 0x71010001,
  CT_MICROTIME = 0x60030000,
  CT_MILLITIME = 0x61030000,
};

// Control flags.
constexpr uint32_t MIXERCONTROL_CONTROLF_UNIFORM = 0x00000001;
constexpr uint32_t MIXERCONTROL_CONTROLF_MULTIPLE = 0x00000002;
constexpr uint32_t MIXERCONTROL_CONTROLF_DISABLED = 0x80000000;
// Line flags.
constexpr uint32_t MIXERLINE_LINEF_ACTIVE = 0x00000001;
constexpr uint32_t MIXERLINE_LINEF_DISCONNECTED = 0x00008000;
constexpr uint32_t MIXERLINE_LINEF_SOURCE = 0x80000000;

// The name of a component type or control type code without its prefix; "" for other codes.
std::string ComponentTypeName(uint32_t componentType);
std::string ControlTypeName(uint32_t controlType);

struct MixerCaps {
  std::string Name;            // product name, at most 32 characters
  uint32_t DriverVersion = 0;  // high byte major, low byte minor
  uint32_t Destinations = 0;
};

struct MixerLine {
  uint32_t Destination = 0;
  uint32_t Source = 0;
  uint32_t LineID = 0;
  uint32_t Flags = 0;
  uint32_t ComponentType = 0;
  uint32_t Channels = 0;
  uint32_t Connections = 0;  // sources of a destination; 0 for a source line
  uint32_t Controls = 0;
  std::string ShortName;
  std::string Name;
};

struct MixerControl {
  uint32_t ControlID = 0;
  uint32_t ControlType = 0;
  uint32_t Flags = 0;
  uint32_t MultipleItems = 0;
  std::string ShortName;  // at most 16 characters
  std::string Name;       // at most 64 characters
  int32_t Minimum = 0;    // the bounds as the driver reports them; read as signed or unsigned
  int32_t Maximum = 0;
  uint32_t Steps = 0;
};

// The details block of one get or set: which control, how many channels and items, and where
// the 32-bit items are. `capacity` is how many items `details` can hold; a driver never reads or
// writes beyond it.
struct MixerControlDetails {
  uint32_t cbStruct = 24;
  uint32_t dwControlID = 0;
  uint32_t cChannels = 0;
  uint32_t cMultipleItems = 0;
  uint32_t cbDetails = 4;
  int32_t* paDetails = nullptr;
  size_t capacity = 0;

  // Items the call exchanges: one per channel, or per channel and item of a multiple-item control.
  size_t ItemCount() const {
    return static_cast<size_t>(cChannels) * (cMultipleItems == 0 ? 1 : cMultipleItems);
  }
};

using MixerHandle = uint32_t;

// A mixer driver. Every call returns a result code (0 = success). Devices are numbered from 0;
// a handle from Open is valid until Close.
class MixerDriver {
 public:
  virtual ~MixerDriver() = default;

  virtual uint32_t GetNumDevs() = 0;
  virtual uint32_t GetDevCaps(uint32_t device, MixerCaps& caps) = 0;
  virtual uint32_t Open(uint32_t device, MixerHandle& handle) = 0;
  virtual uint32_t Close(MixerHandle handle) = 0;
  virtual uint32_t GetLineInfoDestination(MixerHandle handle, uint32_t destination, MixerLine& line) = 0;
  virtual uint32_t GetLineInfoSource(MixerHandle handle, uint32_t destination, uint32_t source,
                                     MixerLine& line) = 0;
  // All controls of the line with this identifier, in the line's order.
  virtual uint32_t GetLineControls(MixerHandle handle, uint32_t lineID,
                                   std::vector<MixerControl>& controls) = 0;
  virtual uint32_t GetControlDetails(MixerHandle handle, MixerControlDetails& details) = 0;
  virtual uint32_t SetControlDetails(MixerHandle handle, const MixerControlDetails& details) = 0;
};

// ---------------------------------------------------------------------------------------------
// The structure of a device as plain data, and a driver base that answers the line and control
// queries from it. The simulated mixer and the ALSA mixer both describe their devices this way
// and only differ in where control values live.

struct MixerTopologyControl {
  MixerControl info;
  // Values of the channels (and items), channel-major: channel c item i at c * items + i.
  std::vector<int32_t> values;
};

struct MixerTopologyLine {
  MixerLine info;
  std::vector<MixerTopologyControl> controls;
  bool controlsFail = false;  // the control query of this line fails (fixtures only)
};

struct MixerTopologyDestination {
  MixerTopologyLine line;
  std::vector<MixerTopologyLine> sources;
};

struct MixerTopology {
  MixerCaps caps;
  std::vector<MixerTopologyDestination> destinations;
  bool capsFail = false;  // fixtures only: the capabilities cannot be read
  bool openFail = false;  // fixtures only: opening fails

  // Fills line numbers, identifiers, connection and control counts and the source flag from
  // the structure; control identifiers that are 0 get unique ones.
  void Finish();
  const MixerTopologyLine* FindLine(uint32_t lineID) const;
  MixerTopologyControl* FindControl(uint32_t controlID);
  const MixerTopologyControl* FindControl(uint32_t controlID) const;
};

class TopologyMixerDriver : public MixerDriver {
 public:
  uint32_t GetNumDevs() override { return static_cast<uint32_t>(devices_.size()); }
  uint32_t GetDevCaps(uint32_t device, MixerCaps& caps) override;
  uint32_t Open(uint32_t device, MixerHandle& handle) override;
  uint32_t Close(MixerHandle handle) override;
  uint32_t GetLineInfoDestination(MixerHandle handle, uint32_t destination, MixerLine& line) override;
  uint32_t GetLineInfoSource(MixerHandle handle, uint32_t destination, uint32_t source,
                             MixerLine& line) override;
  uint32_t GetLineControls(MixerHandle handle, uint32_t lineID, std::vector<MixerControl>& controls) override;
  uint32_t GetControlDetails(MixerHandle handle, MixerControlDetails& details) override;
  uint32_t SetControlDetails(MixerHandle handle, const MixerControlDetails& details) override;

  const std::vector<MixerTopology>& Devices() const { return devices_; }
  size_t OpenHandles() const { return open_.size(); }

 protected:
  // Where the values of a control come from. The defaults keep them in the topology.
  virtual uint32_t ReadValues(uint32_t device, MixerTopologyControl& control);
  virtual uint32_t WriteValues(uint32_t device, MixerTopologyControl& control);

  std::vector<MixerTopology> devices_;

 private:
  // The device of an open handle, or -1.
  int64_t DeviceOf(MixerHandle handle) const;
  std::vector<std::pair<MixerHandle, uint32_t>> open_;
  MixerHandle nextHandle_ = 1;
};

}  // namespace sonavel
