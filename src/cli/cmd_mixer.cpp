// sonavel-cli mixer: the mixer devices, the controls found on one of them and its listing.
#if SONAVEL_HAVE_PLATFORM
#include <ostream>

#include "cli/cli.h"
#include "cli/cli_session.h"

namespace sonavel::cli {

namespace {

const char* const MixerHelp =
    "Usage: sonavel-cli mixer [--device N] [--fixture FILE] [--json]\n\n"
    "Lists the mixer devices (name, \" Driver Version \", major.minor), opens device N (default 0)\n"
    "as the program does and shows the controls it found (object name, Exist, Active, Uniform,\n"
    "Minvalue, Maxvalue, Steps, OneStep) and the whole diagnostic listing of the device.\n\n"
    "  --device N      the mixer device to open (default 0)\n"
    "  --fixture FILE  use the simulated mixer described by FILE instead of the sound card\n"
    "  --json          the same as one JSON object\n";

int RunMixer(const std::vector<std::string>& args, Io& io) {
  const Options opts(args, {"device", "fixture"}, {"json"});
  opts.ExpectPositionals(0, "");
  const long long device = opts.Integer("device", 0);
  DriverOptions options;
  options.mixerFixture = opts.Value("fixture").value_or("");
  if (opts.Has("fixture") && options.mixerFixture.empty())
    throw UsageError("option --fixture: empty file name");

  CliSession session(io.err, options);  // a malformed fixture is bad input
  Mixer& mixer = session->MixerAccess;
  mixer.CountMixerDevices();
  if (mixer.MixerDeviceCount == 0) throw RunError("no mixer device found");
  if (device < 0 || device >= mixer.MixerDeviceCount)
    throw UsageError("option --device: " + std::to_string(device) + " is not a mixer device (0 to " +
                     std::to_string(mixer.MixerDeviceCount - 1) + ")");
  // The device list as the settings dialog builds it: every device opened once in turn.
  const std::vector<std::string> entries = session->MixerDeviceEntries();
  session->OpenMixerDevice(static_cast<uint32_t>(device));

  const bool json = opts.Flag("json");
  if (json) {
    io.out << "{\"devices\":[";
    for (size_t i = 0; i < entries.size(); ++i) io.out << (i ? "," : "") << JsonString(entries[i]);
    io.out << "],\"device\":" << device << ",\"controls\":[";
  } else {
    io.out << "Mixer devices:\n";
    for (size_t i = 0; i < entries.size(); ++i) io.out << "  " << i << "  " << entries[i] << "\n";
    io.out << "Controls found on device " << device << ":\n";
  }
  bool first = true;
  for (const auto& row : mixer.Controls.Rows()) {
    const TMixControl& c = *row.control;
    if (!c.Exist) continue;
    if (json) {
      io.out << (first ? "" : ",") << "{\"name\":" << JsonString(row.name) << ",\"Exist\":true"
             << ",\"Active\":" << (c.Active ? "true" : "false")
             << ",\"Uniform\":" << (c.Uniform ? "true" : "false") << ",\"Minvalue\":" << c.Minvalue
             << ",\"Maxvalue\":" << c.Maxvalue << ",\"Steps\":" << c.Steps << ",\"OneStep\":" << c.OneStep
             << "}";
    } else {
      io.out << "  " << row.name << "  Exist=1 Active=" << c.Active << " Uniform=" << c.Uniform
             << " Minvalue=" << c.Minvalue << " Maxvalue=" << c.Maxvalue << " Steps=" << c.Steps
             << " OneStep=" << c.OneStep << "\n";
    }
    first = false;
  }
  if (json) {
    io.out << "],\"listing\":[";
    for (size_t i = 0; i < mixer.MixerListing.size(); ++i)
      io.out << (i ? "," : "") << JsonString(mixer.MixerListing[i]);
    io.out << "]}\n";
  } else {
    if (first) io.out << "  (none)\n";
    io.out << "Listing:\n";
    for (const std::string& line : mixer.MixerListing) io.out << "  " << line << "\n";
  }
  return ExitOk;
}

const CommandRegistration Registration{
    {"mixer", "list the mixer devices, the controls found on one and its listing", MixerHelp, RunMixer}};

}  // namespace

}  // namespace sonavel::cli
#endif
