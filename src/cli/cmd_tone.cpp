// sonavel-cli tone: one presentation synthesised into a WAV or raw PCM file.
#include <cmath>
#include <ostream>

#include "audio/tone_synthesis.h"
#include "audio/wav_file.h"
#include "cli/cli.h"
#include "core/error.h"
#include "files/atomic_file.h"
#include "model/state.h"

namespace sonavel::cli {

namespace {

const char* const ToneHelp =
    "Usage: sonavel-cli tone --freq HZ --level DBFS [--beep SECONDS] [--pause SECONDS]\n"
    "                        [--ear left|right] [--no-ramp] --out FILE\n\n"
    "Synthesises one tone presentation as the hearing test does: a sine tone of HZ at DBFS\n"
    "(dB relative to full scale, 0 = amplitude 32767), shaped with sin^2 ramps over its first\n"
    "and last quarter, followed by a pause, on the channel of one ear (the other is silent).\n\n"
    "  --freq HZ         tone frequency in Hz (whole number)\n"
    "  --level DBFS      digital level in dB (decimals allowed; above 0 saturates)\n"
    "  --beep SECONDS    tone duration (default 1)\n"
    "  --pause SECONDS   silence after the tone (default 0)\n"
    "  --ear left|right  which channel carries the tone (default left)\n"
    "  --no-ramp         no ramps: the tone starts and stops at full amplitude\n"
    "  --out FILE        FILE ending in .wav gets a RIFF/WAVE header (PCM, 2 channels,\n"
    "                    44100 Hz, 16 bits); any other name gets the raw PCM bytes\n";

bool EndsWith(const std::string& s, const std::string& suffix) {
  return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

int RunTone(const std::vector<std::string>& args, Io& io) {
  const Options opts(args, {"freq", "level", "beep", "pause", "ear", "out"}, {"no-ramp"});
  opts.ExpectPositionals(0, "");
  const long long freq = ParseIntegerOption("freq", opts.Required("freq"));
  if (freq < 0 || freq > 22050)
    throw UsageError("option --freq: " + std::to_string(freq) + " is outside 0 to 22050 Hz");
  const double level = opts.RequiredNumber("level");
  const double beep = opts.Number("beep", 1.0);
  const double pause = opts.Number("pause", 0.0);
  // The longest presentation the settings allow is 5 s + 5 s; keep a generous bound so that a
  // typo cannot ask for gigabytes.
  for (const auto& [name, value] : {std::pair{"beep", beep}, std::pair{"pause", pause}})
    if (!std::isfinite(value) || value < 0 || value > 600)
      throw UsageError(std::string("option --") + name + ": must be between 0 and 600 seconds");
  const std::string ear = opts.Value("ear").value_or("left");
  if (ear != "left" && ear != "right") throw UsageError("option --ear: must be left or right");
  const std::string out = opts.Required("out");

  const ChannelGains gains = ChannelGainsOfEar(ear == "left" ? LeftEar : RightEar);
  ToneBuffer buffer;
  CreateSound(static_cast<int32_t>(freq), level, beep, pause, buffer, !opts.Flag("no-ramp"), gains.Left,
              gains.Right);

  const std::string bytes = EndsWith(out, ".wav")
                                ? WavFileBytes(buffer)
                                : std::string(reinterpret_cast<const char*>(buffer.Data()), buffer.Size());
  try {
    WriteWholeFile(out, bytes);
  } catch (const SonavelError& e) {
    throw RunError(e.what());
  }
  io.out << "wrote " << out << ": " << buffer.FrameCount() << " frames\n";
  return ExitOk;
}

const CommandRegistration Registration{
    {"tone", "synthesise one tone presentation into a WAV or raw PCM file", ToneHelp, RunTone}};

}  // namespace

}  // namespace sonavel::cli
