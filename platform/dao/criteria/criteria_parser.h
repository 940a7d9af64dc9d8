#pragma once
// Recursive-descent parser of the criteria language.
//
//   criteria  := or END
//   or        := and { OR and }
//   and       := not { AND not }
//   not       := { NOT } predicate
//   predicate := operand [ compare operand | [NOT] LIKE operand | IS [NOT] NULL ]
//   compare   := = | <> | < | <= | > | >=
//   operand   := { + | - } primary
//   primary   := number | string | #date# | {guid ...} | TRUE | FALSE | NULL
//              | name { . name } [ "(" [ or { , or } ] ")" ] | "(" or ")"
//
// Contract: parseCriteria() returns the tree or throws CriteriaError naming
// the position. Parentheses and function arguments may nest at most
// kMaxNestingDepth deep, so hostile input cannot exhaust the stack; runs of
// NOT or of signs are folded while parsing and cost no depth.
#include <string_view>

#include "platform/dao/criteria/criteria_ast.h"

namespace dao::criteria::detail {

inline constexpr int kMaxNestingDepth = 200;

NodePtr parseCriteria(std::string_view criteria);

}  // namespace dao::criteria::detail
