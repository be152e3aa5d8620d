#include "hearingtest/inputs.h"

#include <cmath>

#include "core/regional.h"
#include "core/rounding.h"
#include "model/audiogram.h"

namespace sonavel {

namespace {

std::string Refusal(const std::string& field, const std::string& text, const std::string& reason) {
  return "Ungültiger Testparameter \"" + field + "\": \"" + text + "\" " + reason +
         ". Bitte korrigieren Sie die Einstellungen; der Test wurde nicht gestartet.";
}

// Longest tone or pause a presentation may have: a minute of sound is already far beyond any
// hearing test, and keeps one presentation's buffer within a few tens of megabytes.
constexpr double MaxDuration = 60;
constexpr double MaxTestTime = 3600;

}  // namespace

TestInputsResult ReadTestInputs(const SettingsRecord& s, char decimalSeparator) {
  TestInputs in;
  const auto beep = ParseDecimal(s.BeepTimeEdit, decimalSeparator);
  if (!beep) return {std::nullopt, Refusal("Signaldauer", s.BeepTimeEdit, "ist keine Zahl")};
  if (!(*beep > 0 && *beep <= MaxDuration))
    return {std::nullopt, Refusal("Signaldauer", s.BeepTimeEdit, "liegt nicht zwischen 0 und 60 Sekunden")};
  const auto pause = ParseDecimal(s.PauseTimeEdit, decimalSeparator);
  if (!pause) return {std::nullopt, Refusal("Lückendauer", s.PauseTimeEdit, "ist keine Zahl")};
  if (!(*pause >= 0 && *pause <= MaxDuration))
    return {std::nullopt, Refusal("Lückendauer", s.PauseTimeEdit, "liegt nicht zwischen 0 und 60 Sekunden")};
  const auto step = ParseDecimal(s.LevelStep, decimalSeparator);
  if (!step || !std::isfinite(*step))
    return {std::nullopt, Refusal("Pegelschritt", s.LevelStep, "ist keine Zahl")};
  const auto start = ParseWholeNumber(s.LevelStart);
  if (!start) return {std::nullopt, Refusal("Anfangspegel", s.LevelStart, "ist keine ganze Zahl")};
  const auto testTime = ParseDecimal(s.TestTimeEdit, decimalSeparator);
  if (!testTime) return {std::nullopt, Refusal("Testdauer pro Frequenz", s.TestTimeEdit, "ist keine Zahl")};
  // The trace's pixel step divides by the rounded test time.
  if (!(RoundHalfEven(*testTime) >= 1 && *testTime <= MaxTestTime))
    return {std::nullopt,
            Refusal("Testdauer pro Frequenz", s.TestTimeEdit, "liegt nicht zwischen 1 und 3600 Sekunden")};
  const auto reversals = ParseWholeNumber(s.ReverseEdit);
  if (!reversals) return {std::nullopt, Refusal("Richtungswechsel", s.ReverseEdit, "ist keine ganze Zahl")};
  if (*reversals < 1 || *reversals > MaxReversalEntries)
    return {std::nullopt, Refusal("Richtungswechsel", s.ReverseEdit, "liegt nicht zwischen 1 und 20")};

  in.BeepTime = *beep;
  in.PauseTime = *pause;
  in.LevelStep = *step;
  in.LevelStart = *start;
  in.TestTime = *testTime;
  in.ReverseTarget = *reversals;
  in.Period = in.BeepTime + in.PauseTime;
  in.TracePixelStep = static_cast<int32_t>(RoundHalfEven(300.0 * in.Period) / RoundHalfEven(in.TestTime));
  return {in, ""};
}

}  // namespace sonavel
