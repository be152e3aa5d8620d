// sonavel-cli results: what the results window shows of an audiogram file.
#include <ostream>

#include "cli/cli_support.h"
#include "files/audiogram_file.h"
#include "results/analysis.h"
#include "results/date_label.h"
#include "results/results_summary.h"

namespace sonavel::cli {

namespace {

const std::string ResultsHelp =
    std::string(
        "Usage: sonavel-cli results AUD [--reject-first on|off] [--min-reversals N]\n"
        "                           [--today YYYY-MM-DD] [--json] [--locale de_DE|en_US]\n\n"
        "Reads the audiogram file AUD and prints what the results window shows: the name line,\n"
        "the test date line, one line per row of the threshold table (frequency, left, right,\n"
        "separated by a tab; an empty cell for no result), the hearing category, the retest list\n"
        "and the deviation of the 1 kHz repeat (an empty line when there is none).\n\n"
        "  --reject-first on|off  leave the first reversal out of thresholds computed for a file\n"
        "                         without a threshold section (default on)\n"
        "  --min-reversals N      reversals a result needs to count as accurate (default 6)\n"
        "  --today YYYY-MM-DD     the date the category counts the age to when the test date\n"
        "                         does not read as a date (default: the local date and time)\n"
        "  --json                 one JSON object: name, dateLine, rows, category, categoryText,\n"
        "                         retestText, deviationText, thresholds, inaccurate\n") +
    LocaleHelp;

int RunResults(const std::vector<std::string>& args, Io& io) {
  const Options opts(args, {"reject-first", "min-reversals", "today", "locale"}, {"json"});
  opts.ExpectPositionals(1, "audiogram file AUD");
  const RegionalFormat regional = RegionalFromOptions(opts);
  const LocalDateTime now = ClockFromOptions(opts);

  AppState state = FreshState();
  if (const auto reject = opts.Value("reject-first")) {
    if (*reject != "on" && *reject != "off") throw UsageError("option --reject-first: must be on or off");
    state.Settings.Reject1st = *reject == "on";
  }
  if (const auto min = opts.Value("min-reversals")) {
    if (!ParseWholeNumber(*min))
      throw UsageError("option --min-reversals: \"" + *min + "\" is not a whole number");
    state.Settings.ReverseEdit = *min;
  }
  ReadAudiogramInput(opts.Positionals()[0], state, regional, now);

  const PatientFile& a = state.CurrentAudiogram;
  const int32_t minReversals = MinReversalsOf(state.Settings);
  const std::string name = ResultsNameLine(state.Personal, regional);
  const std::string dateLine = DateTimeLabelText(a, state.ResultsPresent);
  const auto rows = ThresholdTableRows(a, state.FrequencyTable);
  const int32_t category = Category(a, state.Personal.DateOfBirth, regional, now);
  const std::string retest = RetestText(a, state.FrequencyTable, minReversals);
  const std::string deviation = DeviationText(a);

  if (!opts.Flag("json")) {
    io.out << name << "\n" << dateLine << "\n";
    for (const auto& row : rows)
      io.out << row.Frequency << "\t" << row.Left << "\t" << (row.Right ? std::to_string(*row.Right) : "")
             << "\n";
    io.out << CategoryText(category) << "\n" << retest << "\n" << deviation << "\n";
    return ExitOk;
  }

  std::string json =
      "{\"name\": " + JsonString(name) + ", \"dateLine\": " + JsonString(dateLine) + ", \"rows\": [";
  for (size_t i = 0; i < rows.size(); ++i) {
    if (i > 0) json += ", ";
    json += "[" + std::to_string(rows[i].Frequency) + ", " + std::to_string(rows[i].Left) + ", " +
            (rows[i].Right ? std::to_string(*rows[i].Right) : "null") + "]";
  }
  json += "], \"category\": " + std::to_string(category) +
          ", \"categoryText\": " + JsonString(CategoryText(category)) +
          ", \"retestText\": " + JsonString(retest) + ", \"deviationText\": " + JsonString(deviation) +
          ", \"thresholds\": [" + JsonInts(a.Threshold[0].data(), RecordSlotCount) + ", " +
          JsonInts(a.Threshold[1].data(), RecordSlotCount) + "], \"inaccurate\": [";
  const auto inaccurate = InaccurateSlots(a, minReversals);
  for (size_t i = 0; i < inaccurate.size(); ++i)
    json += (i > 0 ? ", [" : "[") + std::to_string(inaccurate[i].first) + ", " +
            std::to_string(inaccurate[i].second) + "]";
  json += "]}";
  io.out << json << "\n";
  return ExitOk;
}

const CommandRegistration Registration{
    {"results", "show the results of an audiogram file as the results window does", ResultsHelp, RunResults}};

}  // namespace

}  // namespace sonavel::cli
