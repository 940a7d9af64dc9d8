#include "app/search/search_text.h"

#include <gtest/gtest.h>

namespace {

using search::parseRuntimeInteger;
using search::StrToHex;

TEST(StrToHexRule, TwoUpperCaseDigitsPerByteInOrder) {
  EXPECT_EQ(StrToHex(""), "");
  EXPECT_EQ(StrToHex("ab"), "6162");
  EXPECT_EQ(StrToHex("\xA4\x40"), "A440");
  EXPECT_EQ(StrToHex(std::string("\x00\x0f\xff", 3)), "000FFF");
  EXPECT_EQ(StrToHex("\xA4\xA4" "a"), "A4A461");
}

TEST(RuntimeIntegerRule, DecimalWithBlanksAndSign) {
  EXPECT_EQ(parseRuntimeInteger("37"), 37);
  EXPECT_EQ(parseRuntimeInteger("007"), 7);
  EXPECT_EQ(parseRuntimeInteger("0"), 0);
  EXPECT_EQ(parseRuntimeInteger("   12"), 12);
  EXPECT_EQ(parseRuntimeInteger("-5"), -5);
  EXPECT_EQ(parseRuntimeInteger("+5"), 5);
  EXPECT_EQ(parseRuntimeInteger("2147483647"), 2147483647);
  EXPECT_EQ(parseRuntimeInteger("-2147483648"), INT32_MIN);
}

TEST(RuntimeIntegerRule, HexPrefixes) {
  EXPECT_EQ(parseRuntimeInteger("$1F"), 31);
  EXPECT_EQ(parseRuntimeInteger("x1f"), 31);
  EXPECT_EQ(parseRuntimeInteger("X10"), 16);
  EXPECT_EQ(parseRuntimeInteger("0x10"), 16);
  EXPECT_EQ(parseRuntimeInteger("0X10"), 16);
  EXPECT_EQ(parseRuntimeInteger("$FFFFFFFF"), -1);
  EXPECT_EQ(parseRuntimeInteger("-$10"), -16);
}

TEST(RuntimeIntegerRule, EverythingElseIsAnError) {
  for (const char* bad : {"", " ", "-", "+", "$", "0x", "12a", "1 2", "12 ", "2147483648",
                          "-2147483649", "99999999999999999999", "$100000000", "1e3", "１２"}) {
    EXPECT_FALSE(parseRuntimeInteger(bad).has_value()) << bad;
  }
}

}  // namespace
