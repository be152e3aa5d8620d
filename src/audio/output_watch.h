// The playback chain as the sound server sees it, watched while a hearing test runs. The level
// at the ear is the product of the samples, the mixer levels the run sets and everything the
// server applies after them: the output's volume and mute, the volume and mute of the program's
// own stream, and which output plays at all. Other programs and the user can change any of these
// at any moment; a run that went on would measure at a level nobody knows. The watch notices
// such changes (and the loss of the output or of the server) so that the run can end.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/host.h"

namespace sonavel {

// How long after its own level changes the program takes what the server then reports as its
// own doing. Setting a hardware card's mixer through ALSA makes the sound server adjust the
// output's volume a moment later, and the server's change events arrive after the request's
// reply; both take milliseconds. 0.3 s covers them on a loaded desktop while keeping the time in
// which a change by someone else would pass unnoticed to the start of a slot.
constexpr double OwnChangeSettleSeconds = 0.3;

// An output (a sink of the sound server) as it is now.
struct OutputInfo {
  std::string Description;  // as the server names it to the user
  bool Bluetooth = false;
  bool Muted = false;
};

class OutputWatch {
 public:
  virtual ~OutputWatch() = default;

  // The output that wave device `device` plays on (-1: the server's default output, otherwise
  // the outputs in the server's order, as the wave output numbers them). Empty when the server
  // cannot tell; then nothing is known and the device's own open reports what is wrong.
  virtual std::optional<OutputInfo> DescribeOutput(int32_t device) = 0;

  // Starts watching the output of `device`, the server's default output and the program's own
  // streams, with what they are now as the baseline. What keeps the watch from starting (the
  // output is gone, the server does not answer) is reported by Change() like a change.
  virtual void StartWatching(int32_t device) = 0;
  virtual void StopWatching() = 0;

  // Around the level changes the program makes itself (the mixer preparation, the levels of a
  // slot): what the output reports from BeginOwnChange until OwnChangeSettleSeconds after
  // EndOwnChange becomes the new baseline. Brackets may nest. A change of the default output is
  // never the program's own, nor one of its stream (the program never sets its stream's volume;
  // only where the server derives the stream's volume from the output's, a flat-volume sink,
  // does the stream's follow the bracket too). A stream that reads anything but what it was
  // opened with ends the run even right after the bracket: a stream volume the server restores
  // from an earlier session would put the level off the calibration.
  virtual void BeginOwnChange() = 0;
  virtual void EndOwnChange() = 0;

  // While watching: the first change since StartWatching that the program did not make, as a
  // sentence for the user naming what changed; empty while nothing did. It stays until the
  // watch stops.
  virtual std::string Change() = 0;
};

// Brackets the program's own level changes for a scope; nothing happens without a watch.
class OwnChange {
 public:
  explicit OwnChange(OutputWatch* watch) : watch_(watch) {
    if (watch_) watch_->BeginOwnChange();
  }
  ~OwnChange() {
    if (watch_) watch_->EndOwnChange();
  }
  OwnChange(const OwnChange&) = delete;
  OwnChange& operator=(const OwnChange&) = delete;

 private:
  OutputWatch* watch_;
};

// The check before a test or a calibration tone. A muted output is refused with a message that
// names it (nothing could be heard); a Bluetooth output gets a warning that its latency and
// level are not reproducible, which the user can go on past (OK) or stop at (Cancel). Without a
// watch, or when the server cannot tell, nothing is checked. `acceptedBluetooth`, when given,
// holds the description of a Bluetooth output the user has already chosen to go on with: it is
// not asked about again, and it is set when the user goes on. True when playing may begin.
bool CheckOutputBeforePlaying(OutputWatch* watch, int32_t device, Host& host,
                              std::string* acceptedBluetooth = nullptr);

// --- what the drivers compare, and the sentences they report ----------------------------------

// The watched output's part of the chain.
struct OutputLevels {
  std::vector<double> Volume;  // per channel; 1 = the output's normal (100 %) volume
  bool Muted = false;
  std::string Port;  // the active port's description; "" when the output has no ports

  bool operator==(const OutputLevels&) const = default;
};

// A stream of the program on the server.
struct StreamLevels {
  std::vector<double> Volume;  // per channel; 1 = full stream volume
  bool Muted = false;
  uint32_t Output = 0;  // the server's index of the output it plays on

  bool operator==(const StreamLevels&) const = default;
};

// "" when nothing that matters differs; otherwise one sentence naming the output and what
// changed (mute first, then the volume in percent, then the port).
std::string OutputChangeText(const std::string& description, const OutputLevels& before,
                             const OutputLevels& after);
// The same for the program's own stream, with the descriptions of the outputs it played on
// before and after (they differ only when the stream was moved).
std::string StreamChangeText(const std::string& beforeOutput, const std::string& afterOutput,
                             const StreamLevels& before, const StreamLevels& after);
std::string DefaultOutputChangeText(const std::string& before, const std::string& after);
std::string OutputGoneText(const std::string& description);
constexpr const char* ServerGoneText = "Die Verbindung zum Audioserver ist abgebrochen.";
// When the watch cannot tell which output the run plays on.
constexpr const char* OutputUnknownText =
    "Der Audioserver nennt das Ausgabegerät der Tonausgabe nicht; die Tonausgabe lässt sich nicht "
    "überwachen.";

// A volume for the user: the channels in percent ("50 %", or "100 % / 50 %" when the channels
// differ), with one decimal place (decimal comma) when whole percent would not tell `volume`
// from `other`.
std::string VolumePercentText(const std::vector<double>& volume, const std::vector<double>& other);

// Texts of the check before playing.
std::string MutedOutputText(const std::string& description);
std::string BluetoothOutputText(const std::string& description);

}  // namespace sonavel
