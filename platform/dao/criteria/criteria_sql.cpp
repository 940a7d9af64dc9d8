// Conditions of a criteria text and the WHERE fragment they become.
#include <algorithm>

#include "platform/dao/criteria/criteria.h"
#include "platform/dao/criteria/criteria_casefold.h"
#include "platform/dao/criteria/criteria_lexer.h"
#include "platform/dao/criteria/criteria_nocase_range.h"
#include "platform/dao/criteria/criteria_parser.h"
#include "platform/dao/criteria/criteria_pattern.h"
#include "platform/dao/criteria/criteria_sql_compiler.h"
#include "platform/dao/criteria/criteria_utf8.h"

namespace dao::criteria {

namespace detail {

namespace {

CompareOp inverse(CompareOp op) {
  switch (op) {
    case CompareOp::Equal: return CompareOp::NotEqual;
    case CompareOp::NotEqual: return CompareOp::Equal;
    case CompareOp::Less: return CompareOp::GreaterEqual;
    case CompareOp::LessEqual: return CompareOp::Greater;
    case CompareOp::Greater: return CompareOp::LessEqual;
    case CompareOp::GreaterEqual: return CompareOp::Less;
  }
  return op;
}

std::string_view sqlOperator(CompareOp op) {
  switch (op) {
    case CompareOp::Equal: return " = ";
    case CompareOp::NotEqual: return " <> ";
    case CompareOp::Less: return " < ";
    case CompareOp::LessEqual: return " <= ";
    case CompareOp::Greater: return " > ";
    case CompareOp::GreaterEqual: return " >= ";
  }
  return " = ";
}

Condition leaf(Fragment f) {
  Condition c;
  c.leaf = std::move(f);
  return c;
}

Condition leaf(std::string_view sql) { return leaf(constant(sql)); }

Fragment binary(const Fragment& left, std::string_view op, const Fragment& right) {
  Fragment f = left;
  f.append(op);
  f.append(right);
  return f;
}

// SQLite: the NOCASE index. PostgreSQL: the index on lower(col COLLATE "C"),
// whose folding (ASCII only) and order (bytes) are NOCASE's.
Fragment nocaseBound(SqlDialect dialect, const std::string& column, std::string_view op,
                     const std::string& bound) {
  Fragment f;
  f.sql = dialect == SqlDialect::Postgres ? "lower(" + column + " COLLATE \"C\")" + std::string(op)
                                          : column + " COLLATE NOCASE" + std::string(op);
  f.append(parameter(bound));
  if (dialect == SqlDialect::Postgres) f.depth = 1;
  return f;
}

}  // namespace

// `exact` plus, when the prefix allows, the index range that every value it
// accepts lies in. An exact literal that NOCASE fully understands needs only
// the NOCASE equality.
Condition SqlCompiler::withNocaseRange(const std::string& column, std::u32string_view foldedPrefix,
                                       bool prefixIsWholeMatch, Fragment exact, bool rangeIsWholeMatch) {
  const auto range = nocaseRangeForPrefix(foldedPrefix);
  if (!range) return leaf(std::move(exact));
  if (prefixIsWholeMatch && range->wholePrefix) return leaf(nocaseBound(dialect_, column, " = ", range->lower));
  if (postgres() && rangeIsWholeMatch && range->wholePrefix && range->upper) {
    // "prefix*": exactly the values in the range, when the range covers the
    // whole prefix (its characters fold alike both ways). The server would
    // otherwise fold every value in the range through zen_fold, which costs
    // it more than the index look-up itself.
    Condition both;
    both.kind = Condition::Kind::And;
    both.children.push_back(leaf(nocaseBound(dialect_, column, " >= ", range->lower)));
    both.children.push_back(leaf(nocaseBound(dialect_, column, " < ", *range->upper)));
    return both;
  }
  // Hundreds of ranges would slow SQLite's planner for no gain; the exact
  // test alone is always correct.
  if (rangesLeft_ == 0) return leaf(std::move(exact));
  --rangesLeft_;
  Condition all;
  all.kind = Condition::Kind::And;
  all.children.push_back(leaf(nocaseBound(dialect_, column, " >= ", range->lower)));
  if (range->upper) all.children.push_back(leaf(nocaseBound(dialect_, column, " < ", *range->upper)));
  all.children.push_back(leaf(std::move(exact)));
  return all;
}

void Fragment::append(const Fragment& other) {
  sql += other.sql;
  parameters.insert(parameters.end(), other.parameters.begin(), other.parameters.end());
  depth = std::max(depth, other.depth);
}

Fragment constant(std::string_view sql) {
  Fragment f;
  f.sql = std::string(sql);
  return f;
}

Fragment parameter(SqlParameter value) {
  Fragment f;
  f.sql.push_back('?');
  f.parameters.push_back(std::move(value));
  return f;
}

Fragment function(std::string_view name, const Fragment& argument) {
  Fragment f;
  f.append(name);
  f.append("(");
  f.append(argument);
  f.append(")");
  f.depth = argument.depth + 1;
  return f;
}

Fragment parenthesised(const Fragment& inner) {
  Fragment f;
  f.append("(");
  f.append(inner);
  f.append(")");
  f.depth = inner.depth + 1;
  return f;
}

std::string quoteIdentifier(std::string_view name) {
  std::string out = "\"";
  for (char c : name) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  return out;
}

SqlCompiler::SqlCompiler(std::string_view criteria, const ColumnResolver& resolve, SqlDialect dialect)
    : criteria_(criteria), resolve_(resolve), dialect_(dialect) {}

void SqlCompiler::fail(std::size_t offset, const std::string& what) const {
  throwSyntaxError(criteria_, offset, what);
}

void SqlCompiler::mismatch(std::size_t offset) const {
  throw CriteriaError("Data type mismatch in criteria expression at position " +
                      std::to_string(characterPosition(criteria_, offset)) + ".");
}

// NOT is pushed down to the leaves (De Morgan, inverted comparisons), which
// holds in SQL's three-valued logic as it does in the engine's, and keeps
// the generated SQL free of NOT (...) nesting.
Condition SqlCompiler::condition(const Node& node, bool negate) {
  switch (node.kind) {
    case NodeKind::And:
    case NodeKind::Or: {
      Condition list;
      list.kind = ((node.kind == NodeKind::And) != negate) ? Condition::Kind::And : Condition::Kind::Or;
      for (const NodePtr& child : node.children) {
        Condition c = condition(*child, negate);
        if (c.kind == list.kind) {
          for (Condition& grandchild : c.children) list.children.push_back(std::move(grandchild));
        } else {
          list.children.push_back(std::move(c));
        }
      }
      return list;
    }
    case NodeKind::Not: return condition(*node.children.front(), !negate);
    default: break;
  }
  // SQLite's planner takes time quadratic in the number of terms (seconds
  // for a few thousand), so a bound keeps every FindFirst quick.
  if (++conditions_ > kMaxConditions) {
    throw CriteriaError("The criteria expression is too complex: it has more than " +
                        std::to_string(kMaxConditions) + " conditions.");
  }
  switch (node.kind) {
    case NodeKind::Compare: return comparison(node, negate ? inverse(node.op) : node.op);
    case NodeKind::Like: return like(node, node.negated != negate);
    case NodeKind::IsNull: return isNull(node, node.negated != negate);
    default: return truth(node, negate);
  }
}

Condition SqlCompiler::comparison(const Node& node, CompareOp op) {
  const Operand l = operand(*node.children[0]);
  const Operand r = operand(*node.children[1]);
  if (l.type == ValueType::Null || r.type == ValueType::Null) return leaf("NULL");  // unknown, never true

  const auto either = [&](ValueType t) { return l.type == t || r.type == t; };
  // The server orders text by its locale unless told otherwise; SQLite
  // compares the folded texts' bytes, which is code point order.
  const std::string textOp =
      postgres() ? " COLLATE \"C\"" + std::string(sqlOperator(op)) : std::string(sqlOperator(op));
  const std::size_t at = node.offset;
  if (either(ValueType::Binary)) return leaf(binary(asBytes(l, at), sqlOperator(op), asBytes(r, at)));
  if (either(ValueType::Guid)) return leaf(binary(asGuid(l, at), sqlOperator(op), asGuid(r, at)));
  if (l.type == ValueType::Text && r.type == ValueType::Text) {
    if (op == CompareOp::Equal && l.textColumn && r.literal) return indexedTextEquality(*l.textColumn, r.text);
    if (op == CompareOp::Equal && r.textColumn && l.literal) return indexedTextEquality(*r.textColumn, l.text);
    return leaf(binary(asText(l), textOp, asText(r)));
  }
  if (either(ValueType::Date)) return leaf(binary(asDay(l, at), sqlOperator(op), asDay(r, at)));
  return leaf(binary(asNumber(l, at), sqlOperator(op), asNumber(r, at)));
}

Condition SqlCompiler::indexedTextEquality(const std::string& column, const std::string& literal) {
  const std::string folded = mapUtf8(literal, foldCase);
  Fragment exact;
  exact.append("zen_fold(" + column + ") = ");
  exact.append(parameter(folded));
  exact.depth = 1;
  return withNocaseRange(column, decodeUtf8(folded), true, std::move(exact));
}

Condition SqlCompiler::like(const Node& node, bool negated) {
  const Operand value = operand(*node.children[0]);
  const Operand pattern = operand(*node.children[1]);
  if (value.type == ValueType::Null || pattern.type == ValueType::Null) return leaf("NULL");

  Fragment test;
  if (negated) test.append("NOT ");
  if (!pattern.literal) {
    test.append("zen_like(");
    test.append(postgres() ? asTextValue(value) : asRaw(value));
    test.append(", ");
    test.append(postgres() ? asTextValue(pattern) : asRaw(pattern));
    test.append(")");
    test.depth += 1;
    return leaf(std::move(test));
  }
  if (pattern.type != ValueType::Text && pattern.type != ValueType::Number) mismatch(pattern.offset);
  std::optional<LikePattern> compiled;
  try {
    compiled.emplace(pattern.text);
  } catch (const PatternSyntaxError& e) {
    fail(pattern.offset, std::string("invalid LIKE pattern: ") + e.what());
  }
  if (postgres()) {
    // The pattern is translated here, once, into the server's LIKE (when it
    // needs neither "#" nor a list) or a regular expression, both over the
    // case-folded value.
    test = Fragment{};
    test.append(function("zen_fold", asTextValue(value)));
    const auto like = compiled->postgresLikePattern();
    test.append(like ? (negated ? " NOT LIKE " : " LIKE ") : (negated ? " !~ " : " ~ "));
    test.append(parameter(like ? *like : compiled->postgresRegex()));
  } else {
    test.append("zen_like(");
    test.append(asRaw(value));
    test.append(", ");
    test.append(parameter(pattern.text));
    test.append(")");
    test.depth += 1;
  }
  if (negated || !value.textColumn) return leaf(std::move(test));  // a range cannot serve NOT
  return withNocaseRange(*value.textColumn, compiled->literalPrefix(), compiled->isLiteral(),
                         std::move(test), compiled->isPrefixThenAnything());
}

Condition SqlCompiler::isNull(const Node& node, bool negated) {
  const Operand value = operand(*node.children.front());
  return leaf(binary(asRaw(value), negated ? " IS NOT NULL" : " IS NULL", Fragment{}));
}

// A value standing alone as a condition: true when it is a non-zero number.
Condition SqlCompiler::truth(const Node& node, bool negate) {
  const Operand o = operand(node);
  if (o.type == ValueType::Null) return leaf("NULL");
  if (o.literal && o.type == ValueType::Number) {
    const bool isTrue = o.number.isInteger ? o.number.integer != 0 : o.number.real != 0.0;
    if (postgres()) return leaf(isTrue != negate ? "TRUE" : "FALSE");
    return leaf(isTrue != negate ? "1" : "0");
  }
  if (o.type != ValueType::Number && o.type != ValueType::Date) mismatch(node.offset);
  return leaf(binary(asNumber(o, node.offset), negate ? " = 0" : " <> 0", Fragment{}));
}

Fragment SqlCompiler::output(const Condition& condition) const {
  if (condition.kind == Condition::Kind::Leaf) return condition.leaf;
  const std::string_view separator = condition.kind == Condition::Kind::And ? " AND " : " OR ";
  const auto join = [separator](const std::vector<Fragment>& parts, std::size_t from, std::size_t to) {
    Fragment f;
    for (std::size_t i = from; i < to; ++i) {
      if (i > from) f.append(separator);
      f.append(parts[i]);
    }
    return parenthesised(f);
  };
  std::vector<Fragment> parts;
  parts.reserve(condition.children.size());
  for (const Condition& child : condition.children) parts.push_back(output(child));
  while (parts.size() > kMaxListLength) {
    std::vector<Fragment> groups;
    for (std::size_t i = 0; i < parts.size(); i += kMaxListLength) {
      groups.push_back(join(parts, i, std::min(parts.size(), i + kMaxListLength)));
    }
    parts = std::move(groups);
  }
  return join(parts, 0, parts.size());
}

}  // namespace detail

CompiledCriteria compileCriteria(std::string_view criteriaUtf8, const ColumnResolver& resolve) {
  return compileCriteria(criteriaUtf8, resolve, SqlDialect::Sqlite);
}

CompiledCriteria compileCriteria(std::string_view criteriaUtf8, const ColumnResolver& resolve,
                                 SqlDialect dialect) {
  const detail::NodePtr tree = detail::parseCriteria(criteriaUtf8);
  detail::SqlCompiler compiler(criteriaUtf8, resolve, dialect);
  const detail::Condition root = compiler.condition(*tree, false);
  detail::Fragment where = compiler.output(root);
  // Lists come parenthesised; a single condition is wrapped as well, so the
  // caller can combine the text with other conditions safely.
  if (root.kind == detail::Condition::Kind::Leaf) where = detail::parenthesised(where);
  if (where.depth > detail::kMaxSqlNesting) {
    throw CriteriaError("The criteria expression is too complex: its conditions are nested more than " +
                        std::to_string(detail::kMaxSqlNesting) + " levels deep.");
  }
  if (dialect == SqlDialect::Postgres) where.sql = detail::numberPostgresPlaceholders(where.sql, where.parameters);
  return {std::move(where.sql), std::move(where.parameters)};
}

}  // namespace dao::criteria
