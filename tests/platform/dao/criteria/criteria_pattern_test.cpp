// LIKE patterns: syntax, matching, and the literal prefix used for index ranges.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "platform/dao/criteria/criteria_pattern.h"

namespace {

using dao::criteria::detail::LikePattern;
using dao::criteria::detail::PatternSyntaxError;

bool like(const std::string& value, const std::string& pattern) { return LikePattern(pattern).matches(value); }

TEST(CriteriaLikePattern, StarQuestionMarkAndDigit) {
  EXPECT_TRUE(like("", "*"));
  EXPECT_TRUE(like("abc", "a*"));
  EXPECT_TRUE(like("abc", "*c"));
  EXPECT_TRUE(like("abc", "a**c"));
  EXPECT_FALSE(like("abc", "a*b"));
  EXPECT_TRUE(like("abc", "a?c"));
  EXPECT_FALSE(like("ac", "a?c"));
  EXPECT_TRUE(like("中文", "?文"));  // one character, not one byte
  EXPECT_TRUE(like("a1", "a#"));
  EXPECT_FALSE(like("ax", "a#"));
  EXPECT_FALSE(like("a١", "a#"));   // only 0-9
  EXPECT_FALSE(like("abc", "ab"));
  EXPECT_FALSE(like("ab", "abc"));
  EXPECT_TRUE(like("", ""));
}

TEST(CriteriaLikePattern, ListsRangesAndNegation) {
  EXPECT_TRUE(like("b", "[abc]"));
  EXPECT_FALSE(like("d", "[abc]"));
  EXPECT_TRUE(like("m", "[a-z]"));
  EXPECT_TRUE(like("M", "[a-z]"));       // ranges ignore case too
  EXPECT_TRUE(like("m", "[A-Z]"));
  EXPECT_FALSE(like("m", "[!a-z]"));
  EXPECT_TRUE(like("5", "[!a-z]"));
  EXPECT_TRUE(like("-", "[-a]"));
  EXPECT_TRUE(like("-", "[a-]"));
  EXPECT_FALSE(like("b", "[-a]"));
  EXPECT_TRUE(like("x", "[a-cx-z]"));
  EXPECT_FALSE(like("", "[abc]"));       // a list is exactly one character
  EXPECT_TRUE(like("ab", "a[]b"));       // [] matches zero characters
}

TEST(CriteriaLikePattern, WildcardsInBracketsAreLiteral) {
  EXPECT_TRUE(like("a*b", "a[*]b"));
  EXPECT_FALSE(like("axb", "a[*]b"));
  EXPECT_TRUE(like("a?b", "a[?]b"));
  EXPECT_FALSE(like("axb", "a[?]b"));
  EXPECT_TRUE(like("a#b", "a[#]b"));
  EXPECT_FALSE(like("a1b", "a[#]b"));
  EXPECT_TRUE(like("a[b", "a[[]b"));
  EXPECT_TRUE(like("a]b", "a[]]b"));
  EXPECT_TRUE(like("a]b", "a]b"));       // a lone ] is itself
  EXPECT_TRUE(like("a!b", "a[!]b"));
  EXPECT_FALSE(like("axb", "a[!]b"));
  EXPECT_TRUE(like("a-b", "a[-]b"));
}

TEST(CriteriaLikePattern, UnderscoreAndPercentAreOrdinary) {
  EXPECT_TRUE(like("a_b", "a_b"));
  EXPECT_FALSE(like("axb", "a_b"));
  EXPECT_TRUE(like("50%", "50%"));
  EXPECT_FALSE(like("500", "50%"));
}

TEST(CriteriaLikePattern, CaseIsIgnoredWithUnicodeFolding) {
  EXPECT_TRUE(like("A4A4", "a4a4*"));
  EXPECT_TRUE(like("ÉCOLE", "éc*"));
  EXPECT_TRUE(like("ΟΔΥΣΣΕΥΣ", "οδυσσευς"));
  EXPECT_TRUE(like("\xE2\x84\xAA", "k"));  // KELVIN SIGN
  EXPECT_FALSE(like("straße", "STRASSE"));   // simple folding does not expand ß
}

TEST(CriteriaLikePattern, BadBytesInValuesNeverMatchCharacters) {
  EXPECT_FALSE(like("a\xFF", "a\xC3\xBF"));  // the byte FF is not ÿ
  EXPECT_TRUE(like("a\xFF", "a?"));
  EXPECT_TRUE(like("\xC3", "*"));
}

TEST(CriteriaLikePattern, MalformedPatternsAreRefused) {
  EXPECT_THROW(LikePattern("ab[cd"), PatternSyntaxError);
  EXPECT_THROW(LikePattern("["), PatternSyntaxError);
  EXPECT_THROW(LikePattern("[!"), PatternSyntaxError);
  EXPECT_THROW(LikePattern("[z-a]"), PatternSyntaxError);
}

TEST(CriteriaLikePattern, LiteralPrefixStopsAtTheFirstWildcardOrList) {
  EXPECT_EQ(LikePattern("A4a4*").literalPrefix(), U"a4a4");
  EXPECT_EQ(LikePattern("x[*]y*").literalPrefix(), U"x*y");
  EXPECT_EQ(LikePattern("ab?c").literalPrefix(), U"ab");
  EXPECT_EQ(LikePattern("ab#").literalPrefix(), U"ab");
  EXPECT_EQ(LikePattern("ab[cd]").literalPrefix(), U"ab");
  EXPECT_EQ(LikePattern("*ab").literalPrefix(), U"");
  EXPECT_TRUE(LikePattern("a[*]b").isLiteral());
  EXPECT_FALSE(LikePattern("a*").isLiteral());
}

TEST(CriteriaLikePattern, ManyStarsDoNotBacktrackExponentially) {
  // A naive backtracking matcher takes ages on this; ours is quadratic at worst.
  const std::string value(20000, 'a');
  EXPECT_FALSE(like(value, "*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*b"));
  EXPECT_TRUE(like(value + "b", "*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*b"));
}

// Reference matcher: plain recursion over the value, written independently
// of the production matcher, for short random inputs over ASCII.
bool naiveLike(const std::string& v, std::size_t i, const std::string& p, std::size_t j) {
  const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
  if (j == p.size()) return i == v.size();
  if (p[j] == '*') {
    for (std::size_t k = i; k <= v.size(); ++k) {
      if (naiveLike(v, k, p, j + 1)) return true;
    }
    return false;
  }
  if (i == v.size()) return false;
  if (p[j] == '?') return naiveLike(v, i + 1, p, j + 1);
  if (p[j] == '#') return v[i] >= '0' && v[i] <= '9' && naiveLike(v, i + 1, p, j + 1);
  return lower(v[i]) == lower(p[j]) && naiveLike(v, i + 1, p, j + 1);
}

TEST(CriteriaLikePattern, AgreesWithAReferenceMatcherOnRandomInputs) {
  std::mt19937 rng(1234);
  const std::string valueChars = "aAbB1_%";
  const std::string patternChars = "aAbB1_%*?#";
  const auto randomText = [&](const std::string& alphabet, std::size_t maxLength) {
    std::string s(rng() % (maxLength + 1), ' ');
    for (char& c : s) c = alphabet[rng() % alphabet.size()];
    return s;
  };
  for (int round = 0; round < 20000; ++round) {
    const std::string v = randomText(valueChars, 7);
    const std::string p = randomText(patternChars, 6);
    ASSERT_EQ(like(v, p), naiveLike(v, 0, p, 0)) << "value '" << v << "' pattern '" << p << "'";
  }
}

}  // namespace

namespace {

// A pattern ending in its only "*" looks at the value's first characters
// alone; it must still agree with the whole-value match everywhere.
TEST(CriteriaLikePattern, PrefixPatternsDecideOnTheFirstCharacters) {
  const LikePattern hex("000F4*");
  EXPECT_TRUE(hex.matches("000f4240"));
  EXPECT_TRUE(hex.matches("000F4"));
  EXPECT_FALSE(hex.matches("000f"));
  EXPECT_FALSE(hex.matches("000f3fff"));
  EXPECT_FALSE(hex.matches(""));
  const LikePattern chinese("禪?#*");
  EXPECT_TRUE(chinese.matches("禪心7見性"));
  EXPECT_FALSE(chinese.matches("禪心"));
  EXPECT_FALSE(chinese.matches("禪心x"));
  // A byte that is no UTF-8 counts as one character, as in a whole match.
  EXPECT_TRUE(LikePattern("a?b*").matches("a\xFF" "bcd"));
  EXPECT_FALSE(LikePattern("a?b*").matches("a\xFF"));
  EXPECT_TRUE(LikePattern("[a-c]Z*").matches("Bz and more"));
  EXPECT_TRUE(LikePattern("*").matches(""));
  EXPECT_FALSE(LikePattern("a*b*").matches("ac"));  // two stars: the general match
}

}  // namespace
