// UTF-8 handling and Unicode case data.
#include <gtest/gtest.h>

#include <string>

#include "platform/dao/criteria/criteria_casefold.h"
#include "platform/dao/criteria/criteria_utf8.h"

namespace {

using namespace dao::criteria::detail;

TEST(CriteriaUtf8, StrictCheckRejectsEveryIllFormedSequence) {
  EXPECT_EQ(findInvalidUtf8("plain ascii"), std::string_view::npos);
  EXPECT_EQ(findInvalidUtf8("中文 é \xF4\x8F\xBF\xBF"), std::string_view::npos);  // U+10FFFF is fine
  EXPECT_EQ(findInvalidUtf8("ab\xC0\xAF"), 2u);          // overlong "/"
  EXPECT_EQ(findInvalidUtf8("\xE0\x80\xAF"), 0u);        // overlong three-byte form
  EXPECT_EQ(findInvalidUtf8("x\xED\xA0\x80"), 1u);       // encoded surrogate
  EXPECT_EQ(findInvalidUtf8("\xF4\x90\x80\x80"), 0u);    // above U+10FFFF
  EXPECT_EQ(findInvalidUtf8("abc\xE4\xB8"), 3u);         // cut short at the end
  EXPECT_EQ(findInvalidUtf8("\x80"), 0u);                // lone continuation byte
  EXPECT_EQ(findInvalidUtf8("\xFF"), 0u);
}

TEST(CriteriaUtf8, LenientDecodingKeepsBadBytesDistinctAndRestoresThem) {
  const std::string bad = "a\xFF\xC3";
  const std::u32string decoded = decodeUtf8(bad);
  ASSERT_EQ(decoded.size(), 3u);
  EXPECT_EQ(decoded[1], kEscapedByteBase + 0xFF);
  EXPECT_EQ(decoded[2], kEscapedByteBase + 0xC3);
  EXPECT_EQ(mapUtf8(bad, foldCase), bad);  // nothing lost, nothing invented
  EXPECT_EQ(mapUtf8("\xC3\x89t\xE9", foldCase), "\xC3\xA9t\xE9");
}

TEST(CriteriaUtf8, PositionsCountCharactersNotBytes) {
  const std::string text = "中文 = x";
  EXPECT_EQ(characterPosition(text, 0), 1u);
  EXPECT_EQ(characterPosition(text, 3), 2u);
  EXPECT_EQ(characterPosition(text, 7), 4u);
}

TEST(CriteriaCaseFolding, FoldsLettersOfManyScripts) {
  EXPECT_EQ(foldCase(U'A'), U'a');
  EXPECT_EQ(foldCase(U'É'), U'é');
  EXPECT_EQ(foldCase(U'Σ'), U'σ');
  EXPECT_EQ(foldCase(U'ς'), U'σ');       // final sigma
  EXPECT_EQ(foldCase(U'Ж'), U'ж');
  EXPECT_EQ(foldCase(U'Ａ'), U'ａ');     // full-width Latin
  EXPECT_EQ(foldCase(0x10400), 0x10428u);  // Deseret, outside the BMP
  EXPECT_EQ(foldCase(0x212A), U'k');     // KELVIN SIGN
  EXPECT_EQ(foldCase(U'ß'), U'ß');       // simple folding: one character stays one
  EXPECT_EQ(foldCase(U'İ'), U'İ');       // no Turkic special case
  EXPECT_EQ(foldCase(U'中'), U'中');
}

TEST(CriteriaCaseFolding, LowerAndUpperCaseFollowUnicodeData) {
  EXPECT_EQ(toLowerCase(U'Q'), U'q');
  EXPECT_EQ(toUpperCase(U'q'), U'Q');
  EXPECT_EQ(toUpperCase(U'é'), U'É');
  EXPECT_EQ(toLowerCase(U'Σ'), U'σ');
  EXPECT_EQ(toUpperCase(U'ς'), U'Σ');
  EXPECT_EQ(toLowerCase(U'1'), U'1');
}

TEST(CriteriaCaseFolding, RangesMatchAnyCaseFormOfACharacter) {
  EXPECT_TRUE(caseClassIntersects(U'Q', U'a', U'z'));
  EXPECT_TRUE(caseClassIntersects(U'q', U'A', U'Z'));
  EXPECT_TRUE(caseClassIntersects(0x212A, U'a', U'z'));  // KELVIN SIGN is a k
  EXPECT_TRUE(caseClassIntersects(U'k', 0x2120, 0x2130));
  EXPECT_TRUE(caseClassIntersects(U'É', U'à', U'ë'));
  EXPECT_FALSE(caseClassIntersects(U'1', U'a', U'z'));
  EXPECT_FALSE(caseClassIntersects(U'[', U'a', U'z'));  // between Z and a, but not a letter of either
}

TEST(CriteriaCaseFolding, NocaseSafetyMatchesWhatSqliteFolds) {
  for (char32_t c : {U'a', U'Z', U'0', U'@', U'[', U'_', U'~', U'\x7F', U'中', U'™', U'€'}) {
    EXPECT_TRUE(isNocaseSafe(c)) << static_cast<unsigned>(c);
  }
  // k and s have non-ASCII forms (KELVIN SIGN, LONG S); letters beyond ASCII
  // with case partners (ß has the capital ẞ) are folded by us but not by NOCASE.
  for (char32_t c : {U'k', U'K', U's', U'S', U'é', U'É', U'σ', U'ς', U'ж', U'ß', char32_t{0x212A}}) {
    EXPECT_FALSE(isNocaseSafe(c)) << static_cast<unsigned>(c);
  }
}

TEST(CriteriaCaseFolding, GeneratedTablesAreSortedAndNonTrivial) {
  for (auto table : {simpleCaseFoldingTable(), simpleLowercaseTable(), simpleUppercaseTable()}) {
    ASSERT_GT(table.size(), 1000u);
    for (std::size_t i = 1; i < table.size(); ++i) {
      ASSERT_LT(table[i - 1].from, table[i].from) << "entry " << i;
    }
    for (const auto& e : table) ASSERT_NE(e.from, e.to);
  }
}

}  // namespace
