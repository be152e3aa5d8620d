// The demonstration: the program on the simulated sound card, mixer and response button, with
// the full-scale calibration loaded and a simulated listener who answers through the real key
// path, in real time, so that an operator can watch a whole test in the real windows (training,
// screenshots).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/program.h"
#include "app/qt_host.h"
#include "platform/sim/sim_host.h"
#include "platform/sim/sim_listener.h"

namespace sonavel {

// The listener of the demonstration, from the options that follow --demo (those of
// sonavel-cli simulate: --listener, --left, --right, --slope, --false-alarm, --lapse, --seed).
// `consumed` tells how many arguments were options. Throws SonavelError for bad input.
ListenerSettings ParseDemoOptions(const std::vector<std::string>& args, size_t& consumed);
extern const char* const DemoOptionsHelp;

// The Qt host, with the listener listening at every event pump.
class DemoHost : public Host {
 public:
  LocalDateTime Now() override { return qt_.Now(); }
  double MonotonicSeconds() override { return qt_.MonotonicSeconds(); }
  void Sleep(int32_t milliseconds) override { qt_.Sleep(milliseconds); }
  void ProcessMessages() override;
  int32_t MessageBox(const std::string& text, const std::string& caption, MessageIcon icon, uint32_t buttons,
                     int32_t helpContext = 0) override {
    return qt_.MessageBox(text, caption, icon, buttons, helpContext);
  }
  int32_t CheckBoxMessageBox(const std::string& text, const std::string& caption, MessageIcon icon,
                             uint32_t buttons, const std::string& checkBoxText, bool& checked) override {
    return qt_.CheckBoxMessageBox(text, caption, icon, buttons, checkBoxText, checked);
  }
  void OpenHelp(int32_t context) override { qt_.OpenHelp(context); }
  // The simulated listener presses CTRL through key events only; the real keyboard's state
  // would let go of his every press.
  std::optional<bool> ControlKeyDown() override { return std::nullopt; }

  QtHost& Qt() { return qt_; }
  SimListener* Listener = nullptr;

 private:
  QtHost qt_;
};

class Demonstration {
 public:
  Demonstration(const ListenerSettings& listener, bool splash);
  ~Demonstration();

  // Starts the program as usual, then puts the simulated devices and the calibration in place.
  void Start(const std::vector<std::string>& arguments);
  Program& GetProgram() { return *program_; }

 private:
  // The listener's clock is the real one: the simulated devices run on the Qt host's clock.
  class RealClock : public SimHost {
   public:
    explicit RealClock(Host& real) : real_(real) {}
    double MonotonicSeconds() override { return real_.MonotonicSeconds(); }

   private:
    Host& real_;
  };

  ListenerSettings listenerSettings_;
  std::string mixerFixturePath_;
  DemoHost host_;
  RealClock clock_{host_};
  std::unique_ptr<Program> program_;
  std::unique_ptr<SimListener> listener_;
};

}  // namespace sonavel
