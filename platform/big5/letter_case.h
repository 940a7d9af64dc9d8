#pragma once
// Letter case in Big5 text. Only the ASCII letters have a case here, and only
// where they stand as characters of their own: the trail byte of a two-byte
// character runs 0x40..0x7E and 0xA1..0xFE, so it can be the byte of 'A'..'Z'
// or 'a'..'z' and is never folded ("乙" is A4 41, its trail byte an 'A').
//
// Text that is UTF-8 needs none of this (every byte of a multi-byte character
// is 0x80 or above); automation/text_compare.h has the plain ASCII forms.
#include <string>
#include <string_view>

namespace big5 {

// Whether two Big5 names are equal ignoring the case of ASCII letters. The
// two bytes of a double-byte character compare exactly.
bool sameName(std::string_view a, std::string_view b) noexcept;

// `text` with the ASCII letters A..Z lowered; double-byte characters as they are.
std::string lowerAsciiLetters(std::string_view text);

}  // namespace big5
