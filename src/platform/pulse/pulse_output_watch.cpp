#include "platform/pulse/pulse_output_watch.h"

#include <unistd.h>

#include <cstring>

#include "audio/wave_out.h"

namespace sonavel {

namespace {

constexpr double QueryTimeout = 2.0;
const auto WatchedEvents = static_cast<pa_subscription_mask_t>(
    PA_SUBSCRIPTION_MASK_SINK | PA_SUBSCRIPTION_MASK_SINK_INPUT | PA_SUBSCRIPTION_MASK_SERVER);
constexpr const char* NoEventsText =
    "Der Audioserver meldet keine Änderungen; die Tonausgabe lässt sich nicht überwachen.";
constexpr const char* NoAnswerText =
    "Der Audioserver antwortet nicht; die Tonausgabe lässt sich nicht überwachen.";

bool Equals(const char* text, const char* value) { return text && std::strcmp(text, value) == 0; }

}  // namespace

std::vector<double> VolumeOf(const pa_cvolume& volume) {
  std::vector<double> out;
  for (uint8_t c = 0; c < volume.channels && c < PA_CHANNELS_MAX; ++c)
    out.push_back(static_cast<double>(volume.values[c]) / PA_VOLUME_NORM);
  return out;
}

PulseOutputWatch::Sink SinkOf(const pa_sink_info& i) {
  PulseOutputWatch::Sink s;
  s.index = i.index;
  s.name = i.name ? i.name : "";
  s.description = i.description && *i.description ? i.description : s.name;
  if (i.proplist) {
    const char* api = pa_proplist_gets(i.proplist, PA_PROP_DEVICE_API);
    // PulseAudio's bluez modules set the bus; PipeWire's nodes may carry only the API.
    s.bluetooth = Equals(pa_proplist_gets(i.proplist, PA_PROP_DEVICE_BUS), "bluetooth") ||
                  (api && std::strncmp(api, "bluez", 5) == 0);
  }
  s.flatVolume = (i.flags & PA_SINK_FLAT_VOLUME) != 0;
  s.levels.Volume = VolumeOf(i.volume);
  s.levels.Muted = i.mute != 0;
  if (i.active_port)
    s.levels.Port = i.active_port->description && *i.active_port->description
                        ? i.active_port->description
                        : (i.active_port->name ? i.active_port->name : "");
  return s;
}

// One question to the server on behalf of an event; the reply is compared only while the watch
// that asked is still the current one.
struct PulseOutputWatch::Pending {
  PulseOutputWatch* self;
  uint64_t generation;
  bool absorb;
  pa_operation* op = nullptr;

  bool Current() const { return self->watching_ && generation == self->generation_; }
};

PulseOutputWatch::PulseOutputWatch(std::shared_ptr<PulseConnection> connection) : c_(std::move(connection)) {
  subscription_ = c_->Subscribe(WatchedEvents, [this](pa_subscription_event_type_t type, uint32_t index) {
    OnEvent({type, index, Absorbing()});
  });
}

PulseOutputWatch::~PulseOutputWatch() {
  if (subscription_) c_->Unsubscribe(subscription_);
  PulseConnection::Lock lock(*c_);
  CancelPending();
}

bool PulseOutputWatch::Absorbing() const {
  return ownDepth_ > 0 || std::chrono::steady_clock::now() <= settleUntil_;
}

// --- synchronous queries (lock held) ------------------------------------------------------------

bool PulseOutputWatch::QueryDefaultSink(std::string& name) {
  struct Q {
    bool answered = false;
    std::string name;
  } q;
  pa_operation* op = pa_context_get_server_info(
      c_->Context(),
      [](pa_context*, const pa_server_info* i, void* u) {
        auto* q = static_cast<Q*>(u);
        q->answered = i != nullptr;
        if (i && i->default_sink_name) q->name = i->default_sink_name;
      },
      &q);
  if (!c_->WaitOperation(op, QueryTimeout) || !q.answered) return false;
  name = q.name;
  return true;
}

bool PulseOutputWatch::QuerySinks(std::vector<Sink>& sinks) {
  struct Q {
    std::vector<Sink> sinks;
  } q;
  pa_operation* op = pa_context_get_sink_info_list(
      c_->Context(),
      [](pa_context*, const pa_sink_info* i, int eol, void* u) {
        if (eol == 0 && i) static_cast<Q*>(u)->sinks.push_back(SinkOf(*i));
      },
      &q);
  if (!c_->WaitOperation(op, QueryTimeout)) return false;
  sinks = std::move(q.sinks);
  return true;
}

bool PulseOutputWatch::QueryOwnStreams() {
  pa_operation* op = pa_context_get_sink_input_info_list(
      c_->Context(),
      [](pa_context*, const pa_sink_input_info* i, int eol, void* u) {
        auto* self = static_cast<PulseOutputWatch*>(u);
        if (eol == 0 && i && self->IsOwnStream(*i))
          self->streams_[i->index] = {VolumeOf(i->volume), i->mute != 0, i->sink};
      },
      this);
  return c_->WaitOperation(op, QueryTimeout);
}

std::optional<PulseOutputWatch::Sink> PulseOutputWatch::Resolve(int32_t device,
                                                                const std::vector<Sink>& sinks,
                                                                const std::string& defaultSink) const {
  if (device == WaveMapper) {
    for (const Sink& s : sinks)
      if (s.name == defaultSink) return s;
    return std::nullopt;
  }
  // The wave output numbers the sinks in the order the server lists them.
  if (device < 0 || static_cast<size_t>(device) >= sinks.size()) return std::nullopt;
  return sinks[static_cast<size_t>(device)];
}

bool PulseOutputWatch::IsOwnStream(const pa_sink_input_info& info) const {
  // The wave output plays through this connection, so its streams belong to this client.
  if (ownClient_ != PA_INVALID_INDEX) return info.client == ownClient_;
  return info.proplist &&
         Equals(pa_proplist_gets(info.proplist, PA_PROP_APPLICATION_ID), "de.brantel.sonavel") &&
         Equals(pa_proplist_gets(info.proplist, PA_PROP_APPLICATION_PROCESS_ID),
                std::to_string(getpid()).c_str());
}

// --- the interface ------------------------------------------------------------------------------

std::optional<OutputInfo> PulseOutputWatch::DescribeOutput(int32_t device) {
  PulseConnection::Lock lock(*c_);
  if (pa_context_get_state(c_->Context()) != PA_CONTEXT_READY) return std::nullopt;
  std::string defaultSink;
  std::vector<Sink> sinks;
  if (!QueryDefaultSink(defaultSink) || !QuerySinks(sinks)) return std::nullopt;
  const std::optional<Sink> sink = Resolve(device, sinks, defaultSink);
  if (!sink) return std::nullopt;
  return OutputInfo{sink->description, sink->bluetooth, sink->levels.Muted};
}

void PulseOutputWatch::StartWatching(int32_t device) {
  if (subscription_ == 0)
    subscription_ = c_->Subscribe(WatchedEvents, [this](pa_subscription_event_type_t type, uint32_t index) {
      OnEvent({type, index, Absorbing()});
    });
  PulseConnection::Lock lock(*c_);
  CancelPending();
  ++generation_;
  change_.clear();
  streams_.clear();
  sinkNames_.clear();
  early_.clear();
  watching_ = true;
  ready_ = false;
  if (pa_context_get_state(c_->Context()) != PA_CONTEXT_READY) {
    change_ = ServerGoneText;
    return;
  }
  if (subscription_ == 0) {
    change_ = NoEventsText;
    return;
  }
  ownClient_ = pa_context_get_index(c_->Context());
  // Events that come while the baseline is read wait for it (early_), so that none is lost.
  std::string defaultSink;
  std::vector<Sink> sinks;
  if (!QueryDefaultSink(defaultSink) || !QuerySinks(sinks)) {
    change_ = pa_context_get_state(c_->Context()) == PA_CONTEXT_READY ? NoAnswerText : ServerGoneText;
    return;
  }
  for (const Sink& s : sinks) sinkNames_[s.index] = {s.name, s.description};
  const std::optional<Sink> sink = Resolve(device, sinks, defaultSink);
  if (!sink) {
    change_ = OutputUnknownText;
    return;
  }
  watched_ = *sink;
  baseDefault_ = defaultSink;
  if (!QueryOwnStreams()) {
    change_ = pa_context_get_state(c_->Context()) == PA_CONTEXT_READY ? NoAnswerText : ServerGoneText;
    return;
  }
  ready_ = true;
  std::vector<Event> early;
  early.swap(early_);
  for (const Event& e : early) OnEvent(e);
}

void PulseOutputWatch::StopWatching() {
  PulseConnection::Lock lock(*c_);
  watching_ = false;
  ready_ = false;
  ++generation_;
  CancelPending();
  early_.clear();
  streams_.clear();
  change_.clear();
}

void PulseOutputWatch::BeginOwnChange() {
  PulseConnection::Lock lock(*c_);
  ++ownDepth_;
}

void PulseOutputWatch::EndOwnChange() {
  PulseConnection::Lock lock(*c_);
  if (ownDepth_ > 0 && --ownDepth_ == 0)
    settleUntil_ =
        std::chrono::steady_clock::now() + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                               std::chrono::duration<double>(OwnChangeSettleSeconds));
}

std::string PulseOutputWatch::Change() {
  PulseConnection::Lock lock(*c_);
  if (!watching_) return "";
  if (change_.empty() && pa_context_get_state(c_->Context()) != PA_CONTEXT_READY) change_ = ServerGoneText;
  return change_;
}

// --- events and replies (loop thread, lock held) --------------------------------------------------

void PulseOutputWatch::Report(const std::string& text) {
  if (change_.empty()) change_ = text;
}

std::string PulseOutputWatch::DescriptionOfName(const std::string& name) const {
  for (const auto& [index, names] : sinkNames_)
    if (names.first == name) return names.second;
  return name.empty() ? "keine" : name;
}

std::string PulseOutputWatch::DescriptionOfIndex(uint32_t index) const {
  const auto it = sinkNames_.find(index);
  return it != sinkNames_.end() ? it->second.second : "Nr. " + std::to_string(index);
}

void PulseOutputWatch::OnEvent(const Event& event) {
  if (!watching_ || !change_.empty()) return;
  if (!ready_) {
    early_.push_back(event);
    return;
  }
  const uint32_t facility = event.type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
  const uint32_t kind = event.type & PA_SUBSCRIPTION_EVENT_TYPE_MASK;
  switch (facility) {
    case PA_SUBSCRIPTION_EVENT_SINK:
      if (kind == PA_SUBSCRIPTION_EVENT_REMOVE) {
        if (event.index == watched_.index) Report(OutputGoneText(watched_.description));
      } else if (kind == PA_SUBSCRIPTION_EVENT_NEW || event.index == watched_.index) {
        // A new sink is asked for its name, for the messages; the watched one is compared.
        Send(Ask::Sink, event.index, event.absorb);
      }
      break;
    case PA_SUBSCRIPTION_EVENT_SERVER:
      // The default sink is never the program's own doing: not absorbed.
      Send(Ask::Server, PA_INVALID_INDEX, false);
      break;
    case PA_SUBSCRIPTION_EVENT_SINK_INPUT:
      if (kind == PA_SUBSCRIPTION_EVENT_REMOVE)
        streams_.erase(event.index);  // a stream the wave output closes is its own business
      else
        Send(Ask::SinkInput, event.index, event.absorb);
      break;
    default:
      break;
  }
}

void PulseOutputWatch::Send(Ask ask, uint32_t index, bool absorb) {
  auto* p = new Pending{this, generation_, absorb};
  pa_context* c = c_->Context();
  pa_operation* op = nullptr;
  switch (ask) {
    case Ask::Sink:
      op = pa_context_get_sink_info_by_index(
          c, index,
          [](pa_context*, const pa_sink_info* i, int eol, void* u) {
            auto* p = static_cast<Pending*>(u);
            if (eol == 0) {
              if (i && p->Current()) p->self->OnSink(SinkOf(*i), p->absorb);
              return;
            }
            p->self->Finish(p);
          },
          p);
      break;
    case Ask::Server:
      op = pa_context_get_server_info(
          c,
          [](pa_context*, const pa_server_info* i, void* u) {
            auto* p = static_cast<Pending*>(u);
            if (i && p->Current()) p->self->OnServer(i->default_sink_name ? i->default_sink_name : "");
            p->self->Finish(p);
          },
          p);
      break;
    case Ask::SinkInput:
      op = pa_context_get_sink_input_info(
          c, index,
          [](pa_context*, const pa_sink_input_info* i, int eol, void* u) {
            auto* p = static_cast<Pending*>(u);
            if (eol == 0) {
              if (i && p->Current()) p->self->OnSinkInput(*i, p->absorb);
              return;
            }
            p->self->Finish(p);
          },
          p);
      break;
  }
  if (!op) {
    // The connection is going; Change() reports that.
    delete p;
    return;
  }
  p->op = op;
  pending_.insert(p);
}

void PulseOutputWatch::Finish(Pending* p) {
  pending_.erase(p);
  pa_operation_unref(p->op);
  delete p;
}

void PulseOutputWatch::CancelPending() {
  for (Pending* p : pending_) {
    pa_operation_cancel(p->op);
    pa_operation_unref(p->op);
    delete p;
  }
  pending_.clear();
}

void PulseOutputWatch::OnSink(const Sink& sink, bool absorb) {
  sinkNames_[sink.index] = {sink.name, sink.description};
  if (sink.index != watched_.index) return;
  if (absorb) {
    watched_.levels = sink.levels;
    return;
  }
  Report(OutputChangeText(watched_.description, watched_.levels, sink.levels));
}

void PulseOutputWatch::OnServer(const std::string& defaultSink) {
  if (defaultSink != baseDefault_)
    Report(DefaultOutputChangeText(DescriptionOfName(baseDefault_), DescriptionOfName(defaultSink)));
}

void PulseOutputWatch::OnSinkInput(const pa_sink_input_info& info, bool absorb) {
  if (!IsOwnStream(info)) return;
  const StreamLevels now{VolumeOf(info.volume), info.mute != 0, info.sink};
  const auto it = streams_.find(info.index);
  if (it == streams_.end() || (absorb && watched_.flatVolume && now.Output == watched_.index)) {
    // A stream the wave output has just opened starts its own baseline; on a flat-volume sink
    // the run's own sink changes move the streams' volumes with it.
    streams_[info.index] = now;
    return;
  }
  Report(StreamChangeText(DescriptionOfIndex(it->second.Output), DescriptionOfIndex(now.Output), it->second,
                          now));
}

}  // namespace sonavel
