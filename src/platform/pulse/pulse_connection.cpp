#include "platform/pulse/pulse_connection.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

namespace sonavel {

uint32_t VersionWordFromText(const std::string& version) {
  unsigned major = 0, minor = 0;
  if (std::sscanf(version.c_str(), "%u.%u", &major, &minor) < 1) return 0;
  return ((major > 255 ? 255 : major) << 8) | (minor > 255 ? 255 : minor);
}

std::unique_ptr<PulseConnection> PulseConnection::Connect(std::string& error, double timeoutSeconds) {
  std::unique_ptr<PulseConnection> c(new PulseConnection);
  c->loop_ = pa_threaded_mainloop_new();
  if (!c->loop_) {
    error = "Der Audioserver-Client lässt sich nicht anlegen.";
    return nullptr;
  }
  pa_proplist* props = pa_proplist_new();
  pa_proplist_sets(props, PA_PROP_APPLICATION_NAME, "Sonavel");
  pa_proplist_sets(props, PA_PROP_APPLICATION_ID, "de.brantel.sonavel");
  pa_proplist_sets(props, PA_PROP_MEDIA_ROLE, "test");
  c->context_ = pa_context_new_with_proplist(pa_threaded_mainloop_get_api(c->loop_), "Sonavel", props);
  pa_proplist_free(props);
  if (!c->context_) {
    error = "Der Audioserver-Client lässt sich nicht anlegen.";
    return nullptr;
  }
  if (pa_context_connect(c->context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
    error = std::string("Kein Audioserver erreichbar: ") + pa_strerror(pa_context_errno(c->context_));
    return nullptr;
  }
  if (pa_threaded_mainloop_start(c->loop_) < 0) {
    error = "Der Audioserver-Client lässt sich nicht starten.";
    return nullptr;
  }
  Lock lock(*c);
  const bool settled = c->WaitFor(
      [&] {
        return !PA_CONTEXT_IS_GOOD(pa_context_get_state(c->context_)) ||
               pa_context_get_state(c->context_) == PA_CONTEXT_READY;
      },
      timeoutSeconds);
  if (!settled || pa_context_get_state(c->context_) != PA_CONTEXT_READY) {
    error = settled
                ? std::string("Kein Audioserver erreichbar: ") + pa_strerror(pa_context_errno(c->context_))
                : "Der Audioserver antwortet nicht.";
    return nullptr;
  }
  struct Info {
    bool done = false;
    std::string version;
  } info;
  pa_operation* op = pa_context_get_server_info(
      c->context_,
      [](pa_context*, const pa_server_info* i, void* u) {
        auto* info = static_cast<Info*>(u);
        if (i && i->server_version) info->version = i->server_version;
        info->done = true;
      },
      &info);
  c->WaitOperation(op, timeoutSeconds);
  c->versionWord_ = VersionWordFromText(info.version);
  return c;
}

PulseConnection::~PulseConnection() {
  if (loop_) pa_threaded_mainloop_stop(loop_);
  if (context_) {
    pa_context_disconnect(context_);
    pa_context_unref(context_);
  }
  if (loop_) pa_threaded_mainloop_free(loop_);
}

bool PulseConnection::WaitFor(const std::function<bool()>& done, double timeoutSeconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    // Short sleeps with the lock released let the loop thread deliver the replies.
    pa_threaded_mainloop_unlock(loop_);
    std::this_thread::sleep_for(std::chrono::microseconds(500));
    pa_threaded_mainloop_lock(loop_);
  }
  return true;
}

bool PulseConnection::WaitOperation(pa_operation* op, double timeoutSeconds) {
  if (!op) return false;
  const bool finished =
      WaitFor([&] { return pa_operation_get_state(op) != PA_OPERATION_RUNNING; }, timeoutSeconds);
  const bool ok = finished && pa_operation_get_state(op) == PA_OPERATION_DONE;
  if (!finished) pa_operation_cancel(op);
  pa_operation_unref(op);
  return ok;
}

bool PulseConnection::Alive() {
  Lock lock(*this);
  return pa_context_get_state(context_) == PA_CONTEXT_READY;
}

std::string PulseConnection::LastErrorText() { return pa_strerror(pa_context_errno(context_)); }

bool PulseConnection::Sinks(std::vector<PulseSink>& sinks, std::string& error) {
  Lock lock(*this);
  struct Query {
    std::vector<PulseSink> sinks;
  } q;
  pa_operation* op = pa_context_get_sink_info_list(
      context_,
      [](pa_context*, const pa_sink_info* i, int eol, void* u) {
        if (eol || !i) return;
        auto* q = static_cast<Query*>(u);
        q->sinks.push_back({i->index, i->name ? i->name : "", i->description ? i->description : ""});
      },
      &q);
  if (!WaitOperation(op, 2.0)) {
    error = "Der Audioserver liefert keine Ausgabegeräte: " + LastErrorText();
    return false;
  }
  sinks = std::move(q.sinks);
  return true;
}

bool PulseConnection::DefaultSinkAnswers() {
  Lock lock(*this);
  struct Query {
    bool found = false;
  } q;
  pa_operation* op = pa_context_get_sink_info_by_name(
      context_, "@DEFAULT_SINK@",
      [](pa_context*, const pa_sink_info* i, int eol, void* u) {
        if (!eol && i) static_cast<Query*>(u)->found = true;
      },
      &q);
  return WaitOperation(op, 2.0) && q.found;
}

pa_operation* PulseConnection::SubscribeToListeners() {
  uint32_t mask = 0;
  for (const Listener& l : listeners_) mask |= l.mask;
  return pa_context_subscribe(context_, static_cast<pa_subscription_mask_t>(mask), nullptr, nullptr);
}

int32_t PulseConnection::Subscribe(pa_subscription_mask_t mask, EventListener listener) {
  Lock lock(*this);
  if (pa_context_get_state(context_) != PA_CONTEXT_READY) return 0;
  const int32_t id = nextListener_++;
  listeners_.push_back({id, mask, std::move(listener)});
  pa_context_set_subscribe_callback(context_, &PulseConnection::OnEvent, this);
  if (!WaitOperation(SubscribeToListeners(), 2.0)) {
    listeners_.pop_back();
    return 0;
  }
  return id;
}

void PulseConnection::Unsubscribe(int32_t id) {
  Lock lock(*this);
  const auto it = std::find_if(listeners_.begin(), listeners_.end(), [&](const Listener& l) { return l.id == id; });
  if (it == listeners_.end()) return;
  listeners_.erase(it);
  if (pa_context_get_state(context_) != PA_CONTEXT_READY) return;
  // Nothing waits for the narrower subscription: events nobody listens to are dropped anyway.
  if (pa_operation* op = SubscribeToListeners()) pa_operation_unref(op);
}

void PulseConnection::OnEvent(pa_context*, pa_subscription_event_type_t type, uint32_t index, void* self) {
  auto* c = static_cast<PulseConnection*>(self);
  const uint32_t facility = type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
  // A copy: a listener may subscribe or unsubscribe while it runs.
  const std::vector<Listener> listeners = c->listeners_;
  for (const Listener& l : listeners)
    if (l.mask & (1u << facility)) l.listener(type, index);
}

}  // namespace sonavel
