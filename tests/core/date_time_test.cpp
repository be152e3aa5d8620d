#include "core/date_time.h"

#include <gtest/gtest.h>

#include "core/rounding.h"

namespace sonavel {
namespace {

TEST(DateTime, SerialsFollowTheDesktopDateConvention) {
  struct Case {
    Date date;
    int64_t serial;
  } cases[] = {
      {{1899, 12, 30}, 0},    {{1900, 1, 1}, 2},     {{1960, 1, 1}, 21916}, {{1970, 1, 1}, 25569},
      {{2000, 2, 29}, 36585}, {{2018, 3, 7}, 43166}, {{1, 1, 1}, -693593},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DaySerial(c.date), c.serial) << c.date.Year << "-" << c.date.Month;
    EXPECT_EQ(DateFromSerial(c.serial), c.date);
  }
}

TEST(DateTime, ValidDates) {
  EXPECT_TRUE(IsValidDate(2024, 2, 29));
  EXPECT_FALSE(IsValidDate(2023, 2, 29));
  EXPECT_FALSE(IsValidDate(1900, 2, 29));
  EXPECT_TRUE(IsValidDate(2000, 2, 29));
  EXPECT_FALSE(IsValidDate(1970, 31, 12));
  EXPECT_FALSE(IsValidDate(0, 1, 1));
  EXPECT_FALSE(IsValidDate(10000, 1, 1));
}

TEST(DateTime, TimeOfDayIsTheFraction) {
  const LocalDateTime noon{{2018, 3, 7}, 12, 0, 0, 0};
  EXPECT_DOUBLE_EQ(DateTimeSerial(noon), 43166.5);
}

TEST(Rounding, HalvesGoToEven) {
  struct Case {
    double in;
    int64_t out;
  } cases[] = {{42.5, 42}, {43.5, 44}, {-2.5, -2}, {-3.5, -4}, {433.5, 434}, {0.49, 0}, {-0.51, -1}};
  for (const auto& c : cases) EXPECT_EQ(RoundHalfEven(c.in), c.out) << c.in;
  EXPECT_EQ(Truncate(2.9), 2);
  EXPECT_EQ(Truncate(-2.9), -2);
}

TEST(Rounding, OutOfRangeValuesSaturate) {
  EXPECT_EQ(RoundHalfEven32(1e12), INT32_MAX);
  EXPECT_EQ(RoundHalfEven32(-1e12), INT32_MIN);
  EXPECT_EQ(RoundHalfEven32(std::nan("")), 0);
}

}  // namespace
}  // namespace sonavel
