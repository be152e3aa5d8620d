#include "cli/cli_support.h"

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <ctime>

#include "core/error.h"
#include "files/audiogram_file.h"

namespace sonavel::cli {

namespace {

std::optional<RegionalFormat> ProfileOfLocaleName(const char* value) {
  if (value == nullptr) return std::nullopt;
  std::string name(value);
  name = name.substr(0, name.find_first_of(".@"));
  return RegionalProfile(name);
}

}  // namespace

RegionalFormat RegionalFromOptions(const Options& options) {
  if (const auto locale = options.Value("locale")) {
    auto profile = RegionalProfile(*locale);
    if (!profile) throw UsageError("option --locale: \"" + *locale + "\" is not de_DE or en_US");
    return *profile;
  }
  for (const char* variable : {"LC_ALL", "LC_TIME"}) {
    const char* value = std::getenv(variable);
    if (value == nullptr || *value == '\0') continue;
    return ProfileOfLocaleName(value).value_or(RegionalDeDe());
  }
  return RegionalDeDe();
}

LocalDateTime LocalNow() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t t = std::chrono::system_clock::to_time_t(now);
  std::tm tm{};
  localtime_r(&t, &tm);
  LocalDateTime d;
  d.Day = {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday};
  d.Hour = tm.tm_hour;
  d.Minute = tm.tm_min;
  d.Second = tm.tm_sec;
  return d;
}

LocalDateTime ClockFromOptions(const Options& options) {
  const auto today = options.Value("today");
  if (!today) return LocalNow();
  bool shaped = today->size() == 10;
  for (size_t i = 0; shaped && i < 10; ++i)
    shaped = (i == 4 || i == 7) ? (*today)[i] == '-' : ((*today)[i] >= '0' && (*today)[i] <= '9');
  const auto date = shaped ? ReadDateText(*today, '-', DateOrder::YearMonthDay, 2000) : std::nullopt;
  if (!date) throw UsageError("option --today: \"" + *today + "\" is not a date YYYY-MM-DD");
  LocalDateTime d;
  d.Day = *date;
  return d;
}

namespace {

// A file that is not of its kind is bad input named by its file; a file that cannot be read
// at all already names itself in the reader's text.
template <typename Read>
void ReadInput(const std::string& file, const char* invalidText, Read read) {
  try {
    read();
  } catch (const SonavelError& e) {
    if (std::string(e.what()) == invalidText) throw UsageError(file + ": " + invalidText);
    throw;
  }
}

}  // namespace

void ReadAudiogramInput(const std::string& file, AppState& state, const RegionalFormat& regional,
                        const LocalDateTime& now) {
  ReadInput(file, InvalidAudiogramText, [&] { ReadFile(file, state, regional, now.Day.Year); });
}

void ReadCalibrationInput(const std::string& file, AppState& state, CalibrationHeader& header) {
  ReadInput(file, InvalidCalibrationText, [&] { ReadCal(file, state, header); });
}

std::string JsonInts(const int32_t* values, size_t count) {
  std::string out = "[";
  for (size_t i = 0; i < count; ++i) out += (i ? ", " : "") + std::to_string(values[i]);
  return out + "]";
}

std::string JsonCalibrationEntries(const CalibrationTable& table) {
  std::string json = "[";
  for (int32_t e = 0; e < EarCount; ++e) {
    json += e > 0 ? ", [" : "[";
    for (int32_t k = 1; k <= MeasuredSlotCount; ++k) {
      const CalibrationEntry& c = table[e][k];
      json += (k > 1 ? ", " : "") + std::string("{\"WaveLevel\": ") + std::to_string(c.WaveLevel) +
              ", \"MasterLevel\": " + std::to_string(c.MasterLevel) +
              ", \"GainLevel\": " + std::to_string(c.GainLevel) +
              ", \"LevelOffset\": " + JsonDouble(c.LevelOffset) + "}";
    }
    json += "]";
  }
  return json + "]";
}

std::string JsonDouble(double value) {
  if (std::isnan(value)) return "\"NaN\"";
  if (std::isinf(value)) return value > 0 ? "\"Infinity\"" : "\"-Infinity\"";
  return FormatDecimal(value, '.');
}

}  // namespace sonavel::cli
