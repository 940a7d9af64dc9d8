#pragma once
// The ideographs of code page 950, one record each in the bundled database.
//
// They are the two-byte codes of the two ideograph blocks, A440..C67E
// (frequently used) and C940..F9D5 (less frequently used), with the trail
// bytes Big5 allows (0x40..0x7E and 0xA1..0xFE), enumerated in ascending
// code order. The symbols before A440, the gap C67F..C93F and the
// extensions after F9D5 are not ideographs of the standard set.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dbbuild {

struct Big5Ideograph {
  std::uint16_t code = 0;  // lead byte << 8 | trail byte
  std::string utf8;        // the character, one code point
};

struct Big5Enumeration {
  std::vector<Big5Ideograph> ideographs;  // ascending code order
  std::vector<std::uint16_t> unmapped;    // codes the decoder could not map, ascending
};

// Decodes the two Big5 bytes of one character to UTF-8, or nullopt when
// the code page has no character there.
using Big5Decoder = std::function<std::optional<std::string>(std::string_view big5Bytes)>;

constexpr bool isBig5TrailByte(unsigned char byte) noexcept {
  return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0xA1 && byte <= 0xFE);
}

// Every code of the two ideograph blocks with a valid trail byte, ascending.
std::vector<std::uint16_t> big5IdeographCodes();

// The code's bytes as four upper-case hex digits, e.g. "A440".
std::string big5HexText(std::uint16_t code);

// The two bytes of a code, lead byte first.
std::string big5Bytes(std::uint16_t code);

// Decodes every code of big5IdeographCodes() in order. A code the decoder
// cannot map, or maps to anything but exactly one character, is listed in
// `unmapped` instead.
Big5Enumeration enumerateBig5Ideographs(const Big5Decoder& decode);

// The same with the program's own code page 950 conversion.
Big5Enumeration enumerateBig5Ideographs();

}  // namespace dbbuild
