#include "platform/dao/criteria/criteria_parser.h"

#include <optional>
#include <utility>
#include <vector>

#include "platform/dao/criteria/criteria_lexer.h"
#include "platform/dao/criteria/criteria_utf8.h"

namespace dao::criteria::detail {

namespace {

NodePtr makeNode(NodeKind kind, std::size_t offset) {
  auto node = std::make_unique<Node>();
  node->kind = kind;
  node->offset = offset;
  return node;
}

class Parser {
 public:
  Parser(std::string_view criteria, std::vector<Token> tokens)
      : criteria_(criteria), tokens_(std::move(tokens)) {}

  NodePtr parse() {
    if (peek().kind == TokenKind::End) fail(peek(), "the criteria is empty");
    NodePtr root = parseOr();
    if (peek().kind == TokenKind::RParen) fail(peek(), "')' without a matching '('");
    if (peek().kind != TokenKind::End) {
      fail(peek(), "expected AND, OR or the end of the criteria but found " + describeToken(peek()));
    }
    return root;
  }

 private:
  // Counts one level of parentheses or function arguments for its lifetime.
  class Nesting {
   public:
    Nesting(Parser& parser, const Token& at) : parser_(parser) {
      if (++parser_.depth_ > kMaxNestingDepth) {
        parser_.fail(at, "the expression is nested more than " + std::to_string(kMaxNestingDepth) +
                             " levels deep");
      }
    }
    ~Nesting() { --parser_.depth_; }
    Nesting(const Nesting&) = delete;
    Nesting& operator=(const Nesting&) = delete;

   private:
    Parser& parser_;
  };

  const Token& peek() const { return tokens_[pos_]; }
  const Token& take() { return tokens_[pos_ < tokens_.size() - 1 ? pos_++ : pos_]; }
  bool accept(TokenKind kind) {
    if (peek().kind != kind) return false;
    take();
    return true;
  }
  [[noreturn]] void fail(const Token& at, const std::string& what) const {
    throwSyntaxError(criteria_, at.offset, what);
  }

  NodePtr parseList(NodeKind listKind, TokenKind separator, NodePtr (Parser::*item)()) {
    const std::size_t offset = peek().offset;
    NodePtr first = (this->*item)();
    if (peek().kind != separator) return first;
    NodePtr list = makeNode(listKind, offset);
    list->children.push_back(std::move(first));
    while (accept(separator)) list->children.push_back((this->*item)());
    return list;
  }

  NodePtr parseOr() { return parseList(NodeKind::Or, TokenKind::Or, &Parser::parseAnd); }
  NodePtr parseAnd() { return parseList(NodeKind::And, TokenKind::And, &Parser::parseNot); }

  NodePtr parseNot() {
    const std::size_t offset = peek().offset;
    bool negate = false;
    while (accept(TokenKind::Not)) negate = !negate;
    NodePtr predicate = parsePredicate();
    if (!negate) return predicate;
    NodePtr node = makeNode(NodeKind::Not, offset);
    node->children.push_back(std::move(predicate));
    return node;
  }

  NodePtr parsePredicate() {
    const std::size_t offset = peek().offset;
    NodePtr left = parseOperand();
    const TokenKind k = peek().kind;
    if (const auto op = compareOp(k)) {
      take();
      NodePtr node = makeNode(NodeKind::Compare, offset);
      node->op = *op;
      node->children.push_back(std::move(left));
      node->children.push_back(parseOperand());
      return node;
    }
    if (k == TokenKind::Like || (k == TokenKind::Not && tokens_[pos_ + 1].kind == TokenKind::Like)) {
      NodePtr node = makeNode(NodeKind::Like, offset);
      node->negated = accept(TokenKind::Not);
      take();
      node->children.push_back(std::move(left));
      node->children.push_back(parseOperand());
      return node;
    }
    if (accept(TokenKind::Is)) {
      NodePtr node = makeNode(NodeKind::IsNull, offset);
      node->negated = accept(TokenKind::Not);
      if (!accept(TokenKind::Null)) fail(peek(), "expected NULL after IS but found " + describeToken(peek()));
      node->children.push_back(std::move(left));
      return node;
    }
    return left;
  }

  static std::optional<CompareOp> compareOp(TokenKind kind) {
    switch (kind) {
      case TokenKind::Equal: return CompareOp::Equal;
      case TokenKind::NotEqual: return CompareOp::NotEqual;
      case TokenKind::Less: return CompareOp::Less;
      case TokenKind::LessEqual: return CompareOp::LessEqual;
      case TokenKind::Greater: return CompareOp::Greater;
      case TokenKind::GreaterEqual: return CompareOp::GreaterEqual;
      default: return std::nullopt;
    }
  }

  NodePtr parseOperand() {
    const std::size_t offset = peek().offset;
    bool negate = false;
    while (peek().kind == TokenKind::Minus || peek().kind == TokenKind::Plus) {
      if (take().kind == TokenKind::Minus) negate = !negate;
    }
    NodePtr value = parsePrimary();
    if (!negate) return value;
    NodePtr node = makeNode(NodeKind::Negate, offset);
    node->children.push_back(std::move(value));
    return node;
  }

  NodePtr parsePrimary() {
    const Token& t = peek();
    switch (t.kind) {
      case TokenKind::Number: return literal(NodeKind::Number);
      case TokenKind::String: return literal(NodeKind::Text);
      case TokenKind::Guid: return literal(NodeKind::Guid);
      case TokenKind::Date: {
        NodePtr node = literal(NodeKind::Date);
        node->number = t.number;
        return node;
      }
      case TokenKind::True:
      case TokenKind::False: {
        NodePtr node = literal(NodeKind::Boolean);
        node->boolean = t.kind == TokenKind::True;
        return node;
      }
      case TokenKind::Null: return literal(NodeKind::Null);
      case TokenKind::Name: return parseNameOrCall();
      case TokenKind::LParen: {
        const Token& open = take();
        Nesting nesting(*this, open);
        NodePtr inner = parseOr();
        if (!accept(TokenKind::RParen)) {
          fail(peek(), "missing closing parenthesis for the '(' at position " +
                           std::to_string(characterPosition(criteria_, open.offset)) + " (found " +
                           describeToken(peek()) + ")");
        }
        return inner;
      }
      default:
        fail(t, "expected a value or a field name but found " + describeToken(t));
    }
  }

  NodePtr literal(NodeKind kind) {
    const Token& t = take();
    NodePtr node = makeNode(kind, t.offset);
    node->text = t.text;
    return node;
  }

  NodePtr parseNameOrCall() {
    const Token& first = take();
    if (peek().kind == TokenKind::LParen) return parseCall(first);
    NodePtr node = makeNode(NodeKind::Column, first.offset);
    node->text = first.text;
    while (accept(TokenKind::Dot)) {
      if (peek().kind != TokenKind::Name) fail(peek(), "expected a name after '.' but found " + describeToken(peek()));
      node->text += '.';
      node->text += take().text;
    }
    return node;
  }

  NodePtr parseCall(const Token& name) {
    const Token& open = take();
    Nesting nesting(*this, open);
    NodePtr node = makeNode(NodeKind::Call, name.offset);
    node->text = name.text;
    if (accept(TokenKind::RParen)) return node;
    do {
      node->children.push_back(parseOr());
    } while (accept(TokenKind::Comma));
    if (!accept(TokenKind::RParen)) {
      fail(peek(), "missing closing parenthesis after the arguments of " + name.text + " (found " +
                       describeToken(peek()) + ")");
    }
    return node;
  }

  std::string_view criteria_;
  std::vector<Token> tokens_;
  std::size_t pos_ = 0;
  int depth_ = 0;
};

}  // namespace

NodePtr parseCriteria(std::string_view criteria) {
  return Parser(criteria, tokenize(criteria)).parse();
}

}  // namespace dao::criteria::detail
