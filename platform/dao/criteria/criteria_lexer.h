#pragma once
// Tokens of the criteria language.
//
// Contract:
//  - tokenize() checks the whole text first: at most kMaxCriteriaBytes bytes,
//    well-formed UTF-8, no NUL character; then splits it into tokens ending
//    with one TokenKind::End. Any failure throws CriteriaError naming the
//    1-based character position.
//  - Keywords (AND OR NOT LIKE IS NULL TRUE FALSE) are recognised in any
//    letter case, and only when not written in brackets.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace dao::criteria::detail {

// Longer criteria are refused: the engine's SQL texts are limited to about
// 64,000 characters as well.
inline constexpr std::size_t kMaxCriteriaBytes = 65'536;

enum class TokenKind {
  End,
  Name,     // text: the name, brackets removed
  String,   // text: the contents, doubled quotes made single
  Number,   // text: the number as written
  Date,     // number: the day number (see criteria_values.h)
  Guid,     // text: the canonical GUID
  LParen, RParen, Comma, Dot,
  Equal, NotEqual, Less, LessEqual, Greater, GreaterEqual,
  Plus, Minus,
  And, Or, Not, Like, Is, Null, True, False,
};

struct Token {
  TokenKind kind = TokenKind::End;
  std::size_t offset = 0;  // byte offset in the criteria text
  std::string text;
  double number = 0;
};

std::vector<Token> tokenize(std::string_view criteria);

// Throws CriteriaError "Syntax error in criteria at position N: <what>".
[[noreturn]] void throwSyntaxError(std::string_view criteria, std::size_t byteOffset,
                                   const std::string& what);

std::string describeToken(const Token& token);

}  // namespace dao::criteria::detail
