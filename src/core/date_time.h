// Calendar dates and local date-times as the program handles them: proleptic Gregorian,
// with a day count in the classic desktop-date convention (day 0 = 30 December 1899).
#pragma once

#include <cstdint>

namespace sonavel {

struct Date {
  int32_t Year = 1960;
  int32_t Month = 1;
  int32_t Day = 1;

  friend bool operator==(const Date&, const Date&) = default;
};

struct LocalDateTime {
  Date Day;
  int32_t Hour = 0;
  int32_t Minute = 0;
  int32_t Second = 0;
  int32_t Millisecond = 0;

  friend bool operator==(const LocalDateTime&, const LocalDateTime&) = default;
};

bool IsLeapYear(int32_t year);
int32_t DaysInMonth(int32_t year, int32_t month);
// Years 1 to 9999, months 1 to 12, days within the month.
bool IsValidDate(int32_t year, int32_t month, int32_t day);
inline bool IsValidDate(const Date& d) { return IsValidDate(d.Year, d.Month, d.Day); }

// Whole days since 30 December 1899 (negative before it).
int64_t DaySerial(const Date& d);
Date DateFromSerial(int64_t serial);

// Days since 30 December 1899 with the time of day as the fraction.
double DateTimeSerial(const LocalDateTime& t);

}  // namespace sonavel
