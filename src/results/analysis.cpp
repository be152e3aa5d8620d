#include "results/analysis.h"

#include <cstdlib>

#include "core/rounding.h"

namespace sonavel {

const CategoryLimitTable CategoryLimits3 = {{
    {60, 66, 72, 78, 84, 90, 90, 90, 90, 90},
    {75, 87, 99, 111, 123, 135, 144, 144, 144, 144},
}};

const CategoryLimitTable CategoryLimits4 = {{
    {45, 45, 45, 48, 51, 54, 57, 60, 65, 70},
    {45, 45, 45, 54, 60, 66, 75, 87, 100, 115},
}};

int32_t ThresholdOfRow(const ReverseRow& row, bool Reject1st) {
  const int32_t n = row[0];
  const int32_t first = Reject1st ? 2 : 1;
  // A count above the row's 20 entries cannot come from a test; reading on would take the
  // spread and whatever follows for reversal levels.
  if (n <= 0 || n < first || n > MaxReversalEntries) return NoResult;
  int64_t sum = 0;
  for (int32_t k = first; k <= n; ++k) sum += row[k];
  return RoundHalfEven32(static_cast<double>(sum) / static_cast<double>(n - first + 1));
}

void CalcThreshold(PatientFile& Data, bool Reject1st) {
  for (int32_t e = 0; e < EarCount; ++e)
    for (int32_t r = 0; r < RecordSlotCount; ++r)
      Data.Threshold[e][r] = ThresholdOfRow(Data.Reverse[e][r], Reject1st);
}

int32_t Category(const PatientFile& audiogram, const Date& dateOfBirth, const RegionalFormat& regional,
                 const LocalDateTime& now) {
  int64_t L[2], H[2];
  for (int32_t e = 0; e < EarCount; ++e) {
    const auto& t = audiogram.Threshold[e];
    for (int32_t slot : {2, 4, 6, 7, 8, 9})
      if (t[slot] >= NoResult) return -1;
    L[e] = int64_t{t[2]} + t[4] + t[6];
    H[e] = int64_t{t[7]} + t[8] + t[9];
  }
  if (std::llabs(L[0] - L[1]) > 30 || std::llabs(H[0] - H[1]) > 45) return 2;

  double reference = DateTimeSerial(now);
  if (auto stamp =
          ReadDateText(audiogram.TestDateStamp, regional.DateSeparator, regional.Order, now.Day.Year))
    reference = static_cast<double>(DaySerial(*stamp));
  const int64_t days = RoundHalfEven(reference - static_cast<double>(DaySerial(dateOfBirth)));
  if (days < 0) return 0;
  const int64_t years = days / 365;
  int64_t column = years / 5 - 4;
  if (column > 9) column = 9;
  if (column < 0) column = 0;

  for (int32_t e = 0; e < EarCount; ++e)
    if (L[e] > CategoryLimits3[0][column] || H[e] > CategoryLimits3[1][column]) return 3;
  for (int32_t e = 0; e < EarCount; ++e)
    if (L[e] > CategoryLimits4[0][column] || H[e] > CategoryLimits4[1][column]) return 4;
  return 5;
}

bool InaccurateResult(const PatientFile& audiogram, int32_t ear, int32_t slot, int32_t minReversals) {
  const ReverseRow& row = audiogram.Reverse[ear][slot];
  if (row[0] <= 0) return false;
  if (SpreadTooWide(row)) return true;
  return row[0] < minReversals;
}

}  // namespace sonavel
