#include "data/engine_text.h"

#include "platform/big5/big5.h"

namespace data {

namespace {

// Length of the UTF-8 sequence that starts with `lead`; 0 for a byte that
// cannot start one.
std::size_t SequenceLength(unsigned char lead) noexcept {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

// The slow path, taken only for text that does not convert as a whole:
// character by character, with "?" for what cannot be converted.
std::string SubstitutingFromUtf8(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  std::size_t i = 0;
  while (i < utf8.size()) {
    std::size_t length = SequenceLength(static_cast<unsigned char>(utf8[i]));
    if (length == 0 || i + length > utf8.size()) length = 1;
    if (const auto converted = big5::tryFromUtf8(utf8.substr(i, length))) {
      out += *converted;
    } else {
      out += '?';
    }
    i += length;
  }
  return out;
}

}  // namespace

std::string Big5FromEngine(std::string_view utf8) {
  if (auto whole = big5::tryFromUtf8(utf8)) return std::move(*whole);
  return SubstitutingFromUtf8(utf8);
}

std::string EngineFromBig5(std::string_view big5Text) { return big5::toUtf8(big5Text); }

std::string BufferTextOf(const automation::Variant& value) {
  if (const std::string* text = value.textIf()) return Big5FromEngine(*text);
  if (value.isEmptyOrNull()) return {};
  // Booleans, numbers, dates and byte arrays have their own text forms,
  // all ASCII apart from the bytes, which are taken as they are.
  return value.asText();
}

}  // namespace data
