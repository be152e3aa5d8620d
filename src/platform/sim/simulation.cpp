#include "platform/sim/simulation.h"

#include "core/error.h"
#include "hearingtest/response_button.h"
#include "platform/sim/sim_endpoint_volume.h"
#include "platform/sim/sim_host.h"
#include "platform/sim/sim_joystick.h"
#include "platform/sim/sim_mixer.h"
#include "platform/sim/sim_views.h"
#include "platform/sim/sim_wave_out.h"
#include "session/session.h"

namespace sonavel {

const std::string FullScaleMixerFixture = SimulatedCardFixture(
    {"A simulated sound card whose master and wave volumes reach full scale in whole steps.",
     "Sonavel Full-Scale Mixer", 255, 65535, 255, 65535, 255, false});

CalibrationTable FullScaleCalibration(const MixerControls& controls, bool useEndpointVolume) {
  CalibrationTable table{};
  for (auto& ear : table)
    for (int32_t s = 1; s <= MeasuredSlotCount; ++s) {
      ear[s].WaveLevel = static_cast<int32_t>(controls.WaveVolume.Steps);
      ear[s].MasterLevel = useEndpointVolume ? 1000 : static_cast<int32_t>(controls.MasterVolume.Steps);
      ear[s].LevelOffset = 0;
    }
  return table;
}

namespace {

// The operator: ends the trial run during its N-th presentation, ends the retest loop during the
// first presentation of pass N + 1, and presses the button at a given time.
class SimOperator : public RunObserver {
 public:
  SimOperator(SimHost& host, SimTestWindow& window, const SimulationSetup& setup)
      : host_(host), window_(window), setup_(setup) {}

  void RunStarted(const TestProperties&, bool autoRetest) override {
    if (autoRetest) ++passes_;
    stopFirstTone_ = autoRetest && passes_ == setup_.maxPasses + 1;
  }
  void SlotStarted(int32_t, int32_t slot) override {
    if (slot == TrialSlot) trialTones_ = 0;
  }
  void PresentationStarted(int32_t, int32_t slot, double) override {
    ++Presentations;
    const bool endTrial = slot == TrialSlot && ++trialTones_ == setup_.trialPresentations;
    if (endTrial || stopFirstTone_) {
      stopFirstTone_ = false;
      PressSoon();
    }
  }

  int64_t Presentations = 0;

 private:
  // During the presentation: the press counts at its end.
  void PressSoon() {
    host_.At(host_.Seconds() + 0.1, [this] { window_.NextClick(); });
  }

  SimHost& host_;
  SimTestWindow& window_;
  const SimulationSetup& setup_;
  int32_t passes_ = 0;
  int32_t trialTones_ = 0;
  bool stopFirstTone_ = false;
};

constexpr int32_t VirtualKeyControl = 0x11;

}  // namespace

SimulationResult RunSimulation(const SimulationSetup& setup) {
  SimHost host(setup.start);
  SimWaveOut wave(host);
  wave.RetainedBuffers = 2;
  SimMixer mixerDriver(ParseMixerFixture(setup.mixerFixture));
  SimEndpointVolume endpoint;
  SimJoystick joystick(host);
  SimTestWindow testWindow;
  SimMainWindow mainWindow;
  AbsentKeyStore noKey;
  Session session({{wave, mixerDriver, endpoint, joystick},
                   host,
                   setup.keyStore ? *setup.keyStore : noKey,
                   setup.regional,
                   testWindow,
                   mainWindow});
  AppState& state = session.State;
  testWindow.Bind(state);
  state.Settings = setup.settings;
  state.UseEndpointVolume = setup.useEndpointVolume;

  session.OpenMixerDevice(state.Settings.MixerDevice < 0 ? 0u
                                                         : static_cast<uint32_t>(state.Settings.MixerDevice));
  if (setup.calibrateByEar) {
    BioCalWizard wizard({state, session.MixerAccess.Controls, endpoint, session.Output, wave, host,
                         session.Regional},
                        {session.WorkingCalibration, session.NewCalibrationPending, session.NewCalibrationDate,
                         session.NewCalibrationTime, session.CalHeader});
    SimCalibrator calibrator(*setup.calibrateByEar, setup.listener, host, wave, mixerDriver, session.MixerAccess,
                             endpoint, state.UseEndpointVolume);
    if (!calibrator.Calibrate(wizard))
      throw SonavelError("the calibration by ear could not be finished: " +
                         (host.Messages.empty() ? std::string("the wizard stopped") : host.Messages.back().text));
    // OK in the calibration information dialog.
    session.AcceptNewCalibration("Simulated calibrator", "", session.CalHeader.Comment);
  } else {
    state.CalibrationData = setup.calibration
                                ? *setup.calibration
                                : FullScaleCalibration(session.MixerAccess.Controls, setup.useEndpointVolume);
    state.CalibrationLoaded = true;
  }

  SimOperator op(host, testWindow, setup);
  session.Procedure().SetObserver(&op);

  // The listener works the response source the settings choose.
  const bool joystickSource = ResponseIsJoystick(state.Settings);
  SimListener listener(setup.listener, host, wave, mixerDriver, session.MixerAccess, endpoint,
                       state.UseEndpointVolume, [&](bool pressed) {
                         if (joystickSource)
                           joystick.Set(host.Seconds(), pressed ? 1u : 0u);
                         else if (pressed)
                           FormKeyDown(state.Run.ButtonPressed, VirtualKeyControl, true);
                         else
                           FormKeyUp(state.Run.ButtonPressed, VirtualKeyControl);
                       });
  listener.Attach();
  if (setup.abortAt) host.At(*setup.abortAt, [&] { testWindow.NextClick(); });

  session.NewTest();

  SimulationResult result;
  result.state = state;
  for (const auto& m : host.Messages) result.messages.push_back(m.text);
  result.presentations = op.Presentations;
  result.virtualSeconds = host.Seconds();
  result.aborted = state.AbortRequested;
  return result;
}

}  // namespace sonavel
