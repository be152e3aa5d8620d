// The host of the command-line companion: the real clock, real sleeps, no event queue, and
// message boxes written as one line each to the error stream (answered with their default).
#pragma once

#include <ostream>

#include "core/host.h"

namespace sonavel::cli {

class ConsoleHost : public Host {
 public:
  explicit ConsoleHost(std::ostream& err) : err_(err) {}

  LocalDateTime Now() override;
  double MonotonicSeconds() override;
  void Sleep(int32_t milliseconds) override;
  void ProcessMessages() override {}
  int32_t MessageBox(const std::string& text, const std::string& caption, MessageIcon icon, uint32_t buttons,
                     int32_t helpContext = 0) override;
  int32_t CheckBoxMessageBox(const std::string& text, const std::string& caption, MessageIcon icon,
                             uint32_t buttons, const std::string& checkBoxText, bool& checked) override;
  void OpenHelp(int32_t) override {}

  int32_t MessagesShown = 0;

 private:
  std::ostream& err_;
};

}  // namespace sonavel::cli
