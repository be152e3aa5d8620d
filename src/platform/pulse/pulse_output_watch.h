// The watch over the playback chain on the sound server (PulseAudio, or PipeWire through
// pipewire-pulse), on the connection the wave output and the endpoint volume share. It subscribes
// to the server's sink, sink-input and server events; at each event it asks the server for the
// thing the event names and compares the answer with the baseline taken when watching started:
// the watched sink's volume, mute and active port, the server's default sink, and the volume,
// mute and sink of the program's own streams (the sink-inputs of this connection's client). Events
// about the sink that arrive while the run changes levels itself, or within
// OwnChangeSettleSeconds after, move the baseline instead (on a flat-volume sink also those about
// the streams, whose volume the server then derives from the sink's). The comparison runs on the loop thread as the replies come in; Change()
// only reads its result, so a poll never waits for the server.
#pragma once

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "audio/output_watch.h"
#include "platform/pulse/pulse_connection.h"

namespace sonavel {

class PulseOutputWatch : public OutputWatch {
 public:
  explicit PulseOutputWatch(std::shared_ptr<PulseConnection> connection);
  ~PulseOutputWatch() override;
  PulseOutputWatch(const PulseOutputWatch&) = delete;
  PulseOutputWatch& operator=(const PulseOutputWatch&) = delete;

  std::optional<OutputInfo> DescribeOutput(int32_t device) override;
  void StartWatching(int32_t device) override;
  void StopWatching() override;
  void BeginOwnChange() override;
  void EndOwnChange() override;
  std::string Change() override;

  // A sink as the watch reads it.
  struct Sink {
    uint32_t index = 0;
    std::string name;
    std::string description;
    bool bluetooth = false;
    bool flatVolume = false;  // the server derives its inputs' volumes from the sink's
    OutputLevels levels;
  };

 private:
  struct Pending;
  enum class Ask { Sink, Server, SinkInput };
  struct Event {
    pa_subscription_event_type_t type;
    uint32_t index;
    bool absorb;
  };

  // With the lock held. The synchronous queries wait at most a few seconds each.
  bool QueryDefaultSink(std::string& name);
  bool QuerySinks(std::vector<Sink>& sinks);
  bool QueryOwnStreams();
  std::optional<Sink> Resolve(int32_t device, const std::vector<Sink>& sinks,
                              const std::string& defaultSink) const;
  bool Absorbing() const;
  void OnEvent(const Event& event);
  void Send(Ask ask, uint32_t index, bool absorb);
  void Finish(Pending* pending);
  void CancelPending();
  void Report(const std::string& text);
  std::string DescriptionOfName(const std::string& name) const;
  std::string DescriptionOfIndex(uint32_t index) const;
  bool IsOwnStream(const pa_sink_input_info& info) const;
  // Replies, on the loop thread.
  void OnSink(const Sink& sink, bool absorb);
  void OnServer(const std::string& defaultSink);
  void OnSinkInput(const pa_sink_input_info& info, bool absorb);

  std::shared_ptr<PulseConnection> c_;
  int32_t subscription_ = 0;

  // Under the loop lock.
  bool watching_ = false;
  bool ready_ = false;  // the baseline is taken; events before it wait in early_
  std::vector<Event> early_;
  uint64_t generation_ = 0;
  uint32_t ownClient_ = PA_INVALID_INDEX;
  Sink watched_;
  std::string baseDefault_;
  std::map<uint32_t, StreamLevels> streams_;                           // own sink-inputs by index
  std::map<uint32_t, std::pair<std::string, std::string>> sinkNames_;  // index -> name, description
  std::string change_;
  int32_t ownDepth_ = 0;
  std::chrono::steady_clock::time_point settleUntil_{};
  std::unordered_set<Pending*> pending_;
};

// What the watch reads of a sink.
PulseOutputWatch::Sink SinkOf(const pa_sink_info& info);
std::vector<double> VolumeOf(const pa_cvolume& volume);

}  // namespace sonavel
