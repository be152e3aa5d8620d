// The host seam: everything the core needs from the environment it runs in while it works on
// the user-interface thread: the local clock, sleeping, pumping pending events, modal message
// boxes and help. The Qt program and the tests (with a virtual clock) implement it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/date_time.h"

namespace sonavel {

enum class MessageIcon { None, Information, Warning, Error, Confirmation };

// Buttons of a message box, combinable.
enum MessageButtons : uint32_t {
  ButtonOk = 1u << 0,
  ButtonCancel = 1u << 1,
  ButtonYes = 1u << 2,
  ButtonNo = 1u << 3,
};

// Modal results, with the numbers callers compare against (6 for Yes).
enum ModalResult : int32_t {
  ResultNone = 0,
  ResultOk = 1,
  ResultCancel = 2,
  ResultAbort = 3,
  ResultRetry = 4,
  ResultIgnore = 5,
  ResultYes = 6,
  ResultNo = 7,
};

class Host {
 public:
  virtual ~Host() = default;

  virtual LocalDateTime Now() = 0;
  // Seconds on a monotonic clock; only differences matter.
  virtual double MonotonicSeconds() = 0;
  virtual void Sleep(int32_t milliseconds) = 0;
  // Runs the events that are pending (clicks, key events, repaints, scheduled actions).
  virtual void ProcessMessages() = 0;

  virtual int32_t MessageBox(const std::string& text, const std::string& caption, MessageIcon icon,
                             uint32_t buttons, int32_t helpContext = 0) = 0;
  // A message with only an OK button and no caption of its own.
  void ShowMessage(const std::string& text) { MessageBox(text, "", MessageIcon::None, ButtonOk); }

  // The message dialog that the user can silence for good: a message box with a check box
  // below the text. `checked` tells on return whether the check box was ticked.
  virtual int32_t CheckBoxMessageBox(const std::string& text, const std::string& caption, MessageIcon icon,
                                     uint32_t buttons, const std::string& checkBoxText, bool& checked) = 0;

  // Opens the help topic with this context number.
  virtual void OpenHelp(int32_t context) = 0;

  // Whether the CTRL key is down now, as the keyboard has it, when the platform can tell; nothing
  // when only the key events of the program's windows tell (a press made while a message box has
  // the keyboard reaches no window of the test, and a held key sends no further events).
  virtual std::optional<bool> ControlKeyDown() { return std::nullopt; }
};

}  // namespace sonavel
