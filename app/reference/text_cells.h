#pragma once
// How the reference texts occupy the character cells of a fixed-pitch pane.
//
// The texts are Big5 text laid out for a fixed-pitch font in which a
// single-byte character takes one cell and a double-byte character two. Big5
// holds ASCII as its single-byte characters and everything else (Chinese
// characters, the ideographic space U+3000, full-width digits and
// punctuation, the box-drawing characters of the concept tree) as double-byte
// characters, so the width of a character follows from its code point alone:
// below U+0080 one cell, otherwise two. The alignment of the concept tree
// rests on exactly this rule.
//
// Toolkit-free, so that the texts' layout can be checked without a display.
#include <string>
#include <string_view>

namespace reference {

// Cells taken by one character: 1 for ASCII (U+0000..U+007F), 2 otherwise.
constexpr int cellsOf(char32_t c) noexcept { return c < 0x80 ? 1 : 2; }

// Cells taken by a whole line.
int cellsOf(std::u32string_view line) noexcept;

// First cell of the character at index `index` of the line; for an index at
// or beyond the end, the cell just after the line's last character.
int cellOfIndex(std::u32string_view line, std::size_t index) noexcept;

// Index of the character that covers cell `cell`, or the line's length when
// the cell lies beyond the line's last character. A negative cell gives 0.
std::size_t indexAtCell(std::u32string_view line, int cell) noexcept;

// Decodes UTF-8 into code points. Throws std::invalid_argument for malformed
// UTF-8 (bad lead or continuation bytes, overlong forms, surrogates, values
// beyond U+10FFFF, a sequence cut off at the end).
std::u32string decodeUtf8(std::string_view utf8);

}  // namespace reference
