// sonavel-cli play: the looped calibration tone on a real (or simulated) device.
#if SONAVEL_HAVE_PLATFORM
#include <cmath>
#include <ostream>

#include "audio/tone_synthesis.h"
#include "cli/cli.h"
#include "cli/cli_session.h"

namespace sonavel::cli {

namespace {

const char* const PlayHelp =
    "Usage: sonavel-cli play --freq HZ --level DBFS [--ear left|right] [--device N] [--seconds S]\n\n"
    "Plays the calibration tone: one second of HZ at DBFS (dB relative to full scale), swelling\n"
    "and fading with ramps, looped, on one channel, for S seconds, then stops it. A device that\n"
    "fails is reported with exit status 1.\n\n"
    "  --freq HZ         tone frequency in Hz (1 to 22050)\n"
    "  --level DBFS      digital level in dB (0 = full scale)\n"
    "  --ear left|right  which channel carries the tone (default left)\n"
    "  --device N        wave-output device number from `devices` (default -1, the default device)\n"
    "  --seconds S       how long to play (default 3)\n";

int RunPlay(const std::vector<std::string>& args, Io& io) {
  const Options opts(args, {"freq", "level", "ear", "device", "seconds"}, {});
  opts.ExpectPositionals(0, "");
  const long long freq = ParseIntegerOption("freq", opts.Required("freq"));
  if (freq < 1 || freq > 22050) throw UsageError("option --freq: must be between 1 and 22050 Hz");
  const double level = opts.RequiredNumber("level");
  if (level > 0) throw UsageError("option --level: must not be above 0 dB (full scale)");
  const std::string ear = opts.Value("ear").value_or("left");
  if (ear != "left" && ear != "right") throw UsageError("option --ear: must be left or right");
  const long long device = opts.Integer("device", WaveMapper);
  if (device < -1 || device > 0x7FFFFFFF) throw UsageError("option --device: must be -1 or a device number");
  const double seconds = opts.Number("seconds", 3.0);
  if (seconds < 0 || seconds > 3600) throw UsageError("option --seconds: must be between 0 and 3600");

  CliSession session(io.err);
  ConsoleHost& host = session.Host;
  const PlatformDrivers& drivers = session.Drivers;
  const ChannelGains gains = ChannelGainsOfEar(ear == "left" ? LeftEar : RightEar);
  ToneBuffer tone;
  CreateSound(static_cast<int32_t>(freq), level, 1, 0, tone, true, gains.Left, gains.Right);

  ToneOutput& out = session->Output;
  if (out.PreparePlay(static_cast<int32_t>(device), tone, -1) != WaveOk || out.StartPlay() != WaveOk) {
    const std::string why = out.FailureText();
    out.FinishPlay();
    throw RunError("device " + std::to_string(device) + ": " + why);
  }
  const double start = host.MonotonicSeconds();
  while (host.MonotonicSeconds() - start < seconds) {
    host.Sleep(50);
    if (out.ToneDone() && out.Failed()) {
      const std::string why = out.FailureText();
      out.FinishPlay();
      throw RunError("device " + std::to_string(device) + ": " + why);
    }
  }
  out.FinishPlay();
  io.out << "played " << freq << " Hz at " << level << " dBFS on the " << ear << " channel of device "
         << device << " (" << drivers.audioSystem << ") for " << seconds << " s\n";
  return ExitOk;
}

const CommandRegistration Registration{
    {"play", "play the looped calibration tone on a device", PlayHelp, RunPlay}};

}  // namespace

}  // namespace sonavel::cli
#endif
