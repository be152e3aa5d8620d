// A main window on the simulated devices, a virtual clock and a settings key in a temporary
// folder, as the widget tests build it.
#pragma once

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "app/about_window.h"
#include "app/main_window.h"
#include "platform/keyfile/key_file.h"
#include "platform/sim/sim_endpoint_volume.h"
#include "platform/sim/sim_host.h"
#include "platform/sim/sim_joystick.h"
#include "platform/sim/sim_mixer.h"
#include "platform/sim/sim_wave_out.h"

namespace sonavel::apptest {

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

inline std::string Fixture(const std::string& name) { return std::string(SONAVEL_TEST_DATA) + "/" + name; }

struct MainWindowRig {
  explicit MainWindowRig(bool waveDevice = true, const std::string& mixerFixture = DefaultMixerFixture)
      : host(),
        waveOut(host, waveDevice ? std::vector<WaveOutCaps>{{"Sonavel Simulated Output", 0x0100}}
                                 : std::vector<WaveOutCaps>{}),
        mixer(ParseMixerFixture(mixerFixture)),
        joystick(host),
        keys(KeyFileStore::Locations{Dir("config/Brantel/Sonavel.reg"), Dir("etc/Brantel/Sonavel.reg")}) {
    window = std::make_unique<TfrmMain>(
        MainWindowWiring{Devices{waveOut, mixer, endpoint, joystick}, false, host, keys, RegionalDeDe(), &desktop});
  }

  std::string Dir(const std::string& name) const { return (temp.path() + "/").toStdString() + name; }
  bool HostShowed(const std::string& text) const {
    for (const auto& m : host.Messages)
      if (m.text == text) return true;
    return false;
  }

  QTemporaryDir temp;
  SimHost host;
  SimWaveOut waveOut;
  SimMixer mixer;
  SimEndpointVolume endpoint;
  SimJoystick joystick;
  KeyFileStore keys;
  SimDesktopServices desktop;
  std::unique_ptr<TfrmMain> window;
};

}  // namespace sonavel::apptest
