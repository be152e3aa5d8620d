// A host on a virtual clock: sleeping advances the clock and returns at once, pumping events runs
// the actions that are due, and message boxes are answered by script. Tests, the simulator and
// the CLI run long operations (a whole hearing test) on it in a fraction of a second.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "core/host.h"

namespace sonavel {

class SimHost : public Host {
 public:
  struct ShownMessage {
    std::string text;
    std::string caption;
    MessageIcon icon = MessageIcon::None;
    uint32_t buttons = 0;
    int32_t helpContext = 0;
    std::string checkBoxText;  // empty for a plain message box
    double atSeconds = 0;
    int32_t result = 0;
  };

  explicit SimHost(LocalDateTime start = {{2026, 12, 10}, 10, 0, 0, 0});

  // Host.
  LocalDateTime Now() override;
  double MonotonicSeconds() override { return seconds_; }
  void Sleep(int32_t milliseconds) override;
  void ProcessMessages() override;
  int32_t MessageBox(const std::string& text, const std::string& caption, MessageIcon icon, uint32_t buttons,
                     int32_t helpContext = 0) override;
  int32_t CheckBoxMessageBox(const std::string& text, const std::string& caption, MessageIcon icon,
                             uint32_t buttons, const std::string& checkBoxText, bool& checked) override;
  void OpenHelp(int32_t context) override { HelpOpened.push_back(context); }
  std::optional<bool> ControlKeyDown() override { return ControlKey; }
  // The CTRL key as the keyboard has it, for tests of the real key path; nothing by default.
  std::optional<bool> ControlKey;

  // The clock.
  double Seconds() const { return seconds_; }
  // Moves the clock on without pumping events (what a busy computation does).
  void Advance(double seconds) { seconds_ += seconds; }

  // Runs `action` at the first event pump at or after `seconds` on the virtual clock.
  void At(double seconds, std::function<void()> action);
  // Runs `action` at every event pump, before the due scheduled actions.
  void OnEveryPump(std::function<void()> action) { pumpActions_.push_back(std::move(action)); }
  size_t PendingActions() const { return scheduled_.size(); }

  // Message boxes: queued answers are used first, then `Answer` when it is set, then the
  // default button (OK, else Yes, else the first button given).
  void QueueAnswer(int32_t result, bool tickCheckBox = false) { answers_.push_back({result, tickCheckBox}); }
  std::function<int32_t(const ShownMessage&)> Answer;
  static int32_t DefaultButton(uint32_t buttons);

  std::vector<ShownMessage> Messages;
  std::vector<int32_t> HelpOpened;
  int64_t PumpCount = 0;

 private:
  struct Scheduled {
    double at;
    uint64_t order;
    std::function<void()> action;
  };
  struct QueuedAnswer {
    int32_t result;
    bool tick;
  };
  int32_t Show(ShownMessage message, bool& tick);

  LocalDateTime start_;
  double seconds_ = 0;
  uint64_t nextOrder_ = 0;
  std::vector<Scheduled> scheduled_;
  std::vector<std::function<void()>> pumpActions_;
  std::deque<QueuedAnswer> answers_;
  bool pumping_ = false;
};

}  // namespace sonavel
