// sonavel-cli install-settings: the installation's part, a new settings key with FirstRun = 1.
#include <ostream>

#include "cli/cli_support.h"
#include "platform/keyfile/key_file.h"
#include "settings/registry.h"

namespace sonavel::cli {

namespace {

const char* const InstallSettingsHelp =
    "Usage: sonavel-cli install-settings [--path FILE]\n\n"
    "Creates the settings key as an installation does: FirstRun = 1 and every setting at its\n"
    "default, both device numbers 0. Refuses, changing nothing, when the file already holds\n"
    "the key; other sections of an existing file are kept.\n\n"
    "  --path FILE  the key file (default: SONAVEL_REGISTRY, else\n"
    "               $XDG_CONFIG_HOME/Brantel/Sonavel.reg, ~/.config/... when it is unset)\n";

int RunInstallSettings(const std::vector<std::string>& args, Io& io) {
  const Options opts(args, {"path"}, {});
  opts.ExpectPositionals(0, "");
  const std::string path = opts.Value("path").value_or(KeyFileLocationsFromEnvironment().First);
  if (path.empty()) throw UsageError("no place for the settings key: HOME is not set (give --path)");

  bool installed = false;
  WriteOutput([&] { installed = InstallKeyFile(path, InstalledKeyValues(InstallationSettings(), true)); });
  if (!installed) throw UsageError("a settings key already exists in " + path + "; nothing was changed");
  io.out << "wrote the settings key to " << path << "\n";
  return ExitOk;
}

const CommandRegistration Registration{{"install-settings", "create the settings key with FirstRun = 1",
                                        InstallSettingsHelp, RunInstallSettings}};

}  // namespace

}  // namespace sonavel::cli
