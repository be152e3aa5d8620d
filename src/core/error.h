// The one way the core reports what went wrong: a `Failure` (the text the user sees and the icon
// of its box), thrown as `SonavelError` or returned where a caller goes on. Readers and commands
// throw; the session's `Attempt` (or a host's `ShowFailure`) shows it; windows do not catch.
#pragma once

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

#include "core/host.h"

namespace sonavel {

struct Failure {
  std::string Text;
  MessageIcon Icon = MessageIcon::None;

  friend bool operator==(const Failure&, const Failure&) = default;
};

class SonavelError : public std::runtime_error {
 public:
  explicit SonavelError(const std::string& message, MessageIcon icon = MessageIcon::None)
      : std::runtime_error(message), icon_(icon) {}
  Failure AsFailure() const { return {what(), icon_}; }

 private:
  MessageIcon icon_;
};

// Runs `work`; the failure it threw, or nothing when it succeeded. Other exceptions pass.
inline std::optional<Failure> FailureOf(const std::function<void()>& work) {
  try {
    work();
  } catch (const SonavelError& e) {
    return e.AsFailure();
  }
  return std::nullopt;
}

// Shows a failure as the system's message box: its text, its icon, an OK button.
inline void ShowFailure(Host& host, const Failure& failure) {
  host.MessageBox(failure.Text, "", failure.Icon, ButtonOk);
}

}  // namespace sonavel
