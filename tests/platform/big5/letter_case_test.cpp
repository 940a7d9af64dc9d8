#include "platform/big5/letter_case.h"

#include <gtest/gtest.h>

namespace {

// "乙" is A4 41 and "丁" A4 42: trail bytes that read as 'A' and 'B'. A4 61 is
// another character whose trail byte reads as 'a'.
constexpr std::string_view kYi = "\xA4\x41";
constexpr std::string_view kOther = "\xA4\x61";

TEST(Big5LetterCase, SameNameFoldsOnlyLettersThatStandAlone) {
  EXPECT_TRUE(big5::sameName("CJ_Code", "cj_code"));
  EXPECT_TRUE(big5::sameName(std::string("A") + std::string(kYi) + "z", std::string("a") + std::string(kYi) + "Z"));
  EXPECT_FALSE(big5::sameName(kYi, kOther)) << "a trail byte 'A' is no letter";
  EXPECT_FALSE(big5::sameName("abc", "abcd"));
  EXPECT_FALSE(big5::sameName("a_b", "a-b"));
  EXPECT_TRUE(big5::sameName("", ""));
}

TEST(Big5LetterCase, SameNameReadsPairsFromTheFirstTextAndKeepsALoneLeadByte) {
  // A lead byte at the very end has no trail byte; it compares as itself.
  EXPECT_TRUE(big5::sameName("AB\xA4", "ab\xA4"));
  EXPECT_FALSE(big5::sameName("AB\xA4", "ab\xA5"));
  // After a pair the next byte is a character of its own again.
  EXPECT_TRUE(big5::sameName(std::string(kYi) + "A", std::string(kYi) + "a"));
}

TEST(Big5LetterCase, LowerAsciiLettersLeavesDoubleByteCharactersAlone) {
  EXPECT_EQ(big5::lowerAsciiLetters("HQ-Zx9"), "hq-zx9");
  EXPECT_EQ(big5::lowerAsciiLetters(std::string("AB") + std::string(kYi) + "C\xA4\x42"),
            std::string("ab") + std::string(kYi) + "c\xA4\x42");
  EXPECT_EQ(big5::lowerAsciiLetters("Z\xA4"), "z\xA4");
  EXPECT_EQ(big5::lowerAsciiLetters(""), "");
}

}  // namespace
