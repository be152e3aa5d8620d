// sonavel-cli devices: the wave-output devices as the settings dialog lists them.
#if SONAVEL_HAVE_PLATFORM
#include <ostream>

#include "cli/cli.h"
#include "cli/cli_session.h"

namespace sonavel::cli {

namespace {

const char* const DevicesHelp =
    "Usage: sonavel-cli devices [--json]\n\n"
    "Lists the wave-output devices as the settings dialog fills its list: the device number and\n"
    "the entry text (name, \" Driver Version \", major.minor), then the default device (-1).\n"
    "The sound system is the sound server when one answers, else ALSA; SONAVEL_AUDIO=pulse|alsa|sim\n"
    "chooses one.\n\n"
    "  --json   the same as one JSON object\n";

int RunDevices(const std::vector<std::string>& args, Io& io) {
  const Options opts(args, {}, {"json"});
  opts.ExpectPositionals(0, "");
  CliSession session(io.err);
  const PlatformDrivers& drivers = session.Drivers;
  if (!drivers.note.empty()) io.err << drivers.note << "\n";
  WaveOut& wave = session->DeviceSet.waveOut;
  const int32_t count = wave.GetNumDevs();
  if (count == 0 && !wave.LastError().empty()) throw RunError(wave.LastError());
  std::vector<std::string> entries;
  for (int32_t i = 0; i < count; ++i) {
    WaveOutCaps caps;
    entries.push_back(wave.GetDevCaps(i, caps) == WaveOk ? WaveOutEntryText(caps) : "");
  }
  WaveOutCaps def;
  const std::string defaultEntry = wave.GetDevCaps(WaveMapper, def) == WaveOk ? WaveOutEntryText(def) : "";

  if (opts.Flag("json")) {
    io.out << "{\"audio\":" << JsonString(drivers.audioSystem) << ",\"devices\":[";
    for (size_t i = 0; i < entries.size(); ++i)
      io.out << (i ? "," : "") << "{\"index\":" << i << ",\"entry\":" << JsonString(entries[i]) << "}";
    io.out << "],\"default\":{\"index\":-1,\"entry\":" << JsonString(defaultEntry) << "}}\n";
    return ExitOk;
  }
  io.out << "Wave output devices (" << drivers.audioSystem << "):\n";
  if (entries.empty()) io.out << "  (none)\n";
  for (size_t i = 0; i < entries.size(); ++i) io.out << "  " << i << "  " << entries[i] << "\n";
  io.out << "Default device: -1" << (defaultEntry.empty() ? "" : "  " + defaultEntry) << "\n";
  return ExitOk;
}

const CommandRegistration Registration{
    {"devices", "list the wave-output devices and the default device", DevicesHelp, RunDevices}};

}  // namespace

}  // namespace sonavel::cli
#endif
