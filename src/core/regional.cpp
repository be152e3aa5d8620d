#include "core/regional.h"

#include <charconv>
#include <cstdio>
#include <vector>

namespace sonavel {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

std::string TwoDigits(int32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d", static_cast<int>(v));
  return buf;
}

// Splits a pattern into runs of the same letter (tokens) and literal characters.
template <typename Emit>
void ForEachPatternToken(std::string_view pattern, Emit emit) {
  size_t i = 0;
  while (i < pattern.size()) {
    const char c = pattern[i];
    size_t j = i + 1;
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (letter)
      while (j < pattern.size() && pattern[j] == c) ++j;
    emit(pattern.substr(i, j - i), letter);
    i = j;
  }
}

struct Group {
  int64_t value;
  size_t digits;
};

}  // namespace

RegionalFormat MakeRegionalFormat(std::string name, std::string_view shortDatePattern,
                                  std::string_view longTimePattern, char decimalSeparator) {
  RegionalFormat f;
  f.Name = std::move(name);
  f.LongTimeFormat = std::string(longTimePattern);
  f.DecimalSeparator = decimalSeparator;

  std::string widened;
  std::vector<char> fieldOrder;
  bool separatorFound = false;
  ForEachPatternToken(shortDatePattern, [&](std::string_view tok, bool letter) {
    if (letter && (tok[0] == 'y' || tok[0] == 'Y')) {
      widened += "yyyy";
      fieldOrder.push_back('y');
      return;
    }
    if (letter && tok[0] == 'd') fieldOrder.push_back('d');
    if (letter && tok[0] == 'M') fieldOrder.push_back('M');
    if (!letter && !separatorFound && tok[0] != ' ' && !fieldOrder.empty()) {
      f.DateSeparator = tok[0];
      separatorFound = true;
    }
    widened += tok;
  });
  f.ShortDateFormat = widened;
  if (!fieldOrder.empty() && fieldOrder[0] == 'y')
    f.Order = DateOrder::YearMonthDay;
  else if (!fieldOrder.empty() && fieldOrder[0] == 'M')
    f.Order = DateOrder::MonthDayYear;
  else
    f.Order = DateOrder::DayMonthYear;
  return f;
}

RegionalFormat RegionalDeDe() { return MakeRegionalFormat("de_DE", "dd.MM.yyyy", "HH:mm:ss", ','); }

RegionalFormat RegionalEnUs() { return MakeRegionalFormat("en_US", "M/d/yyyy", "h:mm:ss AP", '.'); }

std::optional<RegionalFormat> RegionalProfile(std::string_view name) {
  if (name == "de_DE") return RegionalDeDe();
  if (name == "en_US") return RegionalEnUs();
  return std::nullopt;
}

std::string FormatShortDate(const RegionalFormat& format, const Date& date) {
  std::string out;
  ForEachPatternToken(format.ShortDateFormat, [&](std::string_view tok, bool letter) {
    if (!letter) {
      out += tok;
    } else if (tok[0] == 'd') {
      out += tok.size() >= 2 ? TwoDigits(date.Day) : std::to_string(date.Day);
    } else if (tok[0] == 'M') {
      out += tok.size() >= 2 ? TwoDigits(date.Month) : std::to_string(date.Month);
    } else if (tok[0] == 'y') {
      char buf[16];
      std::snprintf(buf, sizeof buf, "%04d", static_cast<int>(date.Year));
      out += buf;
    } else {
      out += tok;
    }
  });
  return out;
}

std::string FormatLongTime(const RegionalFormat& format, int32_t hour, int32_t minute, int32_t second) {
  const bool twelveHour = format.LongTimeFormat.find("AP") != std::string::npos ||
                          format.LongTimeFormat.find("ap") != std::string::npos;
  std::string out;
  ForEachPatternToken(format.LongTimeFormat, [&](std::string_view tok, bool letter) {
    if (!letter) {
      out += tok;
      return;
    }
    const bool two = tok.size() >= 2;
    switch (tok[0]) {
      case 'h':
      case 'H': {
        int32_t h = hour;
        if (twelveHour && tok[0] == 'h') h = hour % 12 == 0 ? 12 : hour % 12;
        out += two ? TwoDigits(h) : std::to_string(h);
        break;
      }
      case 'm':
        out += two ? TwoDigits(minute) : std::to_string(minute);
        break;
      case 's':
        out += two ? TwoDigits(second) : std::to_string(second);
        break;
      case 'A':
      case 'a': {
        // "AP" and "ap" are two different letters, so each arrives as its own token.
        if (tok[0] == 'A' || tok[0] == 'a') {
          const bool upper = tok[0] == 'A';
          out += hour < 12 ? (upper ? "AM" : "am") : (upper ? "PM" : "pm");
        }
        break;
      }
      case 'P':
      case 'p':
        break;  // consumed together with the preceding A
      default:
        out += tok;
    }
  });
  return out;
}

std::optional<Date> ReadDateText(std::string_view text, char separator, DateOrder order,
                                 int32_t currentYear) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  std::vector<Group> groups;
  while (true) {
    if (i >= text.size() || !IsDigit(text[i])) return std::nullopt;
    Group g{0, 0};
    while (i < text.size() && IsDigit(text[i])) {
      if (g.digits < 9)
        g.value = g.value * 10 + (text[i] - '0');
      else
        g.value = 1'000'000'000;  // far outside any field's range
      ++g.digits;
      ++i;
    }
    groups.push_back(g);
    if (i == text.size()) break;
    if (text[i] != separator) return std::nullopt;
    ++i;                          // the separator
    if (i == text.size()) break;  // one trailing separator
    if (groups.size() == 3) return std::nullopt;
  }
  if (groups.size() < 2 || groups.size() > 3) return std::nullopt;

  Group day{}, month{}, year{};
  bool haveYear = groups.size() == 3;
  if (haveYear) {
    switch (order) {
      case DateOrder::DayMonthYear:
        day = groups[0], month = groups[1], year = groups[2];
        break;
      case DateOrder::MonthDayYear:
        month = groups[0], day = groups[1], year = groups[2];
        break;
      case DateOrder::YearMonthDay:
        year = groups[0], month = groups[1], day = groups[2];
        break;
    }
  } else {
    if (order == DateOrder::DayMonthYear)
      day = groups[0], month = groups[1];
    else
      month = groups[0], day = groups[1];
  }

  int64_t y = currentYear;
  if (haveYear) {
    if (year.digits <= 2) {
      y = currentYear - currentYear % 100 + year.value;
      if (y > currentYear) y -= 100;
    } else if (year.digits <= 4) {
      y = year.value;
    } else {
      return std::nullopt;
    }
  }
  if (day.value > 31 || month.value > 12 || y < 1 || y > 9999) return std::nullopt;
  const Date d{static_cast<int32_t>(y), static_cast<int32_t>(month.value), static_cast<int32_t>(day.value)};
  if (!IsValidDate(d)) return std::nullopt;
  return d;
}

std::string NormaliseDateText(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (!IsDigit(c)) c = '/';
  return out;
}

std::optional<Date> DateOfBirthFromText(std::string_view text, const RegionalFormat& format,
                                        int32_t currentYear) {
  // The normalised text holds no character other than digits and "/", so the first
  // reading can only succeed when the regional separator is "/".
  const std::string normalised = NormaliseDateText(text);
  if (auto d = ReadDateText(normalised, format.DateSeparator, format.Order, currentYear)) return d;
  if (auto d = ReadDateText(normalised, '/', DateOrder::DayMonthYear, currentYear)) return d;
  return ReadDateText(normalised, '/', DateOrder::MonthDayYear, currentYear);
}

std::optional<double> ParseDecimal(std::string_view text, char decimalSeparator) {
  text = TrimBlanks(text);
  std::string plain;
  size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    if (text[i] == '-') plain.push_back('-');
    ++i;
  }
  size_t digits = 0;
  bool separatorSeen = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (IsDigit(c)) {
      plain.push_back(c);
      ++digits;
    } else if (c == decimalSeparator && !separatorSeen) {
      plain.push_back('.');
      separatorSeen = true;
    } else {
      break;
    }
  }
  if (digits == 0) return std::nullopt;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    plain.push_back('e');
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) plain.push_back(text[i++]);
    size_t expDigits = 0;
    while (i < text.size() && IsDigit(text[i])) {
      plain.push_back(text[i++]);
      ++expDigits;
    }
    if (expDigits == 0) return std::nullopt;
  }
  if (i != text.size()) return std::nullopt;
  double value = 0;
  const auto [ptr, ec] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
  if (ec != std::errc() || ptr != plain.data() + plain.size()) return std::nullopt;
  return value;
}

std::optional<int32_t> ParseWholeNumber(std::string_view text) {
  text = TrimBlanks(text);
  if (!text.empty() && text.front() == '+') {
    text.remove_prefix(1);
    if (!text.empty() && text.front() == '-') return std::nullopt;
  }
  if (text.empty()) return std::nullopt;
  int32_t value = 0;
  const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || ptr != text.data() + text.size()) return std::nullopt;
  return value;
}

std::string FormatDecimal(double value, char decimalSeparator) {
  char buf[64];
  const auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, value);
  std::string out(buf, ec == std::errc() ? ptr : buf);
  for (char& c : out)
    if (c == '.') c = decimalSeparator;
  return out;
}

std::string LongTimePatternWithoutZone(const std::string& pattern) {
  std::string out;
  bool quoted = false;
  for (size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    if (c == '\'') quoted = !quoted;
    if (!quoted && c == 't') {
      while (!out.empty() && out.back() == ' ') out.pop_back();
      continue;
    }
    out += c;
  }
  return out;
}

}  // namespace sonavel
