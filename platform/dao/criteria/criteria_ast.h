#pragma once
// Syntax tree of a criteria text, as the parser builds it and the SQL
// compiler reads it. Types and names are not checked at this stage.
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace dao::criteria::detail {

enum class NodeKind {
  Or,       // children: two or more conditions
  And,      // children: two or more conditions
  Not,      // children: one condition
  Compare,  // children: left, right; `op`
  Like,     // children: value, pattern; `negated` for NOT LIKE
  IsNull,   // children: value; `negated` for IS NOT NULL
  Negate,   // children: one value (unary minus)
  Call,     // children: arguments; `text`: the function name as written
  Column,   // `text`: the name, parts joined by '.'
  Text,     // `text`: the string
  Number,   // `text`: the number as written
  Date,     // `number`: the day number
  Guid,     // `text`: the canonical GUID
  Boolean,  // `boolean`
  Null,
};

enum class CompareOp { Equal, NotEqual, Less, LessEqual, Greater, GreaterEqual };

struct Node {
  NodeKind kind = NodeKind::Null;
  std::size_t offset = 0;  // byte offset of the node's first token in the criteria
  std::vector<std::unique_ptr<Node>> children;
  CompareOp op = CompareOp::Equal;
  bool negated = false;
  bool boolean = false;
  std::string text;
  double number = 0;
};

using NodePtr = std::unique_ptr<Node>;

}  // namespace dao::criteria::detail
