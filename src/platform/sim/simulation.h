// A complete hearing test on the virtual clock: the New Test command (with its automatic retest)
// run with the simulated devices, a simulated listener and a simulated operator who answers every
// message box with its default button and presses the test window's button when the run needs it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/calibration_data.h"
#include "core/regional.h"
#include "mixer/mixer_discovery.h"
#include "platform/sim/sim_calibrator.h"
#include "platform/sim/sim_listener.h"
#include "model/state.h"
#include "settings/key_store.h"

namespace sonavel {

// A sound card whose master and wave controls reach full scale in whole steps (255 steps of 257),
// so that a calibration at their full step counts makes the level chain exact.
extern const std::string FullScaleMixerFixture;

// The calibration that makes the chain exact on `controls`: WaveLevel and MasterLevel at the
// controls' step counts (1000 for the endpoint volume), LevelOffset 0, for every entry 1..11.
CalibrationTable FullScaleCalibration(const MixerControls& controls, bool useEndpointVolume);

struct SimulationSetup {
  SettingsRecord settings;
  std::optional<CalibrationTable> calibration;  // else the full-scale calibration
  // Before the test, a calibration by ear with these thresholds of the calibrating person,
  // through the wizard's rules on the simulated card; it goes into use as the wizard's OK puts
  // it (instead of `calibration`).
  std::optional<CalibratorThresholds> calibrateByEar;
  std::string mixerFixture = FullScaleMixerFixture;
  bool useEndpointVolume = false;
  ListenerSettings listener;
  int32_t trialPresentations = 10;  // the operator ends the trial run during this presentation
  int32_t maxPasses = 3;            // ... and the retest loop during the first tone of pass N + 1
  std::optional<double> abortAt;    // ... or presses the button at this virtual time
  LocalDateTime start{{2026, 12, 10}, 10, 0, 0, 0};
  // The settings key that the instructions question consults and marks; none: no key exists,
  // so the question is asked and a tick cannot be kept.
  KeyStore* keyStore = nullptr;
  RegionalFormat regional = RegionalDeDe();
};

struct SimulationResult {
  AppState state;                     // as the run left it (CalibrationData: the one in use)
  std::vector<std::string> messages;  // in the order shown
  int64_t presentations = 0;
  double virtualSeconds = 0;
  bool aborted = false;
};

// Throws SonavelError for a malformed mixer fixture, and for a calibration by ear that could not
// be finished (a threshold the wizard refuses).
SimulationResult RunSimulation(const SimulationSetup& setup);

}  // namespace sonavel
