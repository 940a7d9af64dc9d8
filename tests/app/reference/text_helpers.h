#pragma once
// Small helpers shared by the reference text tests.
#include <string>
#include <string_view>
#include <vector>

#include "app/reference/reference_texts.h"
#include "app/reference/text_cells.h"

namespace reference::testing {

inline std::string toUtf8(std::u32string_view text) {
  std::string out;
  for (char32_t c : text) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

// The text's lines as code points.
inline std::vector<std::u32string> decodedLines(std::string_view text) {
  std::vector<std::u32string> lines;
  for (std::string_view line : splitLines(text)) lines.push_back(decodeUtf8(line));
  return lines;
}

// Cells at which the non-blank characters of a line start, with the characters.
struct Placed {
  int cell;
  char32_t c;
};
inline std::vector<Placed> nonBlank(std::u32string_view line) {
  std::vector<Placed> out;
  int cell = 0;
  for (char32_t c : line) {
    if (c != U' ' && c != U'\u3000') out.push_back({cell, c});
    cell += cellsOf(c);
  }
  return out;
}

// The character covering a cell, or U'\0' beyond the line's end.
inline char32_t charAtCell(std::u32string_view line, int cell) {
  const std::size_t index = indexAtCell(line, cell);
  return index < line.size() ? line[index] : U'\0';
}

}  // namespace reference::testing
