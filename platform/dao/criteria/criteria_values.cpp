#include "platform/dao/criteria/criteria_values.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace dao::criteria::detail {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
char asciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

std::string_view trimBlanks(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

// Days from 1970-01-01 to the given civil date (proleptic Gregorian).
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

bool isLeapYear(std::int64_t y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

unsigned daysInMonth(std::int64_t y, unsigned m) {
  static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return (m == 2 && isLeapYear(y)) ? 29 : kDays[m - 1];
}

double roundToMilliseconds(double days) {
  return std::round(days * 86'400'000.0) / 86'400'000.0;
}

class DateScanner {
 public:
  explicit DateScanner(std::string_view s) : s_(s) {}

  bool atEnd() const { return pos_ >= s_.size(); }
  char peek() const { return atEnd() ? '\0' : s_[pos_]; }
  bool accept(char c) {
    if (peek() != c) return false;
    ++pos_;
    return true;
  }
  bool skipBlanks() {
    const std::size_t start = pos_;
    while (!atEnd() && isBlank(s_[pos_])) ++pos_;
    return pos_ > start;
  }
  // Unsigned decimal of 1 to maxDigits digits; `digits` receives the count.
  std::optional<std::int64_t> number(int maxDigits, int& digits) {
    std::int64_t value = 0;
    digits = 0;
    while (!atEnd() && isDigit(s_[pos_])) {
      if (++digits > maxDigits) return std::nullopt;
      value = value * 10 + (s_[pos_++] - '0');
    }
    if (digits == 0) return std::nullopt;
    return value;
  }
  bool acceptWord(std::string_view word) {
    if (s_.size() - pos_ < word.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
      if (asciiUpper(s_[pos_ + i]) != word[i]) return false;
    }
    pos_ += word.size();
    return true;
  }

 private:
  std::string_view s_;
  std::size_t pos_ = 0;
};

// Parses the date part; the scanner stands at its first digit.
std::optional<std::int64_t> parseDatePart(DateScanner& sc) {
  int d1 = 0, d2 = 0, d3 = 0;
  const auto n1 = sc.number(4, d1);
  const char sep = sc.peek();
  if (!n1 || (sep != '/' && sep != '-')) return std::nullopt;
  sc.accept(sep);
  const auto n2 = sc.number(2, d2);
  if (!n2 || !sc.accept(sep)) return std::nullopt;
  const auto n3 = sc.number(4, d3);
  if (!n3) return std::nullopt;
  std::int64_t year = 0, month = 0, day = 0;
  if (d1 == 4) {
    if (d3 > 2) return std::nullopt;
    year = *n1, month = *n2, day = *n3;
  } else {
    if (d1 > 2) return std::nullopt;
    month = *n1, day = *n2, year = *n3;
    if (d3 <= 2) year += year < 30 ? 2000 : 1900;
  }
  if (year < 100 || month < 1 || month > 12 || day < 1 ||
      day > daysInMonth(year, static_cast<unsigned>(month))) {
    return std::nullopt;
  }
  return daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) -
         daysFromCivil(1899, 12, 30);
}

// Parses "h:mm[:ss[.fff]] [AM|PM]" into seconds since midnight.
std::optional<double> parseTimePart(DateScanner& sc) {
  int digits = 0;
  const auto hour = sc.number(2, digits);
  if (!hour || !sc.accept(':')) return std::nullopt;
  const auto minute = sc.number(2, digits);
  if (!minute || digits != 2 || *minute > 59) return std::nullopt;
  double second = 0;
  if (sc.accept(':')) {
    const auto s = sc.number(2, digits);
    if (!s || digits != 2 || *s > 59) return std::nullopt;
    second = static_cast<double>(*s);
    if (sc.accept('.')) {
      const auto fraction = sc.number(9, digits);
      if (!fraction) return std::nullopt;
      second += static_cast<double>(*fraction) / std::pow(10.0, digits);
    }
  }
  std::int64_t h = *hour;
  sc.skipBlanks();
  const bool am = sc.acceptWord("AM");
  const bool pm = !am && sc.acceptWord("PM");
  if (am || pm) {
    if (h < 1 || h > 12) return std::nullopt;
    h = (h % 12) + (pm ? 12 : 0);
  } else if (h > 23) {
    return std::nullopt;
  }
  return static_cast<double>(h * 3600 + *minute * 60) + second;
}

}  // namespace

std::optional<NumberValue> parseNumber(std::string_view text) {
  text = trimBlanks(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  // Check the shape first: from_chars would also take "inf", "nan" and hex.
  std::size_t i = 0, intDigits = 0, fracDigits = 0;
  while (i < text.size() && isDigit(text[i])) ++i, ++intDigits;
  bool integral = true;
  if (i < text.size() && text[i] == '.') {
    integral = false;
    ++i;
    while (i < text.size() && isDigit(text[i])) ++i, ++fracDigits;
  }
  if (intDigits + fracDigits == 0) return std::nullopt;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    integral = false;
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t expDigits = 0;
    while (i < text.size() && isDigit(text[i])) ++i, ++expDigits;
    if (expDigits == 0) return std::nullopt;
  }
  if (i != text.size()) return std::nullopt;

  NumberValue result;
  if (integral) {
    std::uint64_t magnitude = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), magnitude);
    if (ec == std::errc() && end == text.data() + text.size() &&
        magnitude <= static_cast<std::uint64_t>(INT64_MAX) + (negative ? 1u : 0u)) {
      result.integer = negative ? static_cast<std::int64_t>(0 - magnitude)
                                : static_cast<std::int64_t>(magnitude);
      return result;
    }
  }
  double value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  result.isInteger = false;
  result.real = negative ? -value : value;
  return result;
}

std::optional<double> parseDayNumber(std::string_view text) {
  DateScanner sc(text);
  sc.skipBlanks();
  if (sc.atEnd()) return std::nullopt;

  // A time alone starts with one or two digits and a colon; look ahead on a copy.
  DateScanner probe = sc;
  int digits = 0;
  const bool timeOnly = probe.number(2, digits).has_value() && probe.peek() == ':';

  std::int64_t days = 0;
  double seconds = 0;
  if (timeOnly) {
    const auto t = parseTimePart(sc);
    if (!t) return std::nullopt;
    seconds = *t;
  } else {
    const auto d = parseDatePart(sc);
    if (!d) return std::nullopt;
    days = *d;
    const bool separated = sc.accept('T') || sc.skipBlanks();
    if (separated && !sc.atEnd()) {
      const auto t = parseTimePart(sc);
      if (!t) return std::nullopt;
      seconds = *t;
    }
  }
  sc.skipBlanks();
  if (!sc.atEnd()) return std::nullopt;
  return roundToMilliseconds(static_cast<double>(days) + seconds / 86'400.0);
}

double dayNumberFromOleDate(double oleDate) {
  if (oleDate < 0) {
    const double whole = std::trunc(oleDate);
    oleDate = whole + (whole - oleDate);  // -1.25 (29 Dec 1899, 06:00) -> -0.75
  }
  return roundToMilliseconds(oleDate);
}

std::optional<std::string> canonicalGuid(std::string_view text) {
  text = trimBlanks(text);
  if (text.size() == 38 && text.front() == '{' && text.back() == '}') {
    text = text.substr(1, 36);
  }
  if (text.size() != 36) return std::nullopt;
  std::string out = "{";
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const bool hyphenPlace = i == 8 || i == 13 || i == 18 || i == 23;
    if (hyphenPlace) {
      if (c != '-') return std::nullopt;
    } else if (!(isDigit(c) || (asciiUpper(c) >= 'A' && asciiUpper(c) <= 'F'))) {
      return std::nullopt;
    }
    out.push_back(asciiUpper(c));
  }
  out.push_back('}');
  return out;
}

std::string guidFromBytes(const unsigned char* b) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  // Byte order of the text: Data1, Data2 and Data3 little-endian, Data4 as stored.
  static constexpr int kOrder[] = {3, 2, 1, 0, -1, 5, 4, -1, 7, 6, -1, 8, 9, -1,
                                   10, 11, 12, 13, 14, 15};
  std::string out = "{";
  for (int index : kOrder) {
    if (index < 0) {
      out.push_back('-');
      continue;
    }
    out.push_back(kHex[b[index] >> 4]);
    out.push_back(kHex[b[index] & 0x0F]);
  }
  out.push_back('}');
  return out;
}

}  // namespace dao::criteria::detail
