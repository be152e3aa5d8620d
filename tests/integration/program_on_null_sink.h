// The desktop program as it starts on a machine with a sound server, here the private one with
// its null sink: the real drivers chosen by the program (libpulse for the tones, the ALSA mixer's
// "pulse" control device, the server's volume as the endpoint volume), a settings key that names
// the null sink and that mixer device, and a calibration that puts every volume at full. Every
// message box is answered (No to the instructions, else OK) and its text kept; the presentations
// the test procedure starts are kept in order.
#pragma once

#include <QMessageBox>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/program.h"
#include "app/qt_host.h"
#include "hearingtest/procedure.h"
#include "platform/keyfile/key_file.h"
#include "platform/sim/simulation.h"
#include "settings/registry.h"

namespace sonavel::test {

struct Presentation {
  int32_t ear = 0, slot = 0;
  double levelHL = 0;
};

// Only 1 kHz and 4 kHz, no trial run and no repeat, tones of `beep` seconds with pauses of
// `pause`, from 50 dB HL up in 5 dB steps: a listener who never answers hears 55 .. 75 dB HL in
// each slot, and the step past the ceiling ends the slot (20 presentations in all).
inline SettingsRecord TwoFrequencyTest(const std::string& beep, const std::string& pause) {
  SettingsRecord s;
  for (int32_t slot = 1; slot <= MeasuredSlotCount; ++slot) FrequencyCheck(s, slot) = false;
  s.Check1000 = s.Check4000 = true;
  s.Trial = s.Retest = s.AutoRetest = false;
  s.BeepTimeEdit = beep;
  s.PauseTimeEdit = pause;
  s.LevelStep = "5";
  s.LevelStart = "50";
  s.TestTimeEdit = "30";
  s.chkDisableSS = false;
  return s;
}

class NullSinkProgram : private RunObserver {
 public:
  // What is not found is said in `Error`, and Start() then does nothing.
  explicit NullSinkProgram(const SettingsRecord& settings) {
    keyPath_ = (dir_.path() + "/Sonavel.reg").toStdString();
    setenv("SONAVEL_REGISTRY", keyPath_.c_str(), 1);
    ProgramOptions options;
    options.Splash = false;
    options.Drivers.audio = "pulse";
    program_ = std::make_unique<Program>(options);
    settings_ = settings;
    // The decimal fields as the user types them: in the program's number format.
    const char separator = Main().GetSession().Regional.DecimalSeparator;
    for (std::string* field : {&settings_.BeepTimeEdit, &settings_.PauseTimeEdit, &settings_.LevelStep})
      std::replace(field->begin(), field->end(), '.', separator);
    settings_.WaveOutDevice = FindWaveDevice();
    settings_.MixerDevice = FindMixerDevice();
    if (!program_->Drivers().useEndpointVolume) Error = "the program found no sound server";
    if (settings_.WaveOutDevice < 0) Error = "the program does not list the null sink";
    if (settings_.MixerDevice < 0) Error = "the ALSA mixer has no \"pulse\" control device";
    program_->Qt()->AnswerHook = [this](QMessageBox& box, QCheckBox*) {
      Boxes.push_back(box.text().toStdString());
      return Boxes.back() == InstructionsQuestionText ? static_cast<int32_t>(ResultNo)
                                                      : static_cast<int32_t>(ResultOk);
    };
  }
  ~NullSinkProgram() override {
    if (started_) Main().GetSession().Procedure().SetObserver(programs_);
  }

  // The key written, the program started, the calibration at full volume with `levelOffset` on
  // every entry (so that the ceiling's presentation need not clip). False when something is
  // missing (see Error).
  bool Start(double levelOffset) {
    if (!Error.empty()) return false;
    if (!InstallKeyFile(keyPath_, InstalledKeyValues(settings_, false))) {
      Error = "the settings key could not be written";
      return false;
    }
    program_->Start({});
    Session& s = Main().GetSession();
    if (!s.MixerAccess.DeviceOpen) {
      Error = "the program did not open the mixer device of its settings";
      return false;
    }
    AppState& state = s.State;
    state.CalibrationData = FullScaleCalibration(s.MixerAccess.Controls, state.UseEndpointVolume);
    for (auto& ear : state.CalibrationData)
      for (auto& entry : ear) entry.LevelOffset = levelOffset;
    state.CalibrationLoaded = true;
    programs_ = s.Procedure().Observer();
    s.Procedure().SetObserver(this);
    started_ = true;
    return true;
  }

  TfrmMain& Main() { return program_->Main(); }
  Program& GetProgram() { return *program_; }

  std::string Error;
  std::vector<std::string> Boxes;
  std::vector<Presentation> Presentations;

 private:
  // Kept and passed on to the program's own observer (the main window watches the run too).
  void RunStarted(const TestProperties& props, bool autoRetest) override {
    if (programs_) programs_->RunStarted(props, autoRetest);
  }
  void SlotStarted(int32_t ear, int32_t slot) override {
    if (programs_) programs_->SlotStarted(ear, slot);
  }
  void PresentationStarted(int32_t ear, int32_t slot, double levelHL) override {
    Presentations.push_back({ear, slot, levelHL});
    if (programs_) programs_->PresentationStarted(ear, slot, levelHL);
  }
  void RunEnded(bool aborted) override {
    if (programs_) programs_->RunEnded(aborted);
  }

  int32_t FindWaveDevice() {
    WaveOut& wave = *program_->Drivers().waveOut;
    const char* sink = std::getenv("SONAVEL_TEST_SINK_DESCRIPTION");
    const std::string wanted = sink ? sink : "Sonavel-Testausgang";
    for (int32_t d = 0; d < wave.GetNumDevs(); ++d) {
      WaveOutCaps caps;
      if (wave.GetDevCaps(d, caps) == WaveOk && caps.Name == wanted) return d;
    }
    return -1;
  }

  int32_t FindMixerDevice() {
    MixerDriver& mixer = *program_->Drivers().mixer;
    for (uint32_t d = 0; d < mixer.GetNumDevs(); ++d) {
      MixerCaps caps;
      if (mixer.GetDevCaps(d, caps) == 0 && caps.Name == "PulseAudio") return static_cast<int32_t>(d);
    }
    return -1;
  }

  QTemporaryDir dir_;
  std::string keyPath_;
  SettingsRecord settings_;
  std::unique_ptr<Program> program_;
  RunObserver* programs_ = nullptr;
  bool started_ = false;
};

}  // namespace sonavel::test
