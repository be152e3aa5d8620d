// A sound server for the watch, on the host's clock: outputs with their description, Bluetooth
// flag, volume, mute, port and presence, the default output, the program's own stream and the
// server's own life. Tests change it at virtual moments (At), as other programs and the user
// change a real server; when it is given a simulated endpoint volume, the default output's volume
// follows what the run sets there, as the real server's does. The watch compares the server with
// its baseline at every look (every poll of a run and every bracket of the run's own changes),
// taking each scheduled change at the moment it was made, so the settle time after the run's own
// changes is kept on the virtual clock exactly as the real driver keeps it.
#pragma once

#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "audio/output_watch.h"
#include "audio/wave_out.h"
#include "core/host.h"
#include "platform/sim/sim_endpoint_volume.h"

namespace sonavel {

struct SimOutput {
  std::string description;
  bool bluetooth = false;
  OutputLevels levels{{1.0, 1.0}, false, ""};
  bool present = true;
};

struct SimServer {
  std::vector<SimOutput> outputs;  // in the server's order: wave device n plays on outputs[n]
  size_t defaultOutput = 0;
  StreamLevels stream{{1.0, 1.0}, false, 0};  // the program's stream; Output indexes outputs
  bool up = true;
};

class SimOutputWatch : public OutputWatch {
 public:
  using Output = SimOutput;
  using Server = SimServer;

  explicit SimOutputWatch(Host& host, std::vector<Output> outputs = {{"Sonavel Simulated Output"}},
                          const SimEndpointVolume* follows = nullptr);

  // Changes the server at `seconds` on the host's clock; the change is made at the first look at
  // or after that moment, in the order of the times (and of the calls at equal times).
  void At(double seconds, std::function<void(Server&)> change);
  // The server as it is; changed directly only before watching starts.
  Server& Live() { return server_; }
  const Server& Live() const { return server_; }

  // OutputWatch.
  std::optional<OutputInfo> DescribeOutput(int32_t device) override;
  void StartWatching(int32_t device) override;
  void StopWatching() override;
  void BeginOwnChange() override;
  void EndOwnChange() override;
  std::string Change() override;

  bool Watching() const { return watching_; }
  int32_t StartCount = 0;
  int32_t OwnChangeCount = 0;
  int32_t DescribeCount = 0;

 private:
  struct Scheduled {
    double at;
    uint64_t order;
    std::function<void(Server&)> change;
  };
  // Makes the due changes, each judged at its own moment, then judges the server as it is now.
  void Look();
  void Judge(double at);
  bool Absorbed(double at) const;
  std::optional<size_t> OutputOf(int32_t device) const;
  std::string DescriptionOf(size_t output) const;

  Host& host_;
  Server server_;
  const SimEndpointVolume* follows_;
  std::optional<float> followed_;
  std::vector<Scheduled> scheduled_;
  uint64_t nextOrder_ = 0;

  bool watching_ = false;
  size_t watched_ = 0;
  OutputLevels baseLevels_;
  StreamLevels baseStream_;
  size_t baseDefault_ = 0;
  std::string change_;
  int32_t ownDepth_ = 0;
  double windowStart_ = std::numeric_limits<double>::infinity();
  double settleUntil_ = -std::numeric_limits<double>::infinity();
};

}  // namespace sonavel
