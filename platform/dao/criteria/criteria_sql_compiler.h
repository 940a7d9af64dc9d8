#pragma once
// Internal: turns a criteria syntax tree into an SQLite or PostgreSQL WHERE
// fragment. Fragments always use '?' for parameters; compileCriteria()
// numbers them for PostgreSQL at the end.
// compileCriteria() (criteria.h) is the public entry; this class is split
// over criteria_sql.cpp (conditions, output) and criteria_sql_operands.cpp
// (values, types and their conversions).
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/dao/criteria/criteria.h"
#include "platform/dao/criteria/criteria_ast.h"
#include "platform/dao/criteria/criteria_values.h"

namespace dao::criteria::detail {

// Generated SQL never nests parentheses deeper than this, so that SQLite's
// parser (whose stack holds about 100 entries in the versions we meet) and
// its expression-depth limit accept every text compileCriteria() returns.
inline constexpr int kMaxSqlNesting = 24;

// Flat AND/OR lists longer than this are grouped, keeping SQLite's
// expression tree shallow (it refuses trees deeper than 1000).
inline constexpr std::size_t kMaxListLength = 32;

// At most this many comparisons, LIKE and IS NULL tests in one criteria
// text (the engine we stand in for allowed 99 ANDs).
inline constexpr int kMaxConditions = 1000;

// At most this many index ranges are added to one criteria text (a search
// needs one per OR-ed prefix test).
inline constexpr int kMaxIndexRanges = 32;

enum class ValueType { Text, Number, Date, Guid, Binary, Null };

struct Fragment {
  std::string sql;
  std::vector<SqlParameter> parameters;
  int depth = 0;  // deepest parenthesis nesting within sql

  void append(const Fragment& other);
  void append(std::string_view text) { sql += text; }
};

// A value of the criteria, compiled.
struct Operand {
  ValueType type = ValueType::Null;
  std::size_t offset = 0;
  bool literal = false;
  // Literal value: `text` for Text and Guid, `number` for Number, `day` for Date.
  std::string text;
  NumberValue number;
  double day = 0;
  // Non-literal value: `value` is the expression in its type's comparison
  // form (dates as day numbers, GUIDs as canonical text); `raw` is the
  // stored value itself, for IS NULL and LIKE.
  Fragment value;
  Fragment raw;
  // Set when the operand is a text column as stored (possibly under LCASE or
  // UCASE): the quoted name, usable with the column's NOCASE index.
  std::optional<std::string> textColumn;
  // A smallint or integer column on PostgreSQL, widened before negation so
  // that -(-32768) does not overflow there.
  bool narrowInteger = false;
};

// A condition: a leaf or an AND/OR list, kept as a tree until output so that
// nested lists of the same kind merge.
struct Condition {
  enum class Kind { Leaf, And, Or } kind = Kind::Leaf;
  Fragment leaf;
  std::vector<Condition> children;
};

class SqlCompiler {
 public:
  SqlCompiler(std::string_view criteria, const ColumnResolver& resolve, SqlDialect dialect);

  Condition condition(const Node& node, bool negate);
  Fragment output(const Condition& condition) const;

 private:
  // criteria_sql.cpp
  Condition comparison(const Node& node, CompareOp op);
  Condition like(const Node& node, bool negated);
  Condition isNull(const Node& node, bool negated);
  Condition truth(const Node& node, bool negate);
  Condition indexedTextEquality(const std::string& column, const std::string& literal);
  // `rangeIsWholeMatch`: the pattern is the prefix followed by "*" only, so
  // that on the server a range covering the whole prefix needs no exact test
  // beside it.
  Condition withNocaseRange(const std::string& column, std::u32string_view foldedPrefix,
                            bool prefixIsWholeMatch, Fragment exact, bool rangeIsWholeMatch = false);

  // criteria_sql_operands.cpp
  Operand operand(const Node& node);
  Operand column(const Node& node);
  Operand negation(const Node& node);
  Operand call(const Node& node);
  Fragment asText(const Operand& o) const;    // case-folded, for comparison
  Fragment asNumber(const Operand& o, std::size_t at) const;
  Fragment asDay(const Operand& o, std::size_t at) const;
  Fragment asGuid(const Operand& o, std::size_t at) const;
  Fragment asBytes(const Operand& o, std::size_t at) const;
  Fragment asRaw(const Operand& o) const;     // the value unconverted
  Fragment asPatternText(const Operand& o, std::size_t at) const;
  Fragment asTextValue(const Operand& o) const;  // PostgreSQL: the value as text, for LIKE
  Fragment truthValue(const Fragment& condition) const;  // True -1, False 0, Null
  bool postgres() const { return dialect_ == SqlDialect::Postgres; }

  [[noreturn]] void fail(std::size_t offset, const std::string& what) const;
  [[noreturn]] void mismatch(std::size_t offset) const;

  std::string_view criteria_;
  const ColumnResolver& resolve_;
  SqlDialect dialect_;
  int conditions_ = 0;
  int rangesLeft_ = kMaxIndexRanges;
};

Fragment constant(std::string_view sql);  // fixed SQL text, no parameters
Fragment parameter(SqlParameter value);
Fragment function(std::string_view name, const Fragment& argument);
Fragment parenthesised(const Fragment& inner);
std::string quoteIdentifier(std::string_view name);

// Replaces every '?' outside double-quoted identifiers with $1::type, $2::type, ...
std::string numberPostgresPlaceholders(std::string_view sql, const std::vector<SqlParameter>& parameters);

}  // namespace dao::criteria::detail
