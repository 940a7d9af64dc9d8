#pragma once
// The few UTF-8 operations the database builder needs: its data sources key
// characters by code point ("U+4E00") or by UTF-8 text, and the records hold
// UTF-8 text.
#include <optional>
#include <string>
#include <string_view>

namespace dbbuild {

// The code point of a text that is exactly one well-formed UTF-8 character
// (no overlong forms, no surrogates); nullopt for anything else, including
// the empty text and two characters.
std::optional<char32_t> singleCodePoint(std::string_view utf8) noexcept;

// UTF-8 form of a code point. Throws std::invalid_argument for a surrogate or
// a value beyond U+10FFFF.
std::string utf8FromCodePoint(char32_t codePoint);

// Parses "U+4E00" style notation (4 to 6 hex digits); nullopt otherwise.
std::optional<char32_t> parseCodePointNotation(std::string_view text) noexcept;

}  // namespace dbbuild
