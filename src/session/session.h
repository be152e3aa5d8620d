// The running audiometer as one object: the state, the open mixer with its found controls, the
// tone output, the calibration header, the hand-over of a calibration by ear and the test
// procedure, wired to the drivers, the host and the views it is given. The program, the CLI and
// the simulator build it the same way; no window or command wires drivers by hand.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "audio/tone_output.h"
#include "calibration/calibration_file.h"
#include "core/error.h"
#include "core/host.h"
#include "core/regional.h"
#include "session/device_sound.h"
#include "hearingtest/procedure.h"
#include "hearingtest/views.h"
#include "mixer/mixer_discovery.h"
#include "session/devices.h"
#include "model/state.h"
#include "settings/key_store.h"
#include "settings/registry.h"

namespace sonavel {

// What a session is built from. Everything named here must outlive the session.
struct SessionWiring {
  Devices devices;
  Host& host;
  KeyStore& keyStore;  // the settings key: the load and store, the suppressible message
  RegionalFormat regional;
  TestWindowView& testWindow;
  MainWindowView& mainWindow;
};

class Session {
 public:
  explicit Session(const SessionWiring& wiring);
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  AppState State;
  Devices DeviceSet;
  Host& HostRef;
  KeyStore& Keys;
  const RegionalFormat Regional;

  // The chosen mixer device with its found controls; OpenMixerDevice below opens one.
  Mixer MixerAccess;
  ToneOutput Output;
  // The descriptive header of the calibration in use (the calibration information dialog).
  CalibrationHeader CalHeader;

  // Where the file dialogs start: the folder the Dateien page chose, then the folder of the
  // last audiogram opened or saved.
  std::string WorkingDirectory;
  void RememberFolderOf(const std::string& file);

  // The hand-over of a calibration by ear to the calibration information dialog.
  CalibrationTable WorkingCalibration{};
  bool NewCalibrationPending = false;
  std::string NewCalibrationDate;
  std::string NewCalibrationTime;

  TestProcedure& Procedure() { return procedure_; }

  // A test is running: the commands below that would change its devices, its calibration or
  // its audiogram refuse (and change nothing) until it has ended.
  bool TestRunning() const { return State.Run.Active; }

  // Counts the mixer devices and opens device n (a number not below the count opens nothing);
  // failures are shown through the host. True when the device is open. Refused while a test runs.
  bool OpenMixerDevice(uint32_t n);
  // The settings dialog's mixer list: every mixer device opened once in turn (failures shown),
  // each entry its name and driver version. The device open afterwards is the last one.
  std::vector<std::string> MixerDeviceEntries();

  // The settings from the key: the load (a failure shown through the host, the defaults taken),
  // then, for ReadRegistry, the first-start check. A FirstRun value that is missing or not a
  // number throws SonavelError naming it.
  RegistryLoadResult ReadRegistry(SettingsFollowUp& followUp);
  RegistryLoadResult LoadRegistryValues(SettingsFollowUp& followUp);
  // Start-up's settings: ReadRegistry, then the mixer device they choose. A stored number that
  // is no device (any more) is said and opens nothing: the settings window then shows its
  // Hardware page, so that the user picks one. True when that is the case.
  bool LoadSettingsAtStart(SettingsFollowUp& followUp);

  // Start-up: the command line joined from the arguments, the audiogram it names opened (else
  // New), the calibration it names or the default one loaded. Failures are shown through the
  // host and start-up goes on.
  void OpenCommandLine(const std::vector<std::string>& arguments);
  void LoadStartupCalibration();

  // The file commands. Each shows a failure through the host (the system's message box) and
  // returns false; on failure nothing in the state changes. Open, LoadCalibration and New are
  // refused while a test runs.
  bool OpenAudiogram(const std::string& fileName);
  // Writes the text export when SaveAsText(fileName, fileType), else the audiogram file.
  bool SaveAudiogram(const std::string& fileName, int32_t fileType);
  bool LoadCalibration(const std::string& fileName);
  // The New command.
  bool NewAudiogram();

  // OK in the calibration information dialog after a calibration by ear: the header takes the
  // texts typed there, the date and time the wizard finished and the open mixer device's name,
  // entries 1..11 of the working calibration go into use and CalibrationLoaded is set. Refused
  // (false, nothing changed) while a test runs or when no new calibration is pending.
  bool AcceptNewCalibration(const std::string& person, const std::string& headphones,
                            const std::string& comment);

  // The New Test command (the test procedure's NewTest1Click).
  void NewTest();

  // The one way a command's failure reaches the user: `work` runs, and a SonavelError it throws
  // is shown through the host (the error's icon, else `icon`). False when it failed.
  bool Attempt(const std::function<void()>& work, MessageIcon icon = MessageIcon::None);
  void Report(const Failure& failure) { ShowFailure(HostRef, failure); }
  // The reason of the last failed command (the save shows the system's one text for all of them).
  const std::optional<Failure>& LastFailure() const { return lastFailure_; }

 private:
  std::optional<Failure> lastFailure_;
  DeviceTestSound sound_;
  TestProcedure procedure_;
};

}  // namespace sonavel
