// sonavel-cli simulate: a complete hearing test on the virtual clock against a simulated
// listener, written as an audiogram file.
#include <cmath>
#include <cstdio>
#include <ostream>
#include <sstream>

#include "cli/cli_support.h"
#include "files/audiogram_file.h"
#include "files/text_export.h"
#include "platform/keyfile/key_file.h"
#include "platform/sim/simulation.h"
#include "settings/registry.h"

namespace sonavel::cli {

namespace {

const std::string SimulateHelp =
    std::string(
        "Usage: sonavel-cli simulate --out AUD [--txt TXT] [--listener never|always|thresholds]\n"
        "                            [--left T1,...,T11] [--right T1,...,T11] [--settings KEYFILE]\n"
        "                            [--calibration CAL] [--slope DB] [--false-alarm P] [--lapse P]\n"
        "                            [--seed N] [--abort-at SECONDS] [--trial-presentations N]\n"
        "                            [--max-passes N] [--card-level DB]\n"
        "                            [--calibrate-by-ear [--calibrator T1,...,T11]] [--json]\n\n"
        "Runs the New Test command (with its automatic retest when the settings ask for it) on a\n"
        "virtual clock with the simulated sound card, mixer and response button, against a\n"
        "simulated listener, and writes the audiogram file AUD (and the text export TXT). Every\n"
        "message box is answered with its default button (OK, Yes).\n\n"
        "The listener hears a tone when its level at the ear (the tone's peak in dBFS + 70 dB +\n"
        "the mixer's wave and master gain) is at or above its threshold, and holds the button from\n"
        "0.3 s after the tone starts until it ends.\n"
        "  --listener KIND     never (hears nothing), always (hears everything), thresholds (default)\n"
        "  --left, --right     thresholds in dB HL at 125 250 500 750 1000 1500 2000 3000 4000 6000\n"
        "                      8000 Hz, comma-separated, decimals allowed (default 10 each)\n"
        "  --slope DB          psychometric slope: a tone L dB above threshold is heard with\n"
        "                      probability 1 / (1 + exp(-L / DB))\n"
        "  --false-alarm P     probability of pressing for a tone not heard (0 to 1)\n"
        "  --lapse P           probability of missing a tone heard (0 to 1)\n"
        "  --seed N            seed of the listener's chance (default 1)\n\n"
        "The operator:\n"
        "  --trial-presentations N  ends the trial run during its N-th presentation (default 10)\n"
        "  --max-passes N           ends the automatic retest during the first presentation of\n"
        "                           pass N + 1, as an abort does (default 3)\n"
        "  --abort-at SECONDS       presses the test window's button at that virtual time\n\n"
        "  --settings KEYFILE  the settings from this key file (else the defaults); its device\n"
        "                      numbers are not used: the simulated devices are\n"
        "  --calibration CAL   the calibration from this file (else a full-scale calibration of the\n"
        "                      simulated mixer, which makes the level chain exact)\n"
        "  --card-level DB     what the simulated card and headphones give: the hearing level of a\n"
        "                      full-scale tone with the card's volumes at full (default 70, the\n"
        "                      test's ceiling; a louder card needs a calibration that lowers them)\n"
        "  --calibrate-by-ear  before the test, a simulated person calibrates by ear: on each of\n"
        "                      the wizard's 22 pages he types his known threshold, listens to the\n"
        "                      tone and sets the sliders to the lowest positions at which he hears\n"
        "                      it; OK puts the calibration into use\n"
        "  --calibrator T1,...,T11  his thresholds in whole dB HL at the eleven frequencies\n"
        "                      (default 0 each, normal hearing)\n"
        "  --json              one JSON object: messages, reverse, threshold, presentations,\n"
        "                      virtualSeconds, aborted\n") +
    LocaleHelp;

std::array<double, 11> ThresholdList(const std::string& option, const std::string& text) {
  std::array<double, 11> out{};
  std::stringstream ss(text);
  std::string item;
  size_t n = 0;
  while (std::getline(ss, item, ',')) {
    if (n == 11) throw UsageError("option --" + option + ": more than 11 thresholds");
    out[n++] = ParseNumberOption(option, item);
  }
  if (n != 11) throw UsageError("option --" + option + ": needs 11 thresholds, separated by commas");
  return out;
}

double Probability(const Options& opts, const std::string& name) {
  const double p = opts.Number(name, 0.0);
  if (p < 0 || p > 1) throw UsageError("option --" + name + ": must be between 0 and 1");
  return p;
}

int RunSimulate(const std::vector<std::string>& args, Io& io) {
  const Options opts(
      args,
      {"out", "txt", "listener", "left", "right", "settings", "calibration", "slope", "false-alarm", "lapse",
       "seed", "abort-at", "trial-presentations", "max-passes", "locale", "card-level", "calibrator"},
      {"json", "calibrate-by-ear"});
  opts.ExpectPositionals(0, "");
  const std::string out = opts.Required("out");
  const RegionalFormat regional = RegionalFromOptions(opts);

  SimulationSetup setup;
  setup.regional = regional;
  setup.start = LocalNow();
  const std::string kind = opts.Value("listener").value_or("thresholds");
  if (kind == "never")
    setup.listener.kind = ListenerKind::Never;
  else if (kind == "always")
    setup.listener.kind = ListenerKind::Always;
  else if (kind == "thresholds")
    setup.listener.kind = ListenerKind::Thresholds;
  else
    throw UsageError("option --listener: must be never, always or thresholds");
  for (auto& ear : setup.listener.thresholds) ear.fill(10.0);
  if (auto v = opts.Value("left")) setup.listener.thresholds[0] = ThresholdList("left", *v);
  if (auto v = opts.Value("right")) setup.listener.thresholds[1] = ThresholdList("right", *v);
  if (opts.Has("slope")) {
    const double slope = opts.Number("slope", 0);
    if (!(slope > 0)) throw UsageError("option --slope: must be above 0");
    setup.listener.slope = slope;
  }
  setup.listener.falseAlarm = Probability(opts, "false-alarm");
  setup.listener.lapse = Probability(opts, "lapse");
  if (setup.listener.falseAlarm + setup.listener.lapse > 1)
    throw UsageError("options --false-alarm and --lapse: their sum must not exceed 1");
  setup.listener.seed = static_cast<uint64_t>(opts.Integer("seed", 1));
  if (opts.Has("card-level")) {
    const double level = opts.Number("card-level", 70);
    if (!(level >= 0 && level <= 200)) throw UsageError("option --card-level: must be between 0 and 200");
    setup.listener.fullScaleHL = level;
  }
  if (opts.Has("calibrator") && !opts.Flag("calibrate-by-ear"))
    throw UsageError("option --calibrator: needs --calibrate-by-ear");
  if (opts.Flag("calibrate-by-ear")) {
    if (opts.Has("calibration"))
      throw UsageError("options --calibration and --calibrate-by-ear: choose one calibration");
    CalibratorThresholds known{};
    if (auto v = opts.Value("calibrator")) {
      const std::array<double, 11> typed = ThresholdList("calibrator", *v);
      for (size_t i = 0; i < typed.size(); ++i) {
        if (typed[i] != std::floor(typed[i]) || typed[i] < -100 || typed[i] > MaxKnownThreshold)
          throw UsageError("option --calibrator: thresholds are whole numbers of dB HL up to " +
                           std::to_string(MaxKnownThreshold));
        known[i] = static_cast<int32_t>(typed[i]);
      }
    }
    setup.calibrateByEar = known;
  }
  if (opts.Has("abort-at")) {
    const double at = opts.Number("abort-at", 0);
    if (at < 0) throw UsageError("option --abort-at: must not be negative");
    setup.abortAt = at;
  }
  const long long trialTones = opts.Integer("trial-presentations", 10);
  const long long maxPasses = opts.Integer("max-passes", 3);
  if (trialTones < 1 || trialTones > 100000)
    throw UsageError("option --trial-presentations: must be at least 1");
  if (maxPasses < 0 || maxPasses > 100000) throw UsageError("option --max-passes: must not be negative");
  setup.trialPresentations = static_cast<int32_t>(trialTones);
  setup.maxPasses = static_cast<int32_t>(maxPasses);

  std::vector<std::string> loadMessages;
  std::optional<KeyFileStore> store;
  if (auto keyFile = opts.Value("settings")) {
    store.emplace(KeyFileStore::Locations{*keyFile, ""});
    setup.keyStore = &*store;
    PlainSettingsFollowUp followUp;
    if (!LoadRegistryValues(*store, setup.settings, followUp).Succeeded)
      loadMessages.push_back(RegistryReadErrorText);
  }
  setup.settings.WaveOutDevice = -1;
  setup.settings.MixerDevice = 0;
  if (auto cal = opts.Value("calibration")) {
    AppState calState = FreshState();
    CalibrationHeader header;
    ReadCalibrationInput(*cal, calState, header);
    setup.calibration = calState.CalibrationData;
  }

  SimulationResult r = RunSimulation(setup);
  std::vector<std::string> messages = loadMessages;
  messages.insert(messages.end(), r.messages.begin(), r.messages.end());

  const PatientFile& a = r.state.CurrentAudiogram;
  WriteOutput([&] { WriteFile(out, a, r.state.Personal, regional); });
  if (auto txt = opts.Value("txt")) WriteOutput([&] { WriteAsciiFile(*txt, a, r.state.Personal, regional); });

  if (opts.Flag("json")) {
    std::string j = "{\"messages\": [";
    for (size_t i = 0; i < messages.size(); ++i) j += (i ? ", " : "") + JsonString(messages[i]);
    j += "], \"reverse\": [";
    for (int e = 0; e < 2; ++e) {
      j += e ? ", [" : "[";
      for (int s = 0; s < 12; ++s) j += (s ? ", " : "") + JsonInts(a.Reverse[e][s].data(), 22);
      j += "]";
    }
    j += "], \"threshold\": [" + JsonInts(a.Threshold[0].data(), 12) + ", " +
         JsonInts(a.Threshold[1].data(), 12) + "]";
    char secs[64];
    std::snprintf(secs, sizeof secs, "%.3f", r.virtualSeconds);
    j += ", \"presentations\": " + std::to_string(r.presentations) + ", \"virtualSeconds\": " + secs +
         ", \"aborted\": " + (r.aborted ? "true" : "false");
    if (setup.calibrateByEar) j += ", \"calibration\": " + JsonCalibrationEntries(r.state.CalibrationData);
    j += "}\n";
    io.out << j;
    return ExitOk;
  }

  for (const auto& m : messages) io.out << "message: " << m << "\n";
  if (setup.calibrateByEar) {
    // The calibration the simulated person made, as the slider values of each page.
    io.out << "calibration by ear (WaveLevel/MasterLevel):\nHz\tleft\tright\n";
    for (int32_t k = 1; k <= MeasuredSlotCount; ++k) {
      const auto entry = [&](int32_t ear) {
        const CalibrationEntry& c = r.state.CalibrationData[ear][k];
        return std::to_string(c.WaveLevel) + "/" + std::to_string(c.MasterLevel);
      };
      io.out << r.state.FrequencyTable[k] << "\t" << entry(0) << "\t" << entry(1) << "\n";
    }
  }
  io.out << "Hz\tleft\tright\n";
  for (int32_t slot = 0; slot < RecordSlotCount; ++slot) {
    if (!a.HasResult(0, slot) && !a.HasResult(1, slot)) continue;
    auto cell = [&](int32_t ear) {
      return a.HasResult(ear, slot) ? std::to_string(a.Threshold[ear][slot]) : "";
    };
    io.out << (slot == RepeatRecordSlot ? "1000 (repeat)"
                                        : std::to_string(RecordSlotFrequency(r.state.FrequencyTable, slot)))
           << "\t" << cell(0) << "\t" << cell(1) << "\n";
  }
  char summary[160];
  std::snprintf(summary, sizeof summary, "%lld presentations, %.1f s of test time%s\n",
                static_cast<long long>(r.presentations), r.virtualSeconds, r.aborted ? ", aborted" : "");
  io.out << summary << "wrote " << out << "\n";
  return ExitOk;
}

const CommandRegistration Registration{
    {"simulate", "run a complete hearing test against a simulated listener", SimulateHelp, RunSimulate}};

}  // namespace

}  // namespace sonavel::cli
