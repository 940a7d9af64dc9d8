#include "platform/dao/criteria/criteria_lexer.h"

#include <array>
#include <utility>

#include "platform/dao/criteria/criteria.h"
#include "platform/dao/criteria/criteria_utf8.h"
#include "platform/dao/criteria/criteria_values.h"

namespace dao::criteria::detail {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }
bool isNameStart(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' ||
         static_cast<unsigned char>(c) >= 0x80;  // any non-ASCII character (the text is valid UTF-8)
}
bool isNameChar(char c) { return isNameStart(c) || isDigit(c) || c == '$'; }

char asciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (asciiUpper(a[i]) != asciiUpper(b[i])) return false;
  }
  return true;
}

std::string shortened(std::string_view text) {
  constexpr std::size_t kMax = 40;
  if (text.size() <= kMax) return std::string(text);
  std::size_t cut = kMax;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  return std::string(text.substr(0, cut)) + "...";
}

class Lexer {
 public:
  explicit Lexer(std::string_view s) : s_(s) {}

  std::vector<Token> run() {
    while (true) {
      while (pos_ < s_.size() && isBlank(s_[pos_])) ++pos_;
      if (pos_ >= s_.size()) break;
      lexOne();
    }
    tokens_.push_back({TokenKind::End, s_.size(), {}, 0});
    return std::move(tokens_);
  }

 private:
  [[noreturn]] void fail(std::size_t offset, const std::string& what) const {
    throwSyntaxError(s_, offset, what);
  }

  void add(TokenKind kind, std::size_t start, std::size_t length, std::string text = {}) {
    tokens_.push_back({kind, start, std::move(text), 0});
    pos_ = start + length;
  }

  void lexOne() {
    const std::size_t start = pos_;
    const char c = s_[pos_];
    const char next = pos_ + 1 < s_.size() ? s_[pos_ + 1] : '\0';
    switch (c) {
      case '(': return add(TokenKind::LParen, start, 1);
      case ')': return add(TokenKind::RParen, start, 1);
      case ',': return add(TokenKind::Comma, start, 1);
      case '!': return add(TokenKind::Dot, start, 1);  // [table]![field] is [table].[field]
      case '+': return add(TokenKind::Plus, start, 1);
      case '-': return add(TokenKind::Minus, start, 1);
      case '=': return add(TokenKind::Equal, start, 1);
      case '<':
        if (next == '>') return add(TokenKind::NotEqual, start, 2);
        if (next == '=') return add(TokenKind::LessEqual, start, 2);
        return add(TokenKind::Less, start, 1);
      case '>':
        if (next == '=') return add(TokenKind::GreaterEqual, start, 2);
        return add(TokenKind::Greater, start, 1);
      case '.':
        if (isDigit(next) && !followsOperand()) return lexNumber();
        return add(TokenKind::Dot, start, 1);
      case '"':
      case '\'':
        return lexString(c);
      case '[': return lexBracketedName();
      case '#': return lexDate();
      case '{': return lexGuid();
      default: break;
    }
    if (isDigit(c)) return lexNumberOrName();
    if (isNameStart(c)) return lexName();
    if (c > ' ' && c < 0x7F) fail(start, "unexpected character '" + std::string(1, c) + "'");
    static constexpr char kHex[] = "0123456789ABCDEF";
    fail(start, std::string("unexpected control character U+00") + kHex[(c >> 4) & 0xF] + kHex[c & 0xF]);
  }

  bool followsOperand() const {
    if (tokens_.empty()) return false;
    const TokenKind k = tokens_.back().kind;
    return k == TokenKind::Name || k == TokenKind::RParen;
  }

  void lexString(char quote) {
    const std::size_t start = pos_;
    std::string text;
    std::size_t i = pos_ + 1;
    while (true) {
      const std::size_t q = s_.find(quote, i);
      if (q == std::string_view::npos) fail(start, "the text is missing its closing quote");
      text.append(s_.substr(i, q - i));
      if (q + 1 < s_.size() && s_[q + 1] == quote) {  // a doubled quote stands for itself
        text.push_back(quote);
        i = q + 2;
        continue;
      }
      return add(TokenKind::String, start, q + 1 - start, std::move(text));
    }
  }

  void lexBracketedName() {
    const std::size_t start = pos_;
    const std::size_t close = s_.find(']', start + 1);
    if (close == std::string_view::npos) fail(start, "missing ']' closing the name");
    const std::string_view name = s_.substr(start + 1, close - start - 1);
    if (name.empty()) fail(start, "empty name []");
    if (name.find('[') != std::string_view::npos) fail(start, "'[' inside a bracketed name");
    add(TokenKind::Name, start, close + 1 - start, std::string(name));
  }

  void lexName() {
    const std::size_t start = pos_;
    std::size_t end = start;
    while (end < s_.size() && isNameChar(s_[end])) ++end;
    const std::string_view word = s_.substr(start, end - start);
    static constexpr std::array<std::pair<std::string_view, TokenKind>, 8> kKeywords{{
        {"AND", TokenKind::And}, {"OR", TokenKind::Or}, {"NOT", TokenKind::Not},
        {"LIKE", TokenKind::Like}, {"IS", TokenKind::Is}, {"NULL", TokenKind::Null},
        {"TRUE", TokenKind::True}, {"FALSE", TokenKind::False},
    }};
    for (const auto& [keyword, kind] : kKeywords) {
      if (equalsIgnoringAsciiCase(word, keyword)) return add(kind, start, word.size());
    }
    add(TokenKind::Name, start, word.size(), std::string(word));
  }

  // A run starting with a digit is a number ("12", "1.5", "2E-3") unless
  // letters follow, as in the unbracketed field name 8_XI_B.
  void lexNumberOrName() {
    std::size_t end = pos_;
    while (end < s_.size() && isNameChar(s_[end])) ++end;
    const std::string_view run = s_.substr(pos_, end - pos_);
    std::size_t digits = 0;
    while (digits < run.size() && isDigit(run[digits])) ++digits;
    const bool exponentOnly = digits + 1 < run.size() && (run[digits] == 'e' || run[digits] == 'E') &&
                              run.find_first_not_of("0123456789", digits + 1) == std::string_view::npos;
    const bool signedExponent = digits + 1 == run.size() && (run[digits] == 'e' || run[digits] == 'E') &&
                                end + 1 < s_.size() && (s_[end] == '+' || s_[end] == '-') &&
                                isDigit(s_[end + 1]);
    if (digits == run.size() || exponentOnly || signedExponent) return lexNumber();
    lexName();
  }

  void lexNumber() {
    const std::size_t start = pos_;
    std::size_t i = start;
    while (i < s_.size() && isDigit(s_[i])) ++i;
    if (i < s_.size() && s_[i] == '.') {
      ++i;
      while (i < s_.size() && isDigit(s_[i])) ++i;
    }
    if (i < s_.size() && (s_[i] == 'e' || s_[i] == 'E')) {
      std::size_t j = i + 1;
      if (j < s_.size() && (s_[j] == '+' || s_[j] == '-')) ++j;
      if (j < s_.size() && isDigit(s_[j])) {
        i = j;
        while (i < s_.size() && isDigit(s_[i])) ++i;
      }
    }
    if (i < s_.size() && (isNameChar(s_[i]) || s_[i] == '.')) {
      fail(start, "malformed number '" + shortened(s_.substr(start, i + 1 - start)) + "'");
    }
    const std::string_view text = s_.substr(start, i - start);
    if (!parseNumber(text)) fail(start, "the number " + shortened(text) + " is out of range");
    add(TokenKind::Number, start, text.size(), std::string(text));
  }

  void lexDate() {
    const std::size_t start = pos_;
    const std::size_t close = s_.find('#', start + 1);
    if (close == std::string_view::npos) fail(start, "the date is missing its closing '#'");
    const std::string_view body = s_.substr(start + 1, close - start - 1);
    const auto day = parseDayNumber(body);
    if (!day) fail(start, "invalid date #" + shortened(body) + "#");
    add(TokenKind::Date, start, close + 1 - start);
    tokens_.back().number = *day;
  }

  // {guid {xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}}, the inner braces optional.
  void lexGuid() {
    const std::size_t start = pos_;
    std::size_t i = start + 1;
    const auto skipBlanks = [&] { while (i < s_.size() && isBlank(s_[i])) ++i; };
    skipBlanks();
    if (!equalsIgnoringAsciiCase(s_.substr(i, 4), "GUID")) fail(start, "unexpected character '{'");
    i += 4;
    skipBlanks();
    std::size_t end = s_.find('}', i);
    if (end != std::string_view::npos && i < s_.size() && s_[i] == '{') ++end;  // include the inner '}'
    if (end == std::string_view::npos || end > s_.size()) fail(start, "the GUID is missing its closing '}'");
    const auto guid = canonicalGuid(s_.substr(i, end - i));
    i = end;
    skipBlanks();
    if (!guid || i >= s_.size() || s_[i] != '}') fail(start, "malformed GUID");
    add(TokenKind::Guid, start, i + 1 - start, *guid);
  }

  std::string_view s_;
  std::size_t pos_ = 0;
  std::vector<Token> tokens_;
};

}  // namespace

void throwSyntaxError(std::string_view criteria, std::size_t byteOffset, const std::string& what) {
  throw CriteriaError("Syntax error in criteria at position " +
                      std::to_string(characterPosition(criteria, byteOffset)) + ": " + what + ".");
}

std::vector<Token> tokenize(std::string_view criteria) {
  if (criteria.size() > kMaxCriteriaBytes) {
    throw CriteriaError("The criteria text is too long (" + std::to_string(criteria.size()) +
                        " bytes; at most " + std::to_string(kMaxCriteriaBytes) + ").");
  }
  if (const std::size_t bad = findInvalidUtf8(criteria); bad != std::string_view::npos) {
    throwSyntaxError(criteria, bad, "the text is not valid UTF-8");
  }
  if (const std::size_t nul = criteria.find('\0'); nul != std::string_view::npos) {
    throwSyntaxError(criteria, nul, "NUL character in the text");
  }
  return Lexer(criteria).run();
}

std::string describeToken(const Token& token) {
  switch (token.kind) {
    case TokenKind::End: return "the end of the criteria";
    case TokenKind::Name: return "the name '" + shortened(token.text) + "'";
    case TokenKind::String: return "the text \"" + shortened(token.text) + "\"";
    case TokenKind::Number: return "the number " + token.text;
    case TokenKind::Date: return "a date";
    case TokenKind::Guid: return "a GUID";
    case TokenKind::LParen: return "'('";
    case TokenKind::RParen: return "')'";
    case TokenKind::Comma: return "','";
    case TokenKind::Dot: return "'.'";
    case TokenKind::Equal: return "'='";
    case TokenKind::NotEqual: return "'<>'";
    case TokenKind::Less: return "'<'";
    case TokenKind::LessEqual: return "'<='";
    case TokenKind::Greater: return "'>'";
    case TokenKind::GreaterEqual: return "'>='";
    case TokenKind::Plus: return "'+'";
    case TokenKind::Minus: return "'-'";
    case TokenKind::And: return "AND";
    case TokenKind::Or: return "OR";
    case TokenKind::Not: return "NOT";
    case TokenKind::Like: return "LIKE";
    case TokenKind::Is: return "IS";
    case TokenKind::Null: return "NULL";
    case TokenKind::True: return "TRUE";
    case TokenKind::False: return "FALSE";
  }
  return "a token";
}

}  // namespace dao::criteria::detail
