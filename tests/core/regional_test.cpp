#include "core/regional.h"

#include <gtest/gtest.h>

namespace sonavel {
namespace {

TEST(Regional, FixedProfiles) {
  const RegionalFormat de = RegionalDeDe();
  EXPECT_EQ(de.ShortDateFormat, "dd.MM.yyyy");
  EXPECT_EQ(de.DateSeparator, '.');
  EXPECT_EQ(de.Order, DateOrder::DayMonthYear);
  EXPECT_EQ(de.DecimalSeparator, ',');
  EXPECT_EQ(FormatShortDate(de, {1970, 12, 31}), "31.12.1970");
  EXPECT_EQ(FormatShortDate(de, {1960, 1, 1}), "01.01.1960");
  EXPECT_EQ(FormatLongTime(de, 9, 5, 7), "09:05:07");
  EXPECT_EQ(FormatLongTime(de, 14, 30, 0), "14:30:00");

  const RegionalFormat us = RegionalEnUs();
  EXPECT_EQ(us.DateSeparator, '/');
  EXPECT_EQ(us.Order, DateOrder::MonthDayYear);
  EXPECT_EQ(us.DecimalSeparator, '.');
  EXPECT_EQ(FormatShortDate(us, {1970, 12, 31}), "12/31/1970");
  EXPECT_EQ(FormatShortDate(us, {1970, 2, 1}), "2/1/1970");
  EXPECT_EQ(FormatLongTime(us, 9, 5, 7), "9:05:07 AM");
  EXPECT_EQ(FormatLongTime(us, 0, 0, 0), "12:00:00 AM");
  EXPECT_EQ(FormatLongTime(us, 14, 30, 0), "2:30:00 PM");

  EXPECT_FALSE(RegionalProfile("fr_FR").has_value());
  EXPECT_EQ(RegionalProfile("en_US")->ShortDateFormat, "M/d/yyyy");
}

TEST(Regional, ShortYearsAreWidenedToFourDigits) {
  struct Case {
    const char* pattern;
    const char* widened;
    char separator;
    DateOrder order;
    const char* written;  // 31 December 1920
  } cases[] = {
      {"dd.MM.yy", "dd.MM.yyyy", '.', DateOrder::DayMonthYear, "31.12.1920"},
      {"M/d/yy", "M/d/yyyy", '/', DateOrder::MonthDayYear, "12/31/1920"},
      {"yy-MM-dd", "yyyy-MM-dd", '-', DateOrder::YearMonthDay, "1920-12-31"},
      {"yyyy/M/d", "yyyy/M/d", '/', DateOrder::YearMonthDay, "1920/12/31"},
      {"d. M. yyyy", "d. M. yyyy", '.', DateOrder::DayMonthYear, "31. 12. 1920"},
  };
  for (const auto& c : cases) {
    const RegionalFormat f = MakeRegionalFormat("x", c.pattern, "HH:mm:ss", '.');
    EXPECT_EQ(f.ShortDateFormat, c.widened) << c.pattern;
    EXPECT_EQ(f.DateSeparator, c.separator) << c.pattern;
    EXPECT_EQ(f.Order, c.order) << c.pattern;
    EXPECT_EQ(FormatShortDate(f, {1920, 12, 31}), c.written) << c.pattern;
  }
}

TEST(Regional, ReadingADateText) {
  struct Case {
    const char* text;
    char separator;
    DateOrder order;
    std::optional<Date> expected;
  } cases[] = {
      {"07-03-2018", '-', DateOrder::DayMonthYear, Date{2018, 3, 7}},
      {"07-03-2018", '-', DateOrder::MonthDayYear, Date{2018, 7, 3}},
      {"07-03-2018", '.', DateOrder::DayMonthYear, std::nullopt},
      {"  31.12.1970", '.', DateOrder::DayMonthYear, Date{1970, 12, 31}},
      {"31.12.1970.", '.', DateOrder::DayMonthYear, Date{1970, 12, 31}},
      {"31.12.1970..", '.', DateOrder::DayMonthYear, std::nullopt},
      {"31..12.1970", '.', DateOrder::DayMonthYear, std::nullopt},
      {"31.12.1970 ", '.', DateOrder::DayMonthYear, std::nullopt},
      {"1.2.3.4", '.', DateOrder::DayMonthYear, std::nullopt},
      {"31.12", '.', DateOrder::DayMonthYear, Date{2024, 12, 31}},
      {"12/31", '/', DateOrder::MonthDayYear, Date{2024, 12, 31}},
      {"31", '.', DateOrder::DayMonthYear, std::nullopt},
      {"", '.', DateOrder::DayMonthYear, std::nullopt},
      {"30.02.2024", '.', DateOrder::DayMonthYear, std::nullopt},
      {"29.02.2024", '.', DateOrder::DayMonthYear, Date{2024, 2, 29}},
      {"1970/12/31", '/', DateOrder::YearMonthDay, Date{1970, 12, 31}},
      {"31.12.70", '.', DateOrder::DayMonthYear, Date{1970, 12, 31}},
      {"1.1.24", '.', DateOrder::DayMonthYear, Date{2024, 1, 1}},
      {"1.1.25", '.', DateOrder::DayMonthYear, Date{1925, 1, 1}},
      {"1.1.5", '.', DateOrder::DayMonthYear, Date{2005, 1, 1}},
      {"1.1.195", '.', DateOrder::DayMonthYear, Date{195, 1, 1}},
      {"1.1.0000", '.', DateOrder::DayMonthYear, std::nullopt},
      {"1.1.19700", '.', DateOrder::DayMonthYear, std::nullopt},
      {"99999999999.1.1970", '.', DateOrder::DayMonthYear, std::nullopt},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ReadDateText(c.text, c.separator, c.order, 2024), c.expected) << '"' << c.text << '"';
}

TEST(Regional, DateOfBirthFromTextTriesTheRegionalSettingsThenDayFirstThenMonthFirst) {
  const RegionalFormat de = RegionalDeDe();
  const RegionalFormat us = RegionalEnUs();
  const RegionalFormat isoSlash = MakeRegionalFormat("iso", "yyyy/MM/dd", "HH:mm:ss", '.');
  const RegionalFormat isoDash = MakeRegionalFormat("iso", "yyyy-MM-dd", "HH:mm:ss", '.');
  struct Case {
    const char* text;
    const RegionalFormat* regional;
    std::optional<Date> expected;
  } cases[] = {
      {"31.12.1970", &de, Date{1970, 12, 31}},  // attempt 2
      {"12/31/1970", &de, Date{1970, 12, 31}},  // no month 31: attempt 3
      {"1/2/1970", &de, Date{1970, 2, 1}},      // written month first, read day first
      {"1/2/1970", &us, Date{1970, 1, 2}},      // attempt 1 with "/"
      {"31.12.1970", &us, Date{1970, 12, 31}},
      {"1970-12-31", &isoSlash, Date{1970, 12, 31}},
      {"1970-12-31", &isoDash, std::nullopt},  // normalised to "/", which the regional reading lacks
      {"1970-12-31", &de, std::nullopt},
      {"31.12.70", &de, Date{1970, 12, 31}},
      {"garbage", &de, std::nullopt},
      {" 31.12.1970", &de, std::nullopt},  // the blank becomes "/" too
  };
  for (const auto& c : cases)
    EXPECT_EQ(DateOfBirthFromText(c.text, *c.regional, 2024), c.expected)
        << c.text << " in " << c.regional->ShortDateFormat;
}

TEST(Regional, WrittenDatesOfBirthReadBackInEveryProfile) {
  for (const RegionalFormat& f : {RegionalDeDe(), RegionalEnUs()}) {
    for (const Date d : {Date{1920, 12, 31}, Date{1960, 1, 1}, Date{2001, 2, 3}}) {
      EXPECT_EQ(DateOfBirthFromText(FormatShortDate(f, d), f, 2026), d) << f.Name;
    }
  }
}

TEST(Regional, Numbers) {
  struct Case {
    const char* text;
    char sep;
    std::optional<double> expected;
  } cases[] = {
      {"1", ',', 1.0},
      {"0,5", ',', 0.5},
      {"0.5", ',', std::nullopt},
      {"0.5", '.', 0.5},
      {" 2,25 ", ',', 2.25},
      {"-3", ',', -3.0},
      {"+3", ',', 3.0},
      {",5", ',', 0.5},
      {"5,", ',', 5.0},
      {"", ',', std::nullopt},
      {",", ',', std::nullopt},
      {"1e2", '.', 100.0},
      {"1e", '.', std::nullopt},
      {"1,2,3", ',', std::nullopt},
      {"abc", '.', std::nullopt},
      {"1 000", ',', std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseDecimal(c.text, c.sep), c.expected) << c.text;

  EXPECT_EQ(ParseWholeNumber("6"), 6);
  EXPECT_EQ(ParseWholeNumber(" -10 "), -10);
  EXPECT_EQ(ParseWholeNumber("+4"), 4);
  EXPECT_EQ(ParseWholeNumber("+-4"), std::nullopt);
  EXPECT_EQ(ParseWholeNumber("2.5"), std::nullopt);
  EXPECT_EQ(ParseWholeNumber(""), std::nullopt);
  EXPECT_EQ(ParseWholeNumber("99999999999"), std::nullopt);

  EXPECT_EQ(FormatDecimal(0.5, ','), "0,5");
  EXPECT_EQ(FormatDecimal(3, ','), "3");
}

TEST(RegionalFormat, TheDesktopsLongTimeFormatLosesItsTimeZone) {
  const struct {
    const char* qtPattern;
    const char* expected;
  } cases[] = {
      {"HH:mm:ss t", "HH:mm:ss"},
      {"h:mm:ss AP t", "h:mm:ss AP"},
      {"HH:mm:ss", "HH:mm:ss"},
      {"HH 'Uhr' mm t", "HH 'Uhr' mm"},
  };
  for (const auto& c : cases) EXPECT_EQ(LongTimePatternWithoutZone(c.qtPattern), c.expected) << c.qtPattern;
}

}  // namespace
}  // namespace sonavel
