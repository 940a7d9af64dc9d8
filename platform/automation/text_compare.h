#pragma once
// Name comparison as automation and the engine use it: member, collection
// item, table and field names match without regard to the letter case of
// ASCII letters. Other characters compare byte for byte.
//
// ASCII-only: every byte is folded, which is right for UTF-8 (the engine's
// text; no byte of a multi-byte character is an ASCII letter) and wrong for
// Big5, whose trail bytes include A-Z. Big5 text has platform/big5/letter_case.h.
#include <string>
#include <string_view>

namespace automation {

constexpr char toLowerAscii(char c) noexcept { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

constexpr bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) noexcept {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (toLowerAscii(a[i]) != toLowerAscii(b[i])) return false;
  }
  return true;
}

// <0, 0 or >0 as a sorts before, with or after b, letter case ignored.
constexpr int compareIgnoringAsciiCase(std::string_view a, std::string_view b) noexcept {
  const std::size_t common = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < common; ++i) {
    const auto ca = static_cast<unsigned char>(toLowerAscii(a[i]));
    const auto cb = static_cast<unsigned char>(toLowerAscii(b[i]));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

inline std::string lowerAscii(std::string_view text) {
  std::string lowered(text);
  for (char& c : lowered) c = toLowerAscii(c);
  return lowered;
}

}  // namespace automation
