#include "platform/dao/criteria/criteria_utf8.h"

namespace dao::criteria::detail {

namespace {

// Length of the well-formed sequence starting at text[pos], or 0.
std::size_t sequenceLength(std::string_view text, std::size_t pos) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[pos + i]); };
  const std::size_t left = text.size() - pos;
  const unsigned char b0 = byte(0);
  if (b0 < 0x80) return 1;
  std::size_t length = 0;
  unsigned char lo = 0x80, hi = 0xBF;  // allowed range of the second byte
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    length = 2;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    length = 3;
    if (b0 == 0xE0) lo = 0xA0;        // overlong
    else if (b0 == 0xED) hi = 0x9F;   // surrogates
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    length = 4;
    if (b0 == 0xF0) lo = 0x90;        // overlong
    else if (b0 == 0xF4) hi = 0x8F;   // above U+10FFFF
  } else {
    return 0;
  }
  if (left < length) return 0;
  if (byte(1) < lo || byte(1) > hi) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
  }
  return length;
}

}  // namespace

std::size_t findInvalidUtf8(std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t n = sequenceLength(text, pos);
    if (n == 0) return pos;
    pos += n;
  }
  return std::string_view::npos;
}

char32_t decodeUtf8(std::string_view text, std::size_t& pos) {
  const auto b0 = static_cast<unsigned char>(text[pos]);
  const std::size_t n = sequenceLength(text, pos);
  if (n == 0) {
    ++pos;
    return kEscapedByteBase + b0;
  }
  char32_t c = 0;
  switch (n) {
    case 1: c = b0; break;
    case 2: c = b0 & 0x1F; break;
    case 3: c = b0 & 0x0F; break;
    default: c = b0 & 0x07; break;
  }
  for (std::size_t i = 1; i < n; ++i) {
    c = (c << 6) | (static_cast<unsigned char>(text[pos + i]) & 0x3F);
  }
  pos += n;
  return c;
}

std::u32string decodeUtf8(std::string_view text) {
  std::u32string out;
  out.reserve(text.size());
  std::size_t pos = 0;
  while (pos < text.size()) out.push_back(decodeUtf8(text, pos));
  return out;
}

void appendUtf8(std::string& out, char32_t c) {
  if (c >= kEscapedByteBase + 0x80 && c <= kEscapedByteBase + 0xFF) {
    out.push_back(static_cast<char>(c - kEscapedByteBase));
  } else if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

std::string mapUtf8(std::string_view text, char32_t (*map)(char32_t)) {
  std::string out;
  out.reserve(text.size());
  std::size_t pos = 0;
  while (pos < text.size()) appendUtf8(out, map(decodeUtf8(text, pos)));
  return out;
}

std::size_t characterPosition(std::string_view text, std::size_t byteOffset) {
  std::size_t position = 1;
  std::size_t pos = 0;
  while (pos < byteOffset && pos < text.size()) {
    decodeUtf8(text, pos);
    ++position;
  }
  return position;
}

}  // namespace dao::criteria::detail
