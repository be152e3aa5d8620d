// sonavel-cli settings: the settings record as the program loads it from the settings key.
#include <cstdio>
#include <ostream>

#include "cli/cli_support.h"
#include "platform/keyfile/key_file.h"
#include "settings/registry.h"

namespace sonavel::cli {

namespace {

const char* const SettingsHelp =
    "Usage: sonavel-cli settings [--json]\n\n"
    "Loads the settings record from the settings key as the program does at start-up and\n"
    "prints every field with its value, in the order of the key's values. A load that fails\n"
    "shows the program's message on standard error and prints the fields as the failure left\n"
    "them (the colours and device numbers at their defaults). The first-start check is left to\n"
    "the program: FirstRun is neither read nor changed.\n\n"
    "The key is the file named by SONAVEL_REGISTRY, else $XDG_CONFIG_HOME/Brantel/Sonavel.reg\n"
    "(~/.config/... when XDG_CONFIG_HOME is unset), else /etc/Brantel/Sonavel.reg.\n\n"
    "  --json  one JSON object, the fields in the same order (GraphColours as an array)\n";

std::string ColourHex(Colour c) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08X", c);
  return buf;
}

int RunSettings(const std::vector<std::string>& args, Io& io) {
  const Options opts(args, {}, {"json"});
  opts.ExpectPositionals(0, "");
  KeyFileStore store(KeyFileLocationsFromEnvironment());
  AppState state = FreshState();
  PlainSettingsFollowUp followUp;
  if (!LoadRegistryValues(store, state.Settings, followUp).Succeeded) io.err << RegistryReadErrorText << "\n";

  const SettingsRecord& s = state.Settings;
  const bool json = opts.Flag("json");
  std::string out = json ? "{" : "";
  bool first = true;
  for (const RegistryField& f : RegistryFields()) {
    std::string value;
    std::string name = f.FieldName;
    if (f.ColourIndex > 0) continue;  // all seven go out with the first
    if (f.ColourIndex == 0) {
      if (json) {
        name = "GraphColours";
        value = "[";
        for (int32_t i = 0; i < GraphColourCount; ++i)
          value += (i > 0 ? ", " : "") + std::to_string(s.GraphColours[i]);
        value += "]";
      } else {
        for (int32_t i = 0; i < GraphColourCount; ++i)
          out += "GraphColours[" + std::to_string(i) + "] = " + ColourHex(s.GraphColours[i]) + "\n";
        continue;
      }
    } else if (f.Type == RegistryFieldType::Boolean) {
      value = s.*f.Boolean ? "true" : "false";
    } else if (f.Type == RegistryFieldType::Integer) {
      value = std::to_string(s.*f.Integer);
    } else {
      value = JsonString(s.*f.Text);
    }
    if (json)
      out += (first ? "" : ", ") + JsonString(name) + ": " + value;
    else
      out += name + " = " + value + "\n";
    first = false;
  }
  if (json) out += "}\n";
  io.out << out;
  return ExitOk;
}

const CommandRegistration Registration{
    {"settings", "print the settings record as loaded from the settings key", SettingsHelp, RunSettings}};

}  // namespace

}  // namespace sonavel::cli
