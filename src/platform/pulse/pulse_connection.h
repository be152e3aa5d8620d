// One connection to the sound server (PulseAudio, or PipeWire through pipewire-pulse) on a
// threaded main loop, shared by the wave output and the endpoint volume. Every wait on the
// server has a timeout, so a server that stops answering is an error, never a hang.
#pragma once

#include <pulse/pulseaudio.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace sonavel {

struct PulseSink {
  uint32_t index = 0;
  std::string name;
  std::string description;
};

class PulseConnection {
 public:
  // Connects to the server the environment names (PULSE_SERVER or the user's default), without
  // starting one. Returns nullptr and sets `error` when no server answers in time.
  static std::unique_ptr<PulseConnection> Connect(std::string& error, double timeoutSeconds = 2.0);
  ~PulseConnection();
  PulseConnection(const PulseConnection&) = delete;

  // The main loop lock; the callbacks of the loop run with it held.
  class Lock {
   public:
    explicit Lock(PulseConnection& c) : loop_(c.loop_) { pa_threaded_mainloop_lock(loop_); }
    ~Lock() { pa_threaded_mainloop_unlock(loop_); }
    Lock(const Lock&) = delete;

   private:
    pa_threaded_mainloop* loop_;
  };

  pa_context* Context() const { return context_; }
  // With the lock held: lets the loop run until `done` is true or the time is up.
  bool WaitFor(const std::function<bool()>& done, double timeoutSeconds);
  // With the lock held: waits for an operation to finish; false on timeout or cancellation.
  bool WaitOperation(pa_operation* op, double timeoutSeconds);
  bool Alive();

  // Queries (they take the lock themselves).
  bool Sinks(std::vector<PulseSink>& sinks, std::string& error);
  // The server's version word: major in the high byte, minor in the low byte.
  uint32_t ServerVersionWord() const { return versionWord_; }
  // Whether the server has a default output that answers.
  bool DefaultSinkAnswers();

  std::string LastErrorText();

  // The server's change events. `listener` runs on the loop thread with the lock held, for
  // every event whose facility is in `mask`; the connection subscribes to the union of its
  // listeners' masks. Subscribe takes the lock itself and returns an id for Unsubscribe, or 0
  // when the server does not take the subscription in time.
  using EventListener = std::function<void(pa_subscription_event_type_t type, uint32_t index)>;
  int32_t Subscribe(pa_subscription_mask_t mask, EventListener listener);
  void Unsubscribe(int32_t id);

 private:
  PulseConnection() = default;
  static void OnEvent(pa_context* context, pa_subscription_event_type_t type, uint32_t index, void* self);
  // With the lock held.
  pa_operation* SubscribeToListeners();

  struct Listener {
    int32_t id;
    pa_subscription_mask_t mask;
    EventListener listener;
  };
  std::vector<Listener> listeners_;
  int32_t nextListener_ = 1;

  pa_threaded_mainloop* loop_ = nullptr;
  pa_context* context_ = nullptr;
  uint32_t versionWord_ = 0;
};

// "major.minor..." → major << 8 | minor (each limited to a byte).
uint32_t VersionWordFromText(const std::string& version);

}  // namespace sonavel
