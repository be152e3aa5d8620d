#include "results/analysis.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace sonavel {
namespace {

ReverseRow Row(std::initializer_list<int32_t> levels, int32_t spread = 0) {
  ReverseRow row{};
  row[0] = static_cast<int32_t>(levels.size());
  int32_t k = 1;
  for (int32_t v : levels) row[k++] = v;
  row[SpreadElement] = spread;
  return row;
}

TEST(CalcThreshold, RoundedMeanOfTheCountedReversals) {
  struct Case {
    std::initializer_list<int32_t> levels;
    bool reject1st;
    int32_t threshold;
  } cases[] = {
      {{40, 45}, false, 42},         // 42.5 to even
      {{40, 45}, true, 45},          // the second reversal alone
      {{40, 50, 45, 50}, true, 48},  // 145 / 3 = 48.33
      {{43, 44}, false, 44},         // 43.5 to even
      {{-5, 0}, false, -2},          // -2.5 to even
      {{3, -39}, true, -39},
      {{3, -39}, false, -18},
      {{}, false, NoResult},
      {{}, true, NoResult},
      {{50}, true, NoResult},  // nothing left to average
      {{50}, false, 50},
  };
  for (const auto& c : cases) {
    PatientFile p;
    p.Reverse[1][4] = Row(c.levels);
    CalcThreshold(p, c.reject1st);
    EXPECT_EQ(p.Threshold[1][4], c.threshold) << "reject1st " << c.reject1st;
  }
}

TEST(CalcThreshold, TogglingRejectionRestoresThresholdsAndKeepsSpreads) {
  PatientFile p;
  p.Reverse[0][0] = Row({40, 50, 45, 50}, 5);
  p.Reverse[1][11] = Row({10, 20, 15, 25, 10, 20}, 10);
  p.Reverse[0][3] = Row({30, 20});
  p.Reverse[0][3][0] = 0;  // cleared: stale entries do not count
  CalcThreshold(p, true);
  const PatientFile rejected = p;
  CalcThreshold(p, false);
  EXPECT_EQ(p.Threshold[0][0], 46);  // 185 / 4 = 46.25
  CalcThreshold(p, true);
  EXPECT_EQ(p, rejected);
  EXPECT_EQ(p.Reverse[0][0][SpreadElement], 5);
  EXPECT_EQ(p.Reverse[1][11][SpreadElement], 10);
  EXPECT_EQ(p.Threshold[0][3], NoResult);
}

TEST(CalcThreshold, CountsBeyondTheRowGiveNoResult) {
  PatientFile p;
  p.Reverse[0][0][0] = 21;
  p.Reverse[0][1][0] = 2'000'000'000;
  p.Reverse[0][2][0] = -5;
  CalcThreshold(p, false);
  EXPECT_EQ(p.Threshold[0][0], NoResult);
  EXPECT_EQ(p.Threshold[0][1], NoResult);
  EXPECT_EQ(p.Threshold[0][2], NoResult);
}

// An audiogram with the given band sums, spread over the three slots of each band.
PatientFile Bands(int32_t low0, int32_t high0, int32_t low1, int32_t high1) {
  PatientFile p;
  const int32_t sums[2][2] = {{low0, high0}, {low1, high1}};
  for (int e = 0; e < 2; ++e) {
    for (int b = 0; b < 2; ++b) {
      const int32_t s = sums[e][b];
      const int first = b == 0 ? 2 : 7;
      const int second = b == 0 ? 4 : 8;
      const int third = b == 0 ? 6 : 9;
      p.Threshold[e][first] = s / 3;
      p.Threshold[e][second] = s / 3;
      p.Threshold[e][third] = s - 2 * (s / 3);
    }
  }
  p.TestDateStamp = "07-03-2018";
  return p;
}

const LocalDateTime Clock{{2018, 6, 1}, 12, 0, 0, 0};
const RegionalFormat DashDayFirst = MakeRegionalFormat("dash", "dd-MM-yyyy", "HH:mm:ss", ',');

// A date of birth that makes the listener `years` old on 7 March 2018, counting 365-day years.
Date BornYearsBefore(int years) { return DateFromSerial(DaySerial({2018, 3, 7}) - years * 365 - 10); }

TEST(Category, MissingThresholdsGiveMinusOne) {
  PatientFile p = Bands(30, 30, 30, 30);
  p.Threshold[1][9] = NoResult;  // 6000 Hz, right ear
  EXPECT_EQ(Category(p, BornYearsBefore(30), DashDayFirst, Clock), -1);
  p = Bands(30, 30, 30, 30);
  p.Threshold[0][2] = 1500;
  EXPECT_EQ(Category(p, BornYearsBefore(30), DashDayFirst, Clock), -1);
  // The other slots play no part.
  p = Bands(30, 30, 30, 30);
  for (int slot : {0, 1, 3, 5, 10, 11}) p.Threshold[0][slot] = NoResult;
  EXPECT_EQ(Category(p, BornYearsBefore(30), DashDayFirst, Clock), 5);
}

TEST(Category, AsymmetryLimitsAreStrict) {
  struct Case {
    int32_t low0, high0, low1, high1, category;
  } cases[] = {
      {30, 0, 60, 0, 5}, {30, 0, 61, 0, 2}, {61, 0, 30, 0, 2},
      {0, 30, 0, 75, 5}, {0, 30, 0, 76, 2}, {300, 300, 300, 300, 3},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Category(Bands(c.low0, c.high0, c.low1, c.high1), BornYearsBefore(70), DashDayFirst, Clock),
              c.category)
        << c.low0 << "/" << c.low1 << " " << c.high0 << "/" << c.high1;
}

TEST(Category, AgeLimits) {
  struct Case {
    int years;
    int32_t low, high, category;
  } cases[] = {
      {47, 90, 135, 4},  // at the limits of table 3, above those of table 4
      {47, 90, 136, 3}, {47, 91, 135, 3}, {47, 54, 66, 5},  // at the limits of table 4
      {47, 55, 66, 4},  {22, 45, 45, 5},  {22, 46, 45, 4},  {22, 60, 75, 4},
      {22, 61, 75, 3},  {64, 65, 100, 5}, {64, 66, 100, 4},  // column 8
      {65, 70, 115, 5}, {65, 71, 115, 4},                    // column 9
      {80, 70, 115, 5}, {80, 90, 144, 4}, {80, 90, 145, 3}, {12, 45, 45, 5},
      {12, 46, 45, 4},  // younger than 20: column 0
  };
  for (const auto& c : cases)
    EXPECT_EQ(Category(Bands(c.low, c.high, c.low, c.high), BornYearsBefore(c.years), DashDayFirst, Clock),
              c.category)
        << c.years << " years, L " << c.low << ", H " << c.high;
}

TEST(Category, ReferenceDateIsTheTestDateWhenItReads) {
  // 64 on the test date, 65 by the clock: the columns differ (65 vs 70 on the low band).
  const Date dob = DateFromSerial(DaySerial({2018, 3, 7}) - 64 * 365 - 100);
  const PatientFile p = Bands(68, 100, 68, 100);
  EXPECT_EQ(Category(p, dob, DashDayFirst, {{2019, 6, 1}, 12, 0, 0, 0}), 4);
  // With "." as the separator the stamp does not read; the clock counts.
  EXPECT_EQ(Category(p, dob, RegionalDeDe(), {{2019, 6, 1}, 12, 0, 0, 0}), 5);
  // Empty stamp: the clock counts too.
  PatientFile empty = p;
  empty.TestDateStamp.clear();
  EXPECT_EQ(Category(empty, dob, DashDayFirst, {{2019, 6, 1}, 12, 0, 0, 0}), 5);
  // Month first: 07-03-2018 is 3 July 2018.
  const RegionalFormat dashMonthFirst = MakeRegionalFormat("x", "MM-dd-yyyy", "HH:mm:ss", '.');
  const Date dob2 = DateFromSerial(DaySerial({2018, 5, 1}) - 65 * 365);
  EXPECT_EQ(Category(p, dob2, dashMonthFirst, Clock), 5);  // 65 on 3 July
  EXPECT_EQ(Category(p, dob2, DashDayFirst, Clock), 4);    // 64 on 7 March
}

TEST(Category, DateOfBirthAfterTheReferenceCannotBeComputed) {
  const PatientFile p = Bands(30, 30, 30, 30);
  EXPECT_EQ(Category(p, {2018, 3, 8}, DashDayFirst, Clock), 0);
  EXPECT_EQ(Category(p, {2018, 3, 7}, DashDayFirst, Clock), 5);
}

TEST(InaccurateResult, SpreadAndMissingReversals) {
  struct Case {
    int32_t count, spread, minReversals;
    bool inaccurate;
  } cases[] = {
      {3, 0, 6, true},    {6, 10, 6, false}, {6, 11, 6, true}, {0, 50, 6, false},
      {-1, 50, 6, false}, {2, 0, 2, false},  {6, 0, 7, true},
  };
  for (const auto& c : cases) {
    PatientFile p;
    p.Reverse[1][7][0] = c.count;
    p.Reverse[1][7][SpreadElement] = c.spread;
    EXPECT_EQ(InaccurateResult(p, 1, 7, c.minReversals), c.inaccurate)
        << c.count << " reversals, spread " << c.spread;
  }
}

}  // namespace
}  // namespace sonavel
