// sonavel-cli cal-info: the header and the 22 entries of a calibration file.
#include <ostream>

#include "cli/cli_support.h"

namespace sonavel::cli {

namespace {

const char* const CalInfoHelp =
    "Usage: sonavel-cli cal-info CAL [--json]\n\n"
    "Reads the calibration file CAL and prints its six header texts (Person, Headphones,\n"
    "Soundcard, Comment, CalibrationDate, CalibrationTime) and its 22 entries, one line each:\n"
    "ear (0 left, 1 right), frequency in Hz, WaveLevel, MasterLevel, GainLevel, LevelOffset,\n"
    "separated by tabs.\n\n"
    "  --json  one JSON object: the six texts and \"entries\", two arrays (left, right) of 11\n"
    "          objects {WaveLevel, MasterLevel, GainLevel, LevelOffset}; cal-make reads it back\n";

int RunCalInfo(const std::vector<std::string>& args, Io& io) {
  const Options opts(args, {}, {"json"});
  opts.ExpectPositionals(1, "calibration file CAL");
  AppState state = FreshState();
  CalibrationHeader h;
  ReadCalibrationInput(opts.Positionals()[0], state, h);

  const std::pair<const char*, const std::string*> texts[] = {{"Person", &h.Person},
                                                              {"Headphones", &h.Headphones},
                                                              {"Soundcard", &h.Soundcard},
                                                              {"Comment", &h.Comment},
                                                              {"CalibrationDate", &h.CalibrationDate},
                                                              {"CalibrationTime", &h.CalibrationTime}};

  if (!opts.Flag("json")) {
    for (const auto& [name, text] : texts) io.out << name << ": " << *text << "\n";
    io.out << "ear\tHz\tWaveLevel\tMasterLevel\tGainLevel\tLevelOffset\n";
    for (int32_t e = 0; e < EarCount; ++e)
      for (int32_t k = 1; k <= MeasuredSlotCount; ++k) {
        const CalibrationEntry& c = state.CalibrationData[e][k];
        io.out << e << "\t" << state.FrequencyTable[k] << "\t" << c.WaveLevel << "\t" << c.MasterLevel << "\t"
               << c.GainLevel << "\t" << FormatDecimal(c.LevelOffset, '.') << "\n";
      }
    return ExitOk;
  }

  std::string json = "{";
  for (const auto& [name, text] : texts) json += "\"" + std::string(name) + "\": " + JsonString(*text) + ", ";
  json += "\"entries\": " + JsonCalibrationEntries(state.CalibrationData) + "}";
  io.out << json << "\n";
  return ExitOk;
}

const CommandRegistration Registration{
    {"cal-info", "show the header and entries of a calibration file", CalInfoHelp, RunCalInfo}};

}  // namespace

}  // namespace sonavel::cli
