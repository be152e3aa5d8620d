// The analysis of an audiogram: thresholds from the reversal entries, the hearing category from
// age-dependent limit tables, and which results count as inaccurate.
#pragma once

#include <array>
#include <cstdint>

#include "core/date_time.h"
#include "core/regional.h"
#include "model/audiogram.h"

namespace sonavel {

// One row per band (0 = low: 500, 1000, 2000 Hz; 1 = high: 3000, 4000, 6000 Hz), one column per
// five years of age from 20 (column 9: 65 and over).
using CategoryLimitTable = std::array<std::array<int32_t, 10>, 2>;
extern const CategoryLimitTable CategoryLimits3;
extern const CategoryLimitTable CategoryLimits4;

// The threshold of one reversal row: the rounded mean of entries first..N (first = 2 when the
// first reversal is rejected). NoResult for a row without entries, for a row whose only entry
// is rejected, and for a count beyond the 20 entries a row can hold.
int32_t ThresholdOfRow(const ReverseRow& row, bool Reject1st);

// Rewrites all 24 thresholds from the reversal rows.
void CalcThreshold(PatientFile& Data, bool Reject1st);

// The hearing category: -1 when a threshold it needs is missing, 2 for an asymmetry between
// the ears, 3, 4 or 5 by the age limits, and 0 when the age cannot be computed (a date of birth
// after the reference date). The reference date is TestDateStamp read with the regional date
// settings, or `now` when it does not read as a date. A listener younger than 20 is judged by
// the limits of the 20-24 column.
int32_t Category(const PatientFile& audiogram, const Date& dateOfBirth, const RegionalFormat& regional,
                 const LocalDateTime& now);

// A result is inaccurate when something was measured and its spread is above SpreadLimit or it
// has fewer reversals than minReversals (the whole number held in ReverseEdit).
bool InaccurateResult(const PatientFile& audiogram, int32_t ear, int32_t slot, int32_t minReversals);

}  // namespace sonavel
