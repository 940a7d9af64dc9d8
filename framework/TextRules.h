#pragma once
// Text rules shared by the framework: name comparison and the conversions
// between field texts and numbers. Field values are Big5 byte strings; the
// number forms are plain ASCII and independent of any locale.
#include <optional>
#include <string>
#include <string_view>

namespace framework {

// Whether two names are equal ignoring the case of ASCII letters. Bytes of a
// two-byte Big5 character are compared exactly: a trail byte in the letter
// range (0x40..0x7E) must not be folded, or two different characters could
// compare equal.
bool SameName(std::string_view a, std::string_view b) noexcept;

// A whole number as typed: optional blanks around, an optional sign and
// decimal digits. nullopt for anything else or a value outside long long.
std::optional<long long> ParseInteger(std::string_view text) noexcept;

// The integer a stored number text stands for: a whole number as it is, a
// decimal number rounded to the nearest whole number with halves going to
// the even one ("12.6" → 13, "12.5" → 12, "13.5" → 14). nullopt when the text
// is neither.
std::optional<long long> ParseRoundedInteger(std::string_view text) noexcept;

// A decimal floating-point number ("." as separator, optional exponent,
// optional blanks around). nullopt for anything else.
std::optional<double> ParseFloat(std::string_view text) noexcept;

// The shortest text that reads back as the same double ("0.1", "12.5", "1e+20").
std::string FloatToText(double value);

}  // namespace framework
