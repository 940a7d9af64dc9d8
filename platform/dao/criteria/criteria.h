#pragma once
// The engine's criteria language (the text given to Recordset.FindFirst),
// parsed into a syntax tree and compiled to an SQLite WHERE clause with bound
// parameters. No text of the criteria is ever pasted into SQL.
//
// Contract:
//  - compileCriteria() throws CriteriaError with a readable description for
//    text it cannot parse (and for names the resolver refuses).
//  - Text comparisons and LIKE ignore letter case (full Unicode simple case
//    folding, not only ASCII); "_" and "%" are ordinary characters.
//  - registerCriteriaFunctions() must have run on the connection before the
//    compiled SQL is prepared on it. It adds zen_like(value, pattern),
//    zen_fold(text), zen_num(value), zen_date(value) and zen_guid(value).
//  - whereSql is one parenthesised condition, safe to combine with others by
//    AND; every literal of the criteria is a parameter, never SQL text.
//  - Every text compileCriteria() returns prepares on SQLite 3.40 (nesting
//    and list lengths stay inside its parser and expression-depth limits);
//    deeper criteria are refused with CriteriaError, as are texts longer
//    than 64 KiB, not UTF-8 or holding NUL, and criteria of more than 1000
//    conditions (SQLite would take seconds to plan them).
//  - A LIKE or "=" with a literal text on a Text or Memo column also yields
//    "col COLLATE NOCASE >= ? AND col COLLATE NOCASE < ?" (or "= ?") beside
//    the exact test (for the first 32 such tests of a criteria), so an index
//    ON t(col COLLATE NOCASE) serves it; the range provably never excludes a
//    row the exact test accepts. Prefixes are cut before characters NOCASE
//    cannot fold (non-ASCII letters, and k and s, which KELVIN SIGN and LONG S
//    fold to), so "k*" or "é*" get no range.
//
// What the compiled SQL assumes about stored values (the engine's storage):
//  - Text and Memo columns hold SQLite TEXT (UTF-8), declared with TEXT affinity.
//  - Boolean: any non-zero number is True; compared as True = -1.
//  - Currency: COM's currency, the amount times 10,000, as an integer.
//  - Date: the engine's date number (days since 30 Dec 1899) as REAL; ISO
//    text ("2020-12-31 10:00:00") is understood as well.
//  - GUID: 16 bytes in Windows layout, or its text "{XXXXXXXX-...}".
//  - Binary: compared byte for byte with the text given.
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

struct sqlite3;

namespace dao::criteria {

class CriteriaError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct ResolvedColumn {
  std::string sqlName;  // the column as it is named in SQLite (will be quoted by the compiler)
  int daoType = 10;     // dao::FieldTypeCode of the column
};

// Given a name as written in the criteria ([bracketed] parts already unwrapped,
// dotted parts joined by '.'), returns the column or throws CriteriaError.
using ColumnResolver = std::function<ResolvedColumn(const std::string& name)>;

using SqlParameter = std::variant<std::monostate, std::int64_t, double, std::string>;

struct CompiledCriteria {
  std::string whereSql;                 // to follow "WHERE "
  std::vector<SqlParameter> parameters; // bound in order to the '?' in whereSql
};

CompiledCriteria compileCriteria(std::string_view criteriaUtf8, const ColumnResolver& resolve);

void registerCriteriaFunctions(sqlite3* db);

}  // namespace dao::criteria
