#pragma once
// Literal values of the criteria language (numbers, #dates#, GUIDs) and the
// conversions that let stored values be compared with them.
//
// Dates are compared as "day numbers": days since 30 December 1899 (the
// engine's date origin), on one continuous scale with the time of day as the
// fraction, also before the origin, rounded to whole milliseconds so that a
// date written as text and the same date kept as a number compare equal.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace dao::criteria::detail {

struct NumberValue {
  bool isInteger = true;
  std::int64_t integer = 0;
  double real = 0.0;  // the value when !isInteger
};

// A decimal number with optional sign, fraction and exponent ("12", "-1.5",
// "2.5E-3"); blanks around it are allowed. Integers too large for 64 bits
// become reals. Anything else, and values out of range, give nullopt.
std::optional<NumberValue> parseNumber(std::string_view text);

// Dates and times as written between # in criteria ("12/31/2020",
// "2020-12-31 10:00:00", "10:30 PM", "1/2/20"): month/day/year unless the
// first number has four digits (then year-month-day); two-digit years 00-29
// are 2000-2029 and 30-99 are 1930-1999. Also accepts the ISO forms a
// database may store ("2020-12-31T10:00:00.250"). Invalid dates give nullopt.
std::optional<double> parseDayNumber(std::string_view text);

// The engine's date number (OLE automation date: for dates before the origin
// the integer part counts back while the fraction still counts forward) as a
// continuous day number.
double dayNumberFromOleDate(double oleDate);

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in upper case, from the same form
// with or without braces and in any letter case; nullopt otherwise.
std::optional<std::string> canonicalGuid(std::string_view text);

// The canonical text of a GUID kept as 16 bytes in the Windows memory layout
// (the first three groups little-endian).
std::string guidFromBytes(const unsigned char* bytes16);

}  // namespace dao::criteria::detail
