// A simulated game controller: a button mask scripted over the host's clock.
#pragma once

#include <cstdint>
#include <map>

#include "core/host.h"
#include "hearingtest/joystick.h"

namespace sonavel {

class SimJoystick : public Joystick {
 public:
  explicit SimJoystick(Host& host) : host_(host) {}

  bool ReadButtons(uint32_t& buttons) override {
    ++Reads;
    buttons = 0;
    if (!Connected) return false;
    const auto it = script_.upper_bound(host_.MonotonicSeconds() + 1e-9);
    if (it != script_.begin()) buttons = std::prev(it)->second;
    return true;
  }

  // From `seconds` on, the buttons read `mask`.
  void Set(double seconds, uint32_t mask) { script_[seconds] = mask; }
  // Buttons `mask` held from `from` until `to`.
  void Press(double from, double to, uint32_t mask = 1) {
    Set(from, mask);
    Set(to, 0);
  }

  bool Connected = true;
  int64_t Reads = 0;

 private:
  Host& host_;
  std::map<double, uint32_t> script_;
};

}  // namespace sonavel
