#pragma once
// UTF-8 handling for the criteria language.
//
// Criteria texts are checked strictly (they come from callers and must be
// well-formed), while stored values are decoded leniently: the engine keeps
// text unchanged, so a value may hold bytes that are not UTF-8, and matching
// must still work on it without failing.
#include <cstddef>
#include <string>
#include <string_view>

namespace dao::criteria::detail {

// A byte that is not part of a well-formed sequence decodes to
// kEscapedByteBase + byte: a lone surrogate, which no well-formed text can
// contain, so it never equals a character written in a criteria text.
inline constexpr char32_t kEscapedByteBase = 0xDC00;

// Offset of the first byte that is not part of well-formed UTF-8 (overlong
// forms, surrogates and values above U+10FFFF are ill-formed), or npos.
std::size_t findInvalidUtf8(std::string_view text);

// Decodes the character at `pos` and advances `pos` past it. Precondition:
// pos < text.size().
char32_t decodeUtf8(std::string_view text, std::size_t& pos);

std::u32string decodeUtf8(std::string_view text);

// Appends c in UTF-8; an escaped byte is written back as the byte itself.
void appendUtf8(std::string& out, char32_t c);

// Maps every character of `text` through `map` (foldCase, toLowerCase, ...).
std::string mapUtf8(std::string_view text, char32_t (*map)(char32_t));

// 1-based character position of the byte at `byteOffset`, for messages.
std::size_t characterPosition(std::string_view text, std::size_t byteOffset);

}  // namespace dao::criteria::detail
