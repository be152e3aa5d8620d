#include "results/results_summary.h"

#include <gtest/gtest.h>

namespace sonavel {
namespace {

void SetRow(PatientFile& a, int ear, int slot, std::vector<int32_t> levels, int32_t spread,
            int32_t threshold) {
  auto& row = a.Reverse[ear][slot];
  row[0] = static_cast<int32_t>(levels.size());
  for (size_t k = 0; k < levels.size(); ++k) row[k + 1] = levels[k];
  row[SpreadElement] = spread;
  a.Threshold[ear][slot] = threshold;
}

TEST(ResultsSummary, NameLineAndThresholdTable) {
  PersonalData p{"Müller", "Hans", "", "", Date{1970, 12, 31}, ""};
  EXPECT_EQ(ResultsNameLine(p, RegionalDeDe()), "Hans Müller 31.12.1970");
  EXPECT_EQ(ResultsNameLine(PersonalData{}, RegionalEnUs()), "  1/1/1960");

  PatientFile a;
  for (int r = 1; r <= 10; ++r) {
    a.Threshold[0][r] = 10 * r;
    a.Threshold[1][r] = r == 10 ? NoResult : 10 * r + 1;
  }
  a.Threshold[0][3] = NoResult;  // only the right ear: no row
  a.Threshold[0][11] = 5;        // the repeat slot is never a row
  const auto rows = ThresholdTableRows(a, DefaultFrequencyTable);
  ASSERT_EQ(rows.size(), 9u);
  EXPECT_EQ(rows[0].Frequency, 250);
  EXPECT_EQ(rows[0].Left, 10);
  EXPECT_EQ(rows[0].Right, 11);
  EXPECT_EQ(rows[2].Frequency, 1000);
  EXPECT_EQ(rows[8].Frequency, 8000);
  EXPECT_EQ(rows[8].Right, std::nullopt);
}

TEST(ResultsSummary, CategoryRetestAndDeviationTexts) {
  EXPECT_EQ(CategoryText(5), "Hörkategorie: 5");
  EXPECT_EQ(CategoryText(-1), "Hörkategorie kann nicht berechnet werden.");
  EXPECT_EQ(CategoryText(0), "Hörkategorie kann nicht berechnet werden.");

  PatientFile a;
  EXPECT_EQ(RetestText(a, DefaultFrequencyTable, 6),
            "Alle Ergebnisse liegen innerhalb der Toleranzgrenzen für Genauigkeit.");
  EXPECT_EQ(DeviationText(a), "");
  SetRow(a, 0, 6, {10, 30, 5, 25, 8, 18}, 12, 17);  // 2000 Hz, spread 12
  SetRow(a, 1, 2, {18, 24, 15, 21}, 3, 20);         // 500 Hz, 4 of 6 reversals
  SetRow(a, 0, 11, {20, 14, 17, 14, 17, 14}, 3, 15);
  EXPECT_EQ(RetestText(a, DefaultFrequencyTable, 6),
            "Testwiederholung emfohlen für die Frequenzen: 2000Hz (L); 500Hz (R); ");
  EXPECT_EQ(InaccurateSlots(a, 4), (std::vector<std::pair<int32_t, int32_t>>{{0, 6}}));

  // Without a first 1 kHz result there is nothing to deviate from.
  EXPECT_EQ(DeviationText(a), "");
  SetRow(a, 0, 4, {20, 26, 17, 23, 20, 26}, 3, 20);
  EXPECT_EQ(DeviationText(a),
            "Die Hörschwelle der Wiederholungsmessung bei 1kHz weicht von der ersten Messung um -5dB ab.");
  a.Threshold[0][4] = 15;
  EXPECT_EQ(DeviationText(a),
            "Die Hörschwelle der Wiederholungsmessung bei 1kHz weicht von der ersten Messung um 0dB ab.");
  a.Threshold[0][4] = -5;
  EXPECT_TRUE(DeviationText(a).ends_with(" um 20dB ab.")) << DeviationText(a);

  SetRow(a, 0, 11, {20}, 0, 0);  // the repeat slot is listed as 1000 Hz
  EXPECT_NE(RetestText(a, DefaultFrequencyTable, 6).find("1000Hz (L); 500Hz (R); "), std::string::npos);
}

TEST(ResultsSummary, MinReversalsIsTheWholeNumberInReverseEdit) {
  const std::pair<const char*, int32_t> cases[] = {{"6", 6}, {" 8 ", 8}, {"007", 7},
                                                   {"", 6},  {"abc", 6}, {"4.5", 6}};
  for (const auto& [text, expected] : cases) {
    SettingsRecord s;
    s.ReverseEdit = text;
    EXPECT_EQ(MinReversalsOf(s), expected) << text;
  }
}

}  // namespace
}  // namespace sonavel
