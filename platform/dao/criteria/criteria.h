#pragma once
// The engine's criteria language (the text given to Recordset.FindFirst),
// parsed into a syntax tree and compiled to an SQLite or a PostgreSQL WHERE
// clause with bound parameters. No text of the criteria is ever pasted into SQL.
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
//
// The PostgreSQL dialect (SqlDialect::Postgres) matches the same rows on the
// server's stored representation of the same values:
//  - Text, Memo and GUID columns are text (GUIDs as "{XXXXXXXX-...}"),
//    Boolean/Byte/Integer smallint, Long integer, Currency bigint (amount
//    times 10,000), Single real, Double and Date double precision (dates as
//    the engine's date number), Binary bytea; the database encoding is UTF8.
//  - postgresCriteriaFunctionsSql() must have run in the database: it creates
//    zen_fold, zen_text, zen_num, zen_date, zen_guid, zen_like and
//    zen_like_regex as SQL and PL/pgSQL functions (nothing to install on the
//    server). Case folding is the same table as here, independent of the
//    server's locale; text ordering is code point order (COLLATE "C").
//  - whereSql numbers its placeholders $1..$n in the order of `parameters`
//    and casts each to its type ($1::int8, $2::float8, $3::text), so any way
//    of binding them as text works; postgresParameterText() gives that text.
//  - The index range of a prefix search is
//    lower("col" COLLATE "C") >= $n AND lower("col" COLLATE "C") < $m, cut by
//    the same rules as the NOCASE range (lower() under "C" folds ASCII only),
//    so an index ON t (lower("col" COLLATE "C")) serves it.
//  - Known differences, all on values outside the stored representation
//    above: a LIKE on a GUID or Binary column sees the server's text or bytes
//    where SQLite sees a 16-byte GUID's raw bytes, and bytes that are not
//    UTF-8, read as text, are Null on the server.
#include <cstdint>
#include <functional>
#include <optional>
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
  std::string sqlName;  // the column as it is named in the database (will be quoted by the compiler)
  int daoType = 10;     // dao::FieldTypeCode of the column
};

// Given a name as written in the criteria ([bracketed] parts already unwrapped,
// dotted parts joined by '.'), returns the column or throws CriteriaError.
using ColumnResolver = std::function<ResolvedColumn(const std::string& name)>;

using SqlParameter = std::variant<std::monostate, std::int64_t, double, std::string>;

struct CompiledCriteria {
  std::string whereSql;                 // to follow "WHERE "
  std::vector<SqlParameter> parameters; // bound in order to the '?' (SQLite) or $1..$n in whereSql
};

enum class SqlDialect { Sqlite, Postgres };

CompiledCriteria compileCriteria(std::string_view criteriaUtf8, const ColumnResolver& resolve);
CompiledCriteria compileCriteria(std::string_view criteriaUtf8, const ColumnResolver& resolve,
                                 SqlDialect dialect);

// A parameter of PostgreSQL criteria as text for libpq (integers in decimal,
// reals in their shortest exact form); nullopt for NULL.
std::optional<std::string> postgresParameterText(const SqlParameter& parameter);

// The CREATE OR REPLACE FUNCTION statements the PostgreSQL dialect needs
// (one text, several statements; running it again changes nothing).
std::string postgresCriteriaFunctionsSql();

void registerCriteriaFunctions(sqlite3* db);

}  // namespace dao::criteria
