#pragma once
// LIKE patterns of the criteria language.
//
//   *        any run of characters, also none
//   ?        one character
//   #        one digit 0-9
//   [list]   one character of the list; a-z in a list is a range; "-" first
//            or last is itself; [!list] is one character not in the list;
//            [] matches nothing (zero characters); [!] and []] are a literal
//            "!" and "]" (how a caller escapes those two)
//   other    the character itself, also "]", "_" and "%"
// Inside brackets *, ?, # and [ are ordinary characters, so "[*]" matches
// a star. Matching ignores letter case (Unicode simple case folding; a range
// matches a character when any of its case forms lies in the range).
#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace dao::criteria::detail {

class PatternSyntaxError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class LikePattern {
 public:
  // Throws PatternSyntaxError for an unclosed "[" or a descending range.
  explicit LikePattern(std::string_view patternUtf8);

  // Time is at most proportional to pattern length x value length, whatever
  // the pattern (no exponential backtracking).
  bool matches(std::string_view valueUtf8) const;

  // The case-folded characters that every matching value starts with (up to
  // the first wildcard, list or range): "ab[*]c*" gives "ab*c".
  std::u32string literalPrefix() const;

  // True when the pattern is only literal characters (an exact match).
  bool isLiteral() const;
  // True when the pattern is literal characters followed by "*" only
  // ("ab*", "ab**"): every value that starts with the prefix matches.
  bool isPrefixThenAnything() const;

  // The pattern for PostgreSQL, to be matched against the case-folded value
  // (zen_fold): a LIKE pattern (backslash escapes) when it needs neither "#"
  // nor a list, else nullopt. (criteria_pattern_postgres.cpp)
  std::optional<std::string> postgresLikePattern() const;
  // An anchored regular expression (ARE) with the same matches over the
  // folded value; the text zen_like_regex() gives on the server for the same
  // pattern, character for character.
  std::string postgresRegex() const;

 private:
  enum class Kind { AnyRun, AnyChar, Digit, Literal, Set };
  struct Element {
    Kind kind;
    char32_t folded = 0;  // Literal
    std::size_t set = 0;  // Set: index into sets_
  };
  struct CharSet {
    bool negated = false;
    std::vector<char32_t> foldedSingles;
    std::vector<std::pair<char32_t, char32_t>> ranges;
  };

  std::size_t parseSet(std::u32string_view p, std::size_t open);
  bool matchesOne(const Element& e, char32_t c) const;

  std::vector<Element> elements_;
  std::vector<CharSet> sets_;
};

}  // namespace dao::criteria::detail
