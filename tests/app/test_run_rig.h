// The main window with its test and results windows on the simulated devices and the virtual
// clock, with the full-scale calibration, a simulated listener who presses CTRL through the test
// window's key events, and an operator who works the test window's button.
#pragma once

#include <QKeyEvent>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "app/main_window.h"
#include "app/hearing_test_window.h"
#include "app_test_support.h"
#include "platform/sim/sim_listener.h"
#include "platform/sim/simulation.h"

namespace sonavel::apptest {

struct TestRunRig {
  explicit TestRunRig(const ListenerSettings& listenerSettings = NeverHears())
      : rig(true, FullScaleMixerFixture) {
    TfrmMain& w = *rig.window;
    w.FormCreate({});
    Session& s = w.GetSession();
    s.OpenMixerDevice(0);
    AppState& state = w.State();
    state.CalibrationData = FullScaleCalibration(s.MixerAccess.Controls, false);
    state.CalibrationLoaded = true;
    state.Settings.WaveOutDevice = -1;
    w.show();
    listener = std::make_unique<SimListener>(
        listenerSettings, rig.host, rig.waveOut, rig.mixer, s.MixerAccess, rig.endpoint,
        state.UseEndpointVolume, [this](bool pressed) {
          QKeyEvent key(pressed ? QEvent::KeyPress : QEvent::KeyRelease, Qt::Key_Control,
                        pressed ? Qt::ControlModifier : Qt::NoModifier);
          QCoreApplication::sendEvent(&Window().TestWindow(), &key);
        });
  }

  static ListenerSettings NeverHears() {
    ListenerSettings l;
    l.kind = ListenerKind::Never;
    return l;
  }

  TfrmMain& Window() { return *rig.window; }
  TfrmTest& Test() { return rig.window->TestWindow(); }
  AppState& State() { return rig.window->State(); }
  size_t Presentations() const { return rig.waveOut.Submissions().size(); }
  // At the first pump once `n` presentations have started, `action` runs `delay` seconds after
  // the n-th one's start (during it, for a delay shorter than the tone).
  void DuringPresentation(size_t n, double delay, std::function<void()> action) {
    auto done = std::make_shared<bool>(false);
    rig.host.OnEveryPump([this, n, delay, done, action] {
      if (*done || Presentations() < n) return;
      *done = true;
      rig.host.At(rig.waveOut.Submissions()[n - 1].startSeconds + delay, action);
    });
  }
  void StartListening() { listener->Attach(); }

  MainWindowRig rig;
  std::unique_ptr<SimListener> listener;
};

}  // namespace sonavel::apptest
