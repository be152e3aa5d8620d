// What the test procedure drives besides the sound: the real-time test window, the main window
// (its chart and its enabled state) and an optional observer of the run's progress.
#pragma once

#include <cstdint>
#include <string>

#include "core/canvas.h"
#include "model/audiogram.h"
#include "hearingtest/response_button.h"

namespace sonavel {

class TestWindowView : public ResponseLight {
 public:
  virtual ~TestWindowView() = default;
  // Shows the window (again, after the user closed it) on top of the main window.
  virtual void Show() = 0;
  virtual void Hide() = 0;
  virtual bool Visible() const = 0;
  virtual void SetTitle(const std::string& title) = 0;
  virtual void SetNextCaption(const std::string& caption) = 0;
  // The graph's canvas, for the live trace.
  virtual Canvas& Graph() = 0;
  // Asks for a repaint of the whole window (the graph repaints from the trace history).
  virtual void Repaint() = 0;
};

class MainWindowView {
 public:
  virtual ~MainWindowView() = default;
  // Repaints the audiogram chart and the threshold row from the current audiogram.
  virtual void RepaintAudiogram() = 0;
  virtual void SetEnabled(bool enabled) = 0;
};

// Progress of a run, for the simulator's operator and for statistics; every call is optional.
class RunObserver {
 public:
  virtual ~RunObserver() = default;
  virtual void RunStarted(const TestProperties& /*props*/, bool /*autoRetest*/) {}
  virtual void SlotStarted(int32_t /*ear*/, int32_t /*frequencySlot*/) {}
  // Right after the presentation's buffer went to the device.
  virtual void PresentationStarted(int32_t /*ear*/, int32_t /*frequencySlot*/, double /*levelHL*/) {}
  virtual void RunEnded(bool /*aborted*/) {}
};

}  // namespace sonavel
