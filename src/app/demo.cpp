#include "app/demo.h"

#include <QCoreApplication>
#include <QDir>
#include <QKeyEvent>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "app/help_window.h"
#include "app/hearing_test_window.h"
#include "core/error.h"
#include "platform/sim/sim_endpoint_volume.h"
#include "platform/sim/sim_joystick.h"
#include "platform/sim/sim_mixer.h"
#include "platform/sim/sim_wave_out.h"
#include "platform/sim/simulation.h"
#include "model/settings.h"

namespace sonavel {

const char* const DemoOptionsHelp =
    "sonavel --demo [--listener never|always|thresholds] [--left T1,...,T11] [--right T1,...,T11]\n"
    "               [--slope DB] [--false-alarm P] [--lapse P] [--seed N] [FILE]\n";

namespace {

double Number(const std::string& option, const std::string& text) {
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  if (text.empty() || end != text.c_str() + text.size() || !std::isfinite(v))
    throw SonavelError("--demo: " + option + " erwartet eine Zahl, nicht \"" + text + "\"");
  return v;
}

std::array<double, 11> Thresholds(const std::string& option, const std::string& text) {
  std::array<double, 11> out{};
  std::stringstream ss(text);
  std::string item;
  size_t n = 0;
  while (std::getline(ss, item, ',')) {
    if (n == 11) break;
    out[n++] = Number(option, item);
  }
  if (n != 11 || ss.rdbuf()->in_avail() > 0)
    throw SonavelError("--demo: " + option + " erwartet 11 Hörschwellen, durch Kommas getrennt");
  return out;
}

double Probability(const std::string& option, const std::string& text) {
  const double p = Number(option, text);
  if (p < 0 || p > 1) throw SonavelError("--demo: " + option + " muss zwischen 0 und 1 liegen");
  return p;
}

}  // namespace

ListenerSettings ParseDemoOptions(const std::vector<std::string>& args, size_t& consumed) {
  ListenerSettings l;
  for (auto& ear : l.thresholds) ear.fill(10.0);
  size_t i = 0;
  while (i < args.size() && args[i].rfind("--", 0) == 0) {
    const std::string& option = args[i];
    if (i + 1 >= args.size()) throw SonavelError("--demo: " + option + " braucht einen Wert");
    const std::string& value = args[i + 1];
    if (option == "--listener") {
      if (value == "never")
        l.kind = ListenerKind::Never;
      else if (value == "always")
        l.kind = ListenerKind::Always;
      else if (value == "thresholds")
        l.kind = ListenerKind::Thresholds;
      else
        throw SonavelError("--demo: --listener muss never, always oder thresholds sein");
    } else if (option == "--left") {
      l.thresholds[0] = Thresholds(option, value);
    } else if (option == "--right") {
      l.thresholds[1] = Thresholds(option, value);
    } else if (option == "--slope") {
      const double s = Number(option, value);
      if (!(s > 0)) throw SonavelError("--demo: --slope muss größer als 0 sein");
      l.slope = s;
    } else if (option == "--false-alarm") {
      l.falseAlarm = Probability(option, value);
    } else if (option == "--lapse") {
      l.lapse = Probability(option, value);
    } else if (option == "--seed") {
      const double s = Number(option, value);
      if (s < 0 || s != std::floor(s)) throw SonavelError("--demo: --seed erwartet eine ganze Zahl");
      l.seed = static_cast<uint64_t>(s);
    } else {
      throw SonavelError("--demo: unbekannte Option " + option);
    }
    i += 2;
  }
  if (l.falseAlarm + l.lapse > 1) throw SonavelError("--demo: --false-alarm und --lapse ergeben mehr als 1");
  consumed = i;
  return l;
}

void DemoHost::ProcessMessages() {
  if (Listener) Listener->Poll();
  qt_.ProcessMessages();
}

Demonstration::Demonstration(const ListenerSettings& listener, bool splash) : listenerSettings_(listener) {
  // The simulated mixer is the one whose volumes reach full scale in whole steps.
  mixerFixturePath_ =
      QDir::temp()
          .filePath(QStringLiteral("sonavel-demo-mixer-%1.txt").arg(QCoreApplication::applicationPid()))
          .toStdString();
  {
    std::ofstream out(mixerFixturePath_, std::ios::binary | std::ios::trunc);
    out << FullScaleMixerFixture;
    if (!out)
      throw SonavelError("Die Demonstration kann ihre Datei " + mixerFixturePath_ + " nicht schreiben.");
  }
  ProgramOptions options;
  options.Splash = splash;
  options.Drivers.audio = "sim";
  options.Drivers.mixerFixture = mixerFixturePath_;
  program_ = std::make_unique<Program>(options, &host_);
  std::remove(mixerFixturePath_.c_str());
  TfrmMain& main = program_->Main();
  host_.Qt().SetDialogParent(&main);
  host_.Qt().HelpHandler = [this](int32_t context) { program_->Main().HelpWindow().ShowContext(context); };
}

Demonstration::~Demonstration() {
  host_.Listener = nullptr;
  listener_.reset();
}

void Demonstration::Start(const std::vector<std::string>& arguments) {
  program_->Start(arguments);
  TfrmMain& main = program_->Main();
  Session& session = main.GetSession();
  AppState& state = session.State;

  // The simulated devices stand in for whatever the settings name.
  state.Settings.WaveOutDevice = -1;
  state.Settings.MixerDevice = 0;
  session.OpenMixerDevice(0);
  state.UseEndpointVolume = false;
  state.CalibrationData = FullScaleCalibration(session.MixerAccess.Controls, false);
  state.CalibrationLoaded = true;
  main.SetCaptionNote(QStringLiteral(" - Demonstration mit simulierter Soundkarte und Testperson"));
  main.UpdateMenus();

  PlatformDrivers& d = program_->Drivers();
  auto& wave = dynamic_cast<SimWaveOut&>(*d.waveOut);
  auto& mixer = dynamic_cast<SimMixer&>(*d.mixer);
  auto& endpoint = dynamic_cast<SimEndpointVolume&>(*d.endpointVolume);
  auto& joystick = dynamic_cast<SimJoystick&>(*d.joystick);
  TfrmTest& testWindow = main.TestWindow();
  listener_ = std::make_unique<SimListener>(
      listenerSettings_, clock_, wave, mixer, session.MixerAccess, endpoint, state.UseEndpointVolume,
      [this, &state, &joystick, &testWindow](bool pressed) {
        if (ResponseIsJoystick(state.Settings)) {
          joystick.Set(host_.MonotonicSeconds(), pressed ? 1u : 0u);
          return;
        }
        // The CTRL key, as the keyboard would send it to the test window.
        QKeyEvent key(pressed ? QEvent::KeyPress : QEvent::KeyRelease, Qt::Key_Control,
                      pressed ? Qt::ControlModifier : Qt::NoModifier);
        QCoreApplication::sendEvent(&testWindow, &key);
      });
  host_.Listener = listener_.get();
}

}  // namespace sonavel
