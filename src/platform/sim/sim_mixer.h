// A simulated mixer built from a fixture: a small text file that describes devices, their
// destination and source lines and their controls, with their current values. Every set is
// recorded, and the current values can be read back.
//
// Fixture format, one statement per line; "#" starts a comment line; words are separated by
// blanks; texts stand in double quotes; numbers are decimal (with sign) or 0x hexadecimal.
//
//   device "NAME" [version MAJOR.MINOR] [capsfail] [openfail]
//   destination TYPE "NAME" [short "S"] [channels N] [id N] [flags N] [controlsfail]
//   source TYPE "NAME" [short "S"] [channels N] [id N] [flags N] [controlsfail]
//   control TYPE "NAME" [short "S"] [id N] [min N] [max N] [steps N] [items N]
//           [uniform] [disabled] [multiple] [flags N] [value V...]
//
// A destination belongs to the device above it, a source to the destination above it and a
// control to the line above it. Line TYPEs are component type names (DST_SPEAKERS, SRC_WAVEOUT,
// ...) and control TYPEs control type names (VOLUME, MUTE, ...), without their prefixes, or
// numbers. `channels` defaults to 2. `value` gives the current values per channel (and item); a
// single value fills every channel. `capsfail`, `openfail` and `controlsfail` make the
// capability read, the open or the line's control query fail. Identifiers left out are
// numbered by the device.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "mixer/mixer_device.h"

namespace sonavel {

// Parses a fixture; throws SonavelError naming the line for malformed input.
std::vector<MixerTopology> ParseMixerFixture(const std::string& text);
std::vector<MixerTopology> LoadMixerFixture(const std::string& path);

// The fixture of the simulated mixer when no other is given: one stereo card with master,
// tone controls, wave, CD, line and microphone sources, and a recording side.
// The simulated sound cards: a speaker destination with master volume and mute, PCM and CD
// sources; the full card adds bass, treble, line, microphone and a capture destination.
struct SimulatedCard {
  std::string comment;  // the first line, without its "# "
  std::string name;
  uint32_t masterSteps, masterValue;
  uint32_t pcmSteps, pcmValue;
  uint32_t otherSteps;  // the CD volume's
  bool fullCard;
};
std::string SimulatedCardFixture(const SimulatedCard& card);

extern const std::string DefaultMixerFixture;

class SimMixer : public TopologyMixerDriver {
 public:
  struct SetCall {
    uint32_t device;
    uint32_t controlID;
    uint32_t channels;
    uint32_t multipleItems;
    std::vector<int32_t> items;
  };

  explicit SimMixer(std::vector<MixerTopology> devices);

  uint32_t GetControlDetails(MixerHandle handle, MixerControlDetails& details) override;
  uint32_t SetControlDetails(MixerHandle handle, const MixerControlDetails& details) override;

  // Every set, with the items as the block carried them.
  std::vector<SetCall> Sets;
  int32_t GetCount = 0;
  // How many get and set calls reached the driver.
  int32_t DetailCalls() const { return GetCount + static_cast<int32_t>(Sets.size()); }

  // The current values (channel-major) of a control, or empty when there is none.
  std::vector<int32_t> Values(uint32_t device, uint32_t controlID) const;
  // The first control of `controlType` on a line of `componentType` of `device`: 0 if none.
  uint32_t FindControlID(uint32_t device, uint32_t componentType, uint32_t controlType) const;

 private:
  std::vector<MixerHandle> handles_;
};

}  // namespace sonavel
