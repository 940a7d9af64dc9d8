#pragma once
// Text rules of the search and jump boxes, kept apart from the widgets so
// they can be tested byte for byte.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace search {

// Every byte as two upper-case hexadecimal digits, in order, no separators:
// the Big5 character A4 40 gives "A440". Empty input gives empty output.
std::string StrToHex(std::string_view bytes);

// The runtime's standard text-to-integer conversion: leading blanks, an
// optional sign, decimal digits or a hexadecimal prefix "$", "x", "X", "0x"
// or "0X" followed by hex digits; nothing may follow the digits. Decimal
// values must fit a signed 32-bit integer; hexadecimal ones may use all 32
// bits (FFFFFFFF is -1). nullopt for anything else.
std::optional<std::int32_t> parseRuntimeInteger(std::string_view text) noexcept;

}  // namespace search
