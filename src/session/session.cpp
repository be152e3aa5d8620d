#include "session/session.h"

#include "core/command_line.h"
#include "core/error.h"
#include "files/audiogram_file.h"
#include "files/file_naming.h"
#include "files/text_export.h"
#include "settings/suppressible_message.h"

namespace sonavel {

Session::Session(const SessionWiring& w)
    : DeviceSet(w.devices),
      HostRef(w.host),
      Keys(w.keyStore),
      Regional(w.regional),
      MixerAccess(w.devices.mixer, w.host),
      Output(w.devices.waveOut),
      sound_(State, DeviceSet, MixerAccess.Controls, Output, w.testWindow),
      procedure_(State, w.host, sound_, w.testWindow, w.mainWindow, Regional) {
  procedure_.SetSuppressibleMessage([this](const std::string& text, const std::string& caption, MessageIcon icon,
                                           uint32_t buttons, const std::string& valueName) {
    return SuppressibleMessage(HostRef, Keys, text, caption, icon, buttons, valueName);
  });
}

void Session::OpenMixerDevice(uint32_t n) {
  MixerAccess.CountMixerDevices();
  MixerAccess.OpenMixerDevice(n);
}

void Session::OpenCommandLine(const std::vector<std::string>& arguments) {
  State.CommandLine = JoinCommandLine(arguments);
  OpenCommandLineAudiogram(State, HostRef, Regional);
}

void Session::LoadStartupCalibration() { sonavel::LoadStartupCalibration(State, CalHeader, HostRef); }

bool Session::OpenAudiogram(const std::string& fileName) {
  bool opened = false;
  try {
    ReadFile(fileName, State.CurrentAudiogram, State.Personal, opened, HostRef, Regional, State.Settings.Reject1st);
  } catch (const SonavelError& e) {
    HostRef.ShowMessage(e.what());
    return false;
  }
  if (opened) State.ResultsPresent = true;
  return opened;
}

bool Session::SaveAudiogram(const std::string& fileName, int32_t fileType) {
  try {
    if (SaveAsText(fileName, fileType))
      WriteAsciiFile(fileName, State.CurrentAudiogram, State.Personal, Regional);
    else
      WriteFile(fileName, State.CurrentAudiogram, State.Personal, Regional);
  } catch (const SonavelError& e) {
    HostRef.ShowMessage(e.what());
    return false;
  }
  return true;
}

bool Session::LoadCalibration(const std::string& fileName) {
  bool loaded = false;
  try {
    ReadCal(fileName, State.CalibrationData, CalHeader, loaded, HostRef);
  } catch (const SonavelError& e) {
    HostRef.ShowMessage(e.what());
    return false;
  }
  if (loaded) State.CalibrationLoaded = true;
  return loaded;
}

void Session::NewAudiogram() { sonavel::NewAudiogram(State); }

}  // namespace sonavel
