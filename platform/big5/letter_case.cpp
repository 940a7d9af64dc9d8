#include "platform/big5/letter_case.h"

#include "platform/big5/big5.h"

namespace big5 {

namespace {

constexpr char lowerAscii(char c) noexcept { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Whether a double-byte character starts at `i` (a lead byte with a byte after it).
bool pairAt(std::string_view text, std::size_t i) noexcept {
  return isLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size();
}

}  // namespace

bool sameName(std::string_view a, std::string_view b) noexcept {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (pairAt(a, i)) {
      if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
      ++i;
      continue;
    }
    if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
  }
  return true;
}

std::string lowerAsciiLetters(std::string_view text) {
  std::string lowered(text);
  for (std::size_t i = 0; i < lowered.size(); ++i) {
    if (pairAt(lowered, i)) {
      ++i;
      continue;
    }
    lowered[i] = lowerAscii(lowered[i]);
  }
  return lowered;
}

}  // namespace big5
