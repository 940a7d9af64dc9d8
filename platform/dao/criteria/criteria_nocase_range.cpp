#include "platform/dao/criteria/criteria_nocase_range.h"

#include "platform/dao/criteria/criteria_casefold.h"
#include "platform/dao/criteria/criteria_utf8.h"

namespace dao::criteria::detail {

namespace {

std::string toUtf8(std::u32string_view chars) {
  std::string out;
  for (char32_t c : chars) appendUtf8(out, c);
  return out;
}

// The next character after c in NOCASE's order of well-formed text, or
// nothing when c is the last one. UTF-8 keeps code point order in its bytes,
// so this is c + 1, skipping what cannot occur in a NOCASE key.
std::optional<char32_t> nocaseSuccessor(char32_t c) {
  char32_t next = c + 1;
  if (next >= U'A' && next <= U'Z') next = U'[';  // NOCASE sees no upper-case letters
  if (next >= 0xD800 && next <= 0xDFFF) next = 0xE000;  // surrogates are not text
  if (next > 0x10FFFF) return std::nullopt;
  return next;
}

}  // namespace

std::optional<NocaseRange> nocaseRangeForPrefix(std::u32string_view foldedPrefix) {
  std::size_t usable = 0;
  while (usable < foldedPrefix.size()) {
    const char32_t c = foldedPrefix[usable];
    if (c == 0 || c >= 0x110000 || (c >= 0xD800 && c <= 0xDFFF) || !isNocaseSafe(c)) break;
    ++usable;
  }
  if (usable == 0) return std::nullopt;

  // Lower-case the ASCII letters so that the bound is in NOCASE's key space
  // (a folded prefix already is, apart from characters that fold upwards).
  std::u32string key(foldedPrefix.substr(0, usable));
  for (char32_t& c : key) {
    if (c >= U'A' && c <= U'Z') c += U'a' - U'A';
  }

  NocaseRange range;
  range.lower = toUtf8(key);
  range.wholePrefix = usable == foldedPrefix.size();
  while (!key.empty()) {
    if (const auto next = nocaseSuccessor(key.back())) {
      key.back() = *next;
      range.upper = toUtf8(key);
      break;
    }
    key.pop_back();
  }
  return range;
}

}  // namespace dao::criteria::detail
