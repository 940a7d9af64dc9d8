#pragma once
// Big5 (code page 950) text, the encoding of every stored and exported text.
//
// Big5 strings are byte strings: ASCII bytes stand alone, a byte 0x81..0xFE
// leads a two-byte character whose trail byte is 0x40..0x7E or 0xA1..0xFE.
// Lengths and limits are counted in bytes. Unicode text is UTF-8.
//
// User-defined characters (EUDC) are mapped as Windows maps them: FA40-FEFE,
// 8E40-A0FE, 8140-8DFE and C6A1-C8FE become U+E000..U+F848 of the Private
// Use Area in that order, and back, so such a character keeps its code.
//
// Nothing here normalises Unicode: code page 950 holds pairs such as
// A461/C94A (U+5140 and U+FA0C) that normalisation would merge, and every
// code must come back byte for byte.
#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace big5 {

// Thrown for text that code page 950 cannot hold (Unicode → Big5), or for
// bytes that are no Big5 text (Big5 → Unicode). what() names the first
// offending character or byte offset.
class ConversionError : public std::runtime_error {
 public:
  ConversionError(const std::string& message, std::size_t offset)
      : std::runtime_error(message), offset_(offset) {}
  // Byte offset of the offending character in the input.
  std::size_t offset() const noexcept { return offset_; }

 private:
  std::size_t offset_;
};

// UTF-8 → Big5. Throws ConversionError for a character code page 950 lacks
// (never substitutes "?") and for invalid UTF-8.
std::string fromUtf8(std::string_view utf8);

// As fromUtf8, but returns nullopt instead of throwing.
std::optional<std::string> tryFromUtf8(std::string_view utf8);

// Big5 → UTF-8. Throws ConversionError for bytes that are no Big5 text.
std::string toUtf8(std::string_view big5);

// As toUtf8, but a byte sequence that is not Big5 becomes U+FFFD instead of
// failing; for showing damaged data rather than refusing to show it.
std::string toUtf8Lenient(std::string_view big5);

// Whether every character of the UTF-8 text exists in code page 950.
bool canEncode(std::string_view utf8);

// Length of the text in Big5 bytes; throws ConversionError like fromUtf8.
std::size_t byteLength(std::string_view utf8);

// Whether the byte can begin a two-byte Big5 character.
constexpr bool isLeadByte(unsigned char byte) noexcept { return byte >= 0x81 && byte <= 0xFE; }

// Whether lead and trail byte form a user-defined (EUDC) code.
bool isUserDefined(unsigned char lead, unsigned char trail) noexcept;

// The longest prefix of a Big5 text that is at most maxBytes long and ends
// at a character boundary: a two-byte character that would be split is
// dropped whole, so a cut never stores half a character.
std::string_view cutToBytes(std::string_view big5, std::size_t maxBytes) noexcept;

// The same cut for UTF-8 input measured in Big5 bytes: the longest prefix of
// whole characters whose Big5 form fits in maxBytes, returned as UTF-8.
// Throws ConversionError like fromUtf8.
std::string cutUtf8ToBig5Bytes(std::string_view utf8, std::size_t maxBytes);

}  // namespace big5
