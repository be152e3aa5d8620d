#include "cli/console_host.h"

#include <chrono>
#include <ctime>
#include <thread>

namespace sonavel::cli {

namespace {
int32_t DefaultAnswer(uint32_t buttons) {
  if (buttons & ButtonOk) return ResultOk;
  if (buttons & ButtonYes) return ResultYes;
  if (buttons & ButtonNo) return ResultNo;
  return ResultCancel;
}
}  // namespace

LocalDateTime ConsoleHost::Now() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t t = std::chrono::system_clock::to_time_t(now);
  std::tm tm{};
  localtime_r(&t, &tm);
  const auto ms =
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  return {{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday},
          tm.tm_hour,
          tm.tm_min,
          tm.tm_sec,
          static_cast<int32_t>(ms)};
}

double ConsoleHost::MonotonicSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void ConsoleHost::Sleep(int32_t milliseconds) {
  if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

int32_t ConsoleHost::MessageBox(const std::string& text, const std::string& caption, MessageIcon,
                                uint32_t buttons, int32_t) {
  ++MessagesShown;
  err_ << (caption.empty() ? "" : caption + ": ") << text << "\n";
  return DefaultAnswer(buttons);
}

int32_t ConsoleHost::CheckBoxMessageBox(const std::string& text, const std::string& caption, MessageIcon icon,
                                        uint32_t buttons, const std::string&, bool& checked) {
  checked = false;
  return MessageBox(text, caption, icon, buttons);
}

}  // namespace sonavel::cli
