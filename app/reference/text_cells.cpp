#include "app/reference/text_cells.h"

#include <stdexcept>

namespace reference {

int cellsOf(std::u32string_view line) noexcept {
  int cells = 0;
  for (char32_t c : line) cells += cellsOf(c);
  return cells;
}

int cellOfIndex(std::u32string_view line, std::size_t index) noexcept {
  if (index > line.size()) index = line.size();
  return cellsOf(line.substr(0, index));
}

std::size_t indexAtCell(std::u32string_view line, int cell) noexcept {
  int start = 0;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const int end = start + cellsOf(line[i]);
    if (cell < end) return i;
    start = end;
  }
  return line.size();
}

std::u32string decodeUtf8(std::string_view utf8) {
  std::u32string out;
  out.reserve(utf8.size());
  std::size_t i = 0;
  const auto fail = [&](const char* what) {
    throw std::invalid_argument(std::string("malformed UTF-8 at byte ") + std::to_string(i) + ": " + what);
  };
  while (i < utf8.size()) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    int length = 0;
    char32_t c = 0;
    if (lead < 0x80) {
      length = 1;
      c = lead;
    } else if ((lead & 0xE0) == 0xC0) {
      length = 2;
      c = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
      length = 3;
      c = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
      length = 4;
      c = lead & 0x07;
    } else {
      fail("invalid lead byte");
    }
    if (utf8.size() - i < static_cast<std::size_t>(length)) fail("sequence cut off");
    for (int k = 1; k < length; ++k) {
      const auto trail = static_cast<unsigned char>(utf8[i + k]);
      if ((trail & 0xC0) != 0x80) fail("invalid continuation byte");
      c = (c << 6) | (trail & 0x3F);
    }
    static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < kSmallest[length]) fail("overlong form");
    if (c >= 0xD800 && c <= 0xDFFF) fail("surrogate");
    if (c > 0x10FFFF) fail("beyond U+10FFFF");
    out.push_back(c);
    i += length;
  }
  return out;
}

}  // namespace reference
