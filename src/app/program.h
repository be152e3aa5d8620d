// The desktop program put together: the drivers, the settings key, the host and the main window
// with its session, started in the program's order.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/qt_host.h"
#include "platform/drivers.h"
#include "platform/keyfile/key_file.h"

namespace sonavel {

// An installed desktop program has no installer that could make the key for this user: a start
// that finds it at neither path makes it at the first path as the installation would
// (FirstRun = 1), so that the settings can be stored and the first-start sequence runs. A key
// that cannot be written is said, and the start goes on with the defaults.
void InstallSettingsKeyIfMissing(KeyStore& keys, const std::string& firstPath, Host& host);

struct ProgramOptions {
  bool Splash = true;
  DriverOptions Drivers;
};

class Program {
 public:
  // `host` replaces the Qt host (tests run the program on a virtual clock); it must outlive the
  // program.
  explicit Program(const ProgramOptions& options = {}, Host* host = nullptr);
  ~Program();

  // The start: splash, the main window's creation (no wave device, the command line), the
  // settings load with the first-start sequence, the start-up calibration, then the window shows.
  void Start(const std::vector<std::string>& arguments);

  TfrmMain& Main() { return *main_; }
  Host& GetHost() { return *host_; }
  QtHost* Qt() { return qtHost_.get(); }
  KeyFileStore& Keys() { return keys_; }
  PlatformDrivers& Drivers() { return drivers_; }

 private:
  ProgramOptions options_;
  std::unique_ptr<QtHost> qtHost_;
  Host* host_;
  KeyFileStore keys_;
  PlatformDrivers drivers_;
  std::unique_ptr<TfrmMain> main_;
};

}  // namespace sonavel
