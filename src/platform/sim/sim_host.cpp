#include "platform/sim/sim_host.h"

#include <algorithm>
#include <cmath>

namespace sonavel {

SimHost::SimHost(LocalDateTime start) : start_(start) {}

LocalDateTime SimHost::Now() {
  const double startSeconds =
      start_.Hour * 3600.0 + start_.Minute * 60.0 + start_.Second + start_.Millisecond / 1000.0;
  const double total = startSeconds + seconds_;
  const auto wholeDays = static_cast<int64_t>(std::floor(total / 86400.0));
  double rest = total - static_cast<double>(wholeDays) * 86400.0;
  LocalDateTime t;
  t.Day = DateFromSerial(DaySerial(start_.Day) + wholeDays);
  const auto ms = static_cast<int64_t>(std::floor(rest * 1000.0 + 1e-6));
  t.Hour = static_cast<int32_t>(ms / 3'600'000);
  t.Minute = static_cast<int32_t>(ms / 60'000 % 60);
  t.Second = static_cast<int32_t>(ms / 1000 % 60);
  t.Millisecond = static_cast<int32_t>(ms % 1000);
  return t;
}

void SimHost::Sleep(int32_t milliseconds) {
  if (milliseconds > 0) seconds_ += milliseconds / 1000.0;
}

void SimHost::At(double seconds, std::function<void()> action) {
  scheduled_.push_back({seconds, nextOrder_++, std::move(action)});
}

void SimHost::ProcessMessages() {
  ++PumpCount;
  // An action that pumps itself (a message box inside a handler) must not re-enter the queue.
  if (pumping_) return;
  pumping_ = true;
  for (size_t i = 0; i < pumpActions_.size(); ++i) pumpActions_[i]();
  while (true) {
    auto due =
        std::min_element(scheduled_.begin(), scheduled_.end(), [](const Scheduled& a, const Scheduled& b) {
          return a.at < b.at || (a.at == b.at && a.order < b.order);
        });
    if (due == scheduled_.end() || due->at > seconds_ + 1e-9) break;
    auto action = std::move(due->action);
    scheduled_.erase(due);
    action();
  }
  pumping_ = false;
}

int32_t SimHost::DefaultButton(uint32_t buttons) {
  if (buttons & ButtonOk) return ResultOk;
  if (buttons & ButtonYes) return ResultYes;
  if (buttons & ButtonNo) return ResultNo;
  if (buttons & ButtonCancel) return ResultCancel;
  return ResultOk;
}

int32_t SimHost::Show(ShownMessage message, bool& tick) {
  message.atSeconds = seconds_;
  tick = false;
  if (!answers_.empty()) {
    message.result = answers_.front().result;
    tick = answers_.front().tick;
    answers_.pop_front();
  } else if (Answer) {
    message.result = Answer(message);
  } else {
    message.result = DefaultButton(message.buttons);
  }
  Messages.push_back(message);
  return message.result;
}

int32_t SimHost::MessageBox(const std::string& text, const std::string& caption, MessageIcon icon,
                            uint32_t buttons, int32_t helpContext) {
  bool tick = false;
  return Show({text, caption, icon, buttons, helpContext, "", 0, 0}, tick);
}

int32_t SimHost::CheckBoxMessageBox(const std::string& text, const std::string& caption, MessageIcon icon,
                                    uint32_t buttons, const std::string& checkBoxText, bool& checked) {
  return Show({text, caption, icon, buttons, 0, checkBoxText, 0, 0}, checked);
}

}  // namespace sonavel
