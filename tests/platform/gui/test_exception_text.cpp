// Error box texts and layout scaling: the arithmetic behind the exception
// display and the dpi scaling, without any window.
#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/gui/exception_text.h"
#include "platform/gui/layout_scale.h"

namespace zen::data {
struct EDatabaseError : std::runtime_error {
  using std::runtime_error::runtime_error;
};
template <class T>
struct Holder : std::exception {};
struct Outer {
  struct Inner : std::exception {};
};
}  // namespace zen::data

namespace {

using gui::applicationErrorText;
using gui::exceptionClassName;
using gui::LayoutScale;
using gui::ScaledRect;
using gui::withFullStop;

TEST(FullStop, AppendedWhenLastCharacterSortsAfterFullStop) {
  EXPECT_EQ(withFullStop("abc"), "abc.");
  EXPECT_EQ(withFullStop("path/"), "path/.");  // '/' is the character right after '.'
  EXPECT_EQ(withFullStop("0"), "0.");
}

TEST(FullStop, KeptOffWhenLastCharacterSortsAtOrBeforeFullStop) {
  EXPECT_EQ(withFullStop("abc."), "abc.");
  EXPECT_EQ(withFullStop("abc!"), "abc!");
  EXPECT_EQ(withFullStop("a-"), "a-");
  EXPECT_EQ(withFullStop("line\n"), "line\n");
  EXPECT_EQ(withFullStop(""), "");
}

TEST(FullStop, NonAsciiLastCharacterCountsAsOneCharacter) {
  // Every non-ASCII character sorts after '.', even a full-width full stop.
  EXPECT_EQ(withFullStop("資料庫全空"), "資料庫全空.");
  EXPECT_EQ(withFullStop("完成。"), "完成。.");
  // Compared as a code point: as a signed char the last byte (0xA9) would
  // be negative and sort before ".".
  EXPECT_EQ(withFullStop("caf\u00e9"), "caf\u00e9.");
}

TEST(ClassName, NamespacesAreDropped) {
  EXPECT_EQ(exceptionClassName(typeid(zen::data::EDatabaseError)), "EDatabaseError");
  EXPECT_EQ(exceptionClassName(typeid(zen::data::Outer::Inner)), "Inner");
}

TEST(ClassName, TemplateArgumentsKeepTheirQualifiers) {
  EXPECT_EQ(exceptionClassName(typeid(zen::data::Holder<zen::data::EDatabaseError>)),
            "Holder<zen::data::EDatabaseError>");
}

TEST(ApplicationError, Format) {
  EXPECT_EQ(applicationErrorText("EDatabaseError", "zenmora", 0x0004A3B1,
                                 "OrvDaoDatabase1.Connected: Could not find file"),
            "Exception EDatabaseError in module zenmora at 0004A3B1.\n"
            "OrvDaoDatabase1.Connected: Could not find file.");
}

TEST(ApplicationError, AddressKeepsLow32BitsAndMessageKeepsItsOwnStop) {
  EXPECT_EQ(applicationErrorText("E", "m", 0x1'0000'00ABu, "done."),
            "Exception E in module m at 000000AB.\ndone.");
  EXPECT_EQ(applicationErrorText("E", "m", 0, ""), "Exception E in module m at 00000000.\n");
}

TEST(LayoutScale, DesignDpiKeepsEveryValue) {
  const LayoutScale s = LayoutScale::forDpi(96);
  EXPECT_EQ(s.fontHeight(), 11);
  EXPECT_EQ(s.textHeight(), 13);
  EXPECT_DOUBLE_EQ(s.factor(), 1.0);
  EXPECT_EQ(s.rect(-16, 49, 601, 2), (ScaledRect{-16, 49, 601, 2}));
}

TEST(LayoutScale, TheTextHeightDecides) {
  EXPECT_EQ(LayoutScale::forDpi(144).fontHeight(), 17);  // 16.5 rounds up
  EXPECT_EQ(LayoutScale::forDpi(144).textHeight(), 20);
  const LayoutScale s = LayoutScale::forDpi(120);
  EXPECT_EQ(s.fontHeight(), 14);  // 11 × 120 / 96 = 13.75
  EXPECT_EQ(s.textHeight(), 17);  // 14 × 13 / 11 = 16.5
  EXPECT_EQ(s.length(591), 773);
  EXPECT_EQ(s.rect(0, 200, 585, 89), (ScaledRect{0, 262, 765, 116}));
  EXPECT_EQ(s.rect(-16, 305, 601, 2), (ScaledRect{-21, 399, 786, 2}));
}

TEST(LayoutScale, NeighboursStayAdjacentAtAnyDpi) {
  // DBEdit2 ends where DBComboBox1 starts minus one pixel of overlap; edges
  // are scaled, not sizes, so the overlap never opens into a gap.
  for (int dpi : {72, 96, 110, 120, 144, 192}) {
    const LayoutScale s = LayoutScale::forDpi(dpi);
    const ScaledRect code = s.rect(0, 96, 25, 24);
    const ScaledRect list = s.rect(24, 96, 57, 24);
    EXPECT_GE(code.left + code.width, list.left) << dpi;
    const ScaledRect edit = s.rect(0, 96, 24, 24);
    EXPECT_EQ(edit.left + edit.width, list.left) << dpi;
  }
}

TEST(LayoutScale, RefusesNonPositiveDpi) {
  EXPECT_THROW(LayoutScale::forDpi(0), std::invalid_argument);
  EXPECT_THROW(LayoutScale::forDpi(-96), std::invalid_argument);
}

}  // namespace
