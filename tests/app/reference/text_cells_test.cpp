// Cell widths and UTF-8 decoding on which the panes' alignment rests.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "app/reference/reference_texts.h"
#include "app/reference/text_cells.h"

namespace {

using reference::cellOfIndex;
using reference::cellsOf;
using reference::decodeUtf8;
using reference::indexAtCell;

TEST(TextCells, AsciiTakesOneCellEverythingElseTwo) {
  EXPECT_EQ(cellsOf(U'a'), 1);
  EXPECT_EQ(cellsOf(U' '), 1);
  EXPECT_EQ(cellsOf(U'\x7F'), 1);
  EXPECT_EQ(cellsOf(U'\x80'), 2);
  EXPECT_EQ(cellsOf(U'中'), 2);
  EXPECT_EQ(cellsOf(U'\u3000'), 2);  // ideographic space
  EXPECT_EQ(cellsOf(U'┌'), 2);       // box drawing stands in for a Chinese character
  EXPECT_EQ(cellsOf(U'─'), 2);
  EXPECT_EQ(cellsOf(U'═'), 2);
  EXPECT_EQ(cellsOf(U'０'), 2);
  EXPECT_EQ(cellsOf(U"a中 　b"), 1 + 2 + 1 + 2 + 1);
  EXPECT_EQ(cellsOf(U""), 0);
}

TEST(TextCells, CellsAndIndicesConvertBothWays) {
  const std::u32string line = U"ab中c";
  EXPECT_EQ(cellOfIndex(line, 0), 0);
  EXPECT_EQ(cellOfIndex(line, 2), 2);
  EXPECT_EQ(cellOfIndex(line, 3), 4);
  EXPECT_EQ(cellOfIndex(line, 4), 5);
  EXPECT_EQ(cellOfIndex(line, 99), 5);
  EXPECT_EQ(indexAtCell(line, 1), 1u);
  EXPECT_EQ(indexAtCell(line, 2), 2u);  // both cells of 中 belong to it
  EXPECT_EQ(indexAtCell(line, 3), 2u);
  EXPECT_EQ(indexAtCell(line, 4), 3u);
  EXPECT_EQ(indexAtCell(line, 5), 4u);   // beyond the end
  EXPECT_EQ(indexAtCell(line, 50), 4u);
  EXPECT_EQ(indexAtCell(line, -3), 0u);
}

TEST(TextCells, DecodesUtf8OfOneToFourBytes) {
  EXPECT_EQ(decodeUtf8("a\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80"), std::u32string(U"a\u00E9\u4E2D\U0001F600"));
  EXPECT_EQ(decodeUtf8(""), std::u32string());
}

TEST(TextCells, RefusesMalformedUtf8) {
  EXPECT_THROW(decodeUtf8("\x80"), std::invalid_argument);          // stray continuation byte
  EXPECT_THROW(decodeUtf8("\xE4\xB8"), std::invalid_argument);      // cut off
  EXPECT_THROW(decodeUtf8("\xE4\x41\xAD"), std::invalid_argument);  // bad continuation
  EXPECT_THROW(decodeUtf8("\xC0\xAF"), std::invalid_argument);      // overlong '/'
  EXPECT_THROW(decodeUtf8("\xED\xA0\x80"), std::invalid_argument);  // surrogate
  EXPECT_THROW(decodeUtf8("\xF4\x90\x80\x80"), std::invalid_argument);
  EXPECT_THROW(decodeUtf8("\xFF"), std::invalid_argument);
}

TEST(SplitLines, SeparatesAtLineFeedsOnly) {
  using V = std::vector<std::string_view>;
  EXPECT_EQ(reference::splitLines(""), V{""});
  EXPECT_EQ(reference::splitLines("a"), V{"a"});
  EXPECT_EQ(reference::splitLines("a\nb"), (V{"a", "b"}));
  EXPECT_EQ(reference::splitLines("\na\n"), (V{"", "a", ""}));
  EXPECT_EQ(reference::splitLines("a\r\nb"), (V{"a\r", "b"}));
}

}  // namespace
