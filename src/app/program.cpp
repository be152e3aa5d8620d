#include "app/program.h"

#include "app/help_window.h"
#include "app/splash.h"
#include "core/error.h"
#include "core/regional.h"

namespace sonavel {

Program::Program(const ProgramOptions& options, Host* host)
    : options_(options),
      qtHost_(host ? nullptr : std::make_unique<QtHost>()),
      host_(host ? host : qtHost_.get()),
      keys_(KeyFileLocationsFromEnvironment()),
      drivers_(MakeDrivers(*host_, options.Drivers)) {
  main_ = std::make_unique<TfrmMain>(MainWindowWiring{drivers_.View(), drivers_.useEndpointVolume, *host_,
                                                      keys_, RegionalFormatFromSystem()});
  if (qtHost_) {
    qtHost_->SetDialogParent(main_.get());
    qtHost_->HelpHandler = [this](int32_t context) { main_->HelpWindow().ShowContext(context); };
  }
}

Program::~Program() = default;

void InstallSettingsKeyIfMissing(KeyStore& keys, const std::string& firstPath, Host& host) {
  if (keys.OpenKey(KeyPaths::FirstElseAlternative) || firstPath.empty()) return;
  if (const std::optional<Failure> failure =
          FailureOf([&] { InstallKeyFile(firstPath, InstalledKeyValues(InstallationSettings(), true)); }))
    ShowFailure(host, *failure);
}

void Program::Start(const std::vector<std::string>& arguments) {
  if (options_.Splash) {
    TSplash splash;
    RunSplash(splash, *host_);
  }
  TfrmMain& w = *main_;
  w.FormCreate(arguments);
  InstallSettingsKeyIfMissing(keys_, keys_.Paths().First, *host_);
  w.LoadSettings();
  w.LoadStartupCalibration();
  w.ShowAtStart();
}

}  // namespace sonavel
