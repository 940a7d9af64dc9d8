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
//    compiled SQL is prepared on it.
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
