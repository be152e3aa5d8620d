#include "core/date_time.h"

namespace sonavel {

namespace {
// Days from 1 January 1970 for a proleptic Gregorian date (Howard Hinnant's algorithm).
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

constexpr int64_t Epoch1899 = -25569;  // 30 December 1899 counted from 1 January 1970
}  // namespace

bool IsLeapYear(int32_t year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int32_t DaysInMonth(int32_t year, int32_t month) {
  static constexpr int32_t days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

bool IsValidDate(int32_t year, int32_t month, int32_t day) {
  return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
         day <= DaysInMonth(year, month);
}

int64_t DaySerial(const Date& d) { return DaysFromCivil(d.Year, d.Month, d.Day) - Epoch1899; }

Date DateFromSerial(int64_t serial) {
  int64_t z = serial + Epoch1899 + 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  const int64_t d = doy - (153 * mp + 2) / 5 + 1;
  const int64_t m = mp < 10 ? mp + 3 : mp - 9;
  const int64_t y = yoe + era * 400 + (m <= 2);
  return Date{static_cast<int32_t>(y), static_cast<int32_t>(m), static_cast<int32_t>(d)};
}

double DateTimeSerial(const LocalDateTime& t) {
  const double fraction = (t.Hour * 3600.0 + t.Minute * 60.0 + t.Second + t.Millisecond / 1000.0) / 86400.0;
  return static_cast<double>(DaySerial(t.Day)) + fraction;
}

}  // namespace sonavel
