#include "results/results_summary.h"

#include "results/analysis.h"

namespace sonavel {

std::string ResultsNameLine(const PersonalData& p, const RegionalFormat& regional) {
  return p.FirstName + " " + p.LastName + " " + FormatShortDate(regional, p.DateOfBirth);
}

std::vector<ThresholdRow> ThresholdTableRows(const PatientFile& a, const FrequencyTableType& table) {
  std::vector<ThresholdRow> rows;
  for (int32_t r = 0; r < RepeatRecordSlot; ++r) {
    if (!a.HasResult(LeftEar, r)) continue;
    ThresholdRow row{RecordSlotFrequency(table, r), a.Threshold[LeftEar][r], std::nullopt};
    if (a.HasResult(RightEar, r)) row.Right = a.Threshold[RightEar][r];
    rows.push_back(row);
  }
  return rows;
}

std::string CategoryText(int32_t category) {
  if (category > 0) return "Hörkategorie: " + std::to_string(category);
  return "Hörkategorie kann nicht berechnet werden.";
}

int32_t MinReversalsOf(const SettingsRecord& s) {
  return ParseWholeNumber(s.ReverseEdit).value_or(DefaultMinReversals);
}

std::vector<std::pair<int32_t, int32_t>> InaccurateSlots(const PatientFile& a, int32_t minReversals) {
  std::vector<std::pair<int32_t, int32_t>> slots;
  for (int32_t e = 0; e < EarCount; ++e)
    for (int32_t r = 0; r < RecordSlotCount; ++r)
      if (InaccurateResult(a, e, r, minReversals)) slots.emplace_back(e, r);
  return slots;
}

// The results window's list: every inaccurate result (too wide a spread or too few reversals),
// "Hz (L); " with a blank. The test procedure's end message lists only the spreads too wide,
// written "Hz(L); " (TestProcedure::RunTest); both are the system's texts.
std::string RetestText(const PatientFile& a, const FrequencyTableType& table, int32_t minReversals) {
  const auto slots = InaccurateSlots(a, minReversals);
  if (slots.empty()) return "Alle Ergebnisse liegen innerhalb der Toleranzgrenzen für Genauigkeit.";
  std::string text = "Testwiederholung emfohlen für die Frequenzen: ";
  for (const auto& [ear, slot] : slots)
    text += std::to_string(RecordSlotFrequency(table, slot)) + (ear == LeftEar ? "Hz (L); " : "Hz (R); ");
  return text;
}

std::string DeviationText(const PatientFile& a) {
  // Without a first 1 kHz result there is nothing to deviate from: the difference to the
  // NoResult marker would be shown as if it were a measured deviation.
  if (!a.HasResult(LeftEar, RepeatRecordSlot) || !a.HasResult(LeftEar, RecordSlot1000)) return "";
  const int64_t deviation =
      int64_t{a.Threshold[LeftEar][RepeatRecordSlot]} - a.Threshold[LeftEar][RecordSlot1000];
  return "Die Hörschwelle der Wiederholungsmessung bei 1kHz weicht von der ersten Messung um " +
         std::to_string(deviation) + "dB ab.";
}

}  // namespace sonavel
