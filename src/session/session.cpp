#include "session/session.h"

#include <filesystem>

#include "core/command_line.h"
#include "core/error.h"
#include "files/audiogram_file.h"
#include "files/file_naming.h"
#include "files/text_export.h"
#include "settings/settings_rules.h"
#include "settings/suppressible_message.h"

namespace sonavel {

Session::Session(const SessionWiring& w)
    : DeviceSet(w.devices),
      HostRef(w.host),
      Keys(w.keyStore),
      Regional(w.regional),
      MixerAccess(w.devices.mixer),
      Output(w.devices.waveOut),
      sound_(State, DeviceSet, MixerAccess.Controls, Output, w.testWindow),
      procedure_(State, w.host, sound_, w.testWindow, w.mainWindow, Regional) {
  procedure_.SetOutputWatch(w.devices.outputWatch);
  procedure_.SetSuppressibleMessage([this](const std::string& text, const std::string& caption,
                                           MessageIcon icon, uint32_t buttons, const std::string& valueName) {
    return SuppressibleMessage(HostRef, Keys, text, caption, icon, buttons, valueName);
  });
}

bool Session::OpenMixerDevice(uint32_t n) {
  // The run's controls must stay the ones it prepared.
  if (TestRunning()) return false;
  MixerAccess.CountMixerDevices();
  ShowMixerFailures(HostRef, MixerAccess.OpenMixerDevice(n));
  return MixerAccess.DeviceOpen;
}

std::vector<std::string> Session::MixerDeviceEntries() {
  std::vector<std::string> entries;
  MixerAccess.CountMixerDevices();
  for (uint32_t n = 0; n < MixerAccess.MixerDeviceCount; ++n) {
    OpenMixerDevice(n);
    entries.push_back(MixerAccess.Caps.Name + " Driver Version " + MixerAccess.Caps.Version);
  }
  return entries;
}

bool Session::LoadSettingsAtStart(SettingsFollowUp& followUp) {
  const RegistryLoadResult loaded = ReadRegistry(followUp);
  MixerAccess.CountMixerDevices();
  if (MixerDeviceGone(loaded.MixerDeviceNumber, MixerAccess.MixerDeviceCount)) {
    HostRef.ShowMessage(MixerDeviceGoneText);
    return true;
  }
  OpenMixerDevice(static_cast<uint32_t>(loaded.MixerDeviceNumber));
  return false;
}

RegistryLoadResult Session::ReadRegistry(SettingsFollowUp& followUp) {
  return sonavel::ReadRegistry(Keys, State.Settings, followUp, HostRef);
}

RegistryLoadResult Session::LoadRegistryValues(SettingsFollowUp& followUp) {
  RegistryLoadResult result = sonavel::LoadRegistryValues(Keys, State.Settings, followUp);
  if (!result.Succeeded) HostRef.ShowMessage(RegistryReadErrorText);
  return result;
}

void Session::OpenCommandLine(const std::vector<std::string>& arguments) {
  State.CommandLine = JoinCommandLine(arguments);
  if (const auto failure = OpenCommandLineAudiogram(State, Regional, HostRef.Now().Day.Year))
    HostRef.ShowMessage(*failure);
}

void Session::LoadStartupCalibration() {
  if (const auto failure = sonavel::LoadStartupCalibration(State, CalHeader)) HostRef.ShowMessage(*failure);
}

bool Session::OpenAudiogram(const std::string& fileName) {
  // A run writes into the audiogram it started with.
  if (TestRunning()) return false;
  return Attempt([&] { ReadFile(fileName, State, Regional, HostRef.Now().Day.Year); });
}

bool Session::SaveAudiogram(const std::string& fileName, int32_t fileType) {
  try {
    if (SaveAsText(fileName, fileType))
      WriteAsciiFile(fileName, State.CurrentAudiogram, State.Personal, Regional);
    else
      WriteFile(fileName, State.CurrentAudiogram, State.Personal, Regional);
  } catch (const std::exception& e) {
    // One message for every failure of the command, whatever it was, and below it the reason;
    // the previous file stays whole because the writers replace it only once the new one is
    // complete.
    lastFailure_ = Failure{std::string(SaveErrorText) + "\n" + e.what(), MessageIcon::None};
    Report(*lastFailure_);
    return false;
  }
  return true;
}

bool Session::Attempt(const std::function<void()>& work, MessageIcon icon) {
  std::optional<Failure> failure = FailureOf(work);
  if (!failure) return true;
  if (failure->Icon == MessageIcon::None) failure->Icon = icon;
  lastFailure_ = failure;
  Report(*failure);
  return false;
}

bool Session::LoadCalibration(const std::string& fileName) {
  // One audiogram is measured with one calibration.
  if (TestRunning()) return false;
  return Attempt([&] { ReadCal(fileName, State, CalHeader); });
}

bool Session::NewAudiogram() {
  if (TestRunning()) return false;
  sonavel::NewAudiogram(State);
  return true;
}

bool Session::AcceptNewCalibration(const std::string& person, const std::string& headphones,
                                   const std::string& comment) {
  if (TestRunning() || !NewCalibrationPending) return false;
  CalHeader.CalibrationDate = NewCalibrationDate;
  CalHeader.CalibrationTime = NewCalibrationTime;
  CalHeader.Person = person;
  CalHeader.Headphones = headphones;
  // The calibration was made on the open mixer device.
  CalHeader.Soundcard = MixerAccess.Caps.Name;
  CalHeader.Comment = comment;
  for (int32_t e = 0; e < EarCount; ++e)
    for (int32_t i = 1; i <= MeasuredSlotCount; ++i) State.CalibrationData[e][i] = WorkingCalibration[e][i];
  State.CalibrationLoaded = true;
  NewCalibrationPending = false;
  return true;
}

void Session::RememberFolderOf(const std::string& file) {
  const std::filesystem::path folder = std::filesystem::path(file).parent_path();
  if (!folder.empty()) WorkingDirectory = folder.string();
}

void Session::NewTest() { procedure_.NewTest1Click(); }

}  // namespace sonavel
