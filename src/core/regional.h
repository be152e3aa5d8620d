// The user's regional formats: the short date format with its separator and field order,
// the long time format and the decimal separator, plus reading a date or a number written
// in them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/date_time.h"

namespace sonavel {

enum class DateOrder { DayMonthYear, MonthDayYear, YearMonthDay };

struct RegionalFormat {
  std::string Name;             // "de_DE"
  std::string ShortDateFormat;  // pattern letters d, dd, M, MM, yyyy; anything else is literal
  char DateSeparator = '.';
  DateOrder Order = DateOrder::DayMonthYear;
  std::string LongTimeFormat;  // pattern letters h, hh, H, HH, m, mm, s, ss, AP, ap
  char DecimalSeparator = ',';
};

// Builds a format from a locale's patterns. The separator and the field order are taken from
// the short date pattern. A short year ("yy") is widened to four digits: a date of birth
// written with two digits would come back in the wrong century once it lies more than 99
// years back.
RegionalFormat MakeRegionalFormat(std::string name, std::string_view shortDatePattern,
                                  std::string_view longTimePattern, char decimalSeparator);

// A long time pattern of the desktop without its time-zone field ("HH:mm:ss t" -> "HH:mm:ss"):
// the user's long time format carries none, and a zone letter would land in files.
std::string LongTimePatternWithoutZone(const std::string& pattern);

// The fixed profiles: de_DE (dd.MM.yyyy, HH:mm:ss, ",") and en_US (M/d/yyyy, h:mm:ss AP, ".").
RegionalFormat RegionalDeDe();
RegionalFormat RegionalEnUs();
std::optional<RegionalFormat> RegionalProfile(std::string_view name);

std::string FormatShortDate(const RegionalFormat& format, const Date& date);
std::string FormatLongTime(const RegionalFormat& format, int32_t hour, int32_t minute, int32_t second);

// Reads a date written as two or three groups of digits joined by single `separator`
// characters, after optional leading blanks and before one optional trailing separator.
// Three groups are taken in `order`; two groups are day and month (in `order`) of
// `currentYear`. One- and two-digit years fall in currentYear - 99 .. currentYear.
std::optional<Date> ReadDateText(std::string_view text, char separator, DateOrder order, int32_t currentYear);

// Every character that is not a digit becomes "/".
std::string NormaliseDateText(std::string_view text);

// A date of birth stored as text: normalised, then read with the regional settings, then as
// d/m/y, then as m/d/y; the first reading that succeeds wins.
std::optional<Date> DateOfBirthFromText(std::string_view text, const RegionalFormat& format,
                                        int32_t currentYear);

// A decimal number typed in the regional format: blanks around it, an optional sign, digits
// with at most one decimal separator, an optional exponent.
std::optional<double> ParseDecimal(std::string_view text, char decimalSeparator);

// A whole number: blanks around it, an optional sign, digits; it must fit 32 bits.
std::optional<int32_t> ParseWholeNumber(std::string_view text);

// A number as the user reads it: the shortest text that reads back as the same double, with
// the regional decimal separator.
std::string FormatDecimal(double value, char decimalSeparator);

}  // namespace sonavel
