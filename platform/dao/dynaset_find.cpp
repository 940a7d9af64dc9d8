// Dynaset: FindFirst, evaluated by SQLite over the table with the criteria
// compiled to a parameterised WHERE clause, restricted to the keyset.
#include <string>
#include <variant>

#include "platform/automation/text_compare.h"
#include "platform/dao/criteria.h"
#include "platform/dao/dynaset.h"
#include "platform/dao/engine_error.h"

namespace dao {

namespace {

void bindParameter(SqliteStatement& statement, int index, const criteria::SqlParameter& parameter) {
  if (const auto* whole = std::get_if<std::int64_t>(&parameter)) {
    statement.bindInteger(index, *whole);
  } else if (const auto* real = std::get_if<double>(&parameter)) {
    statement.bindDouble(index, *real);
  } else if (const auto* text = std::get_if<std::string>(&parameter)) {
    statement.bindText(index, *text);
  } else {
    statement.bindNull(index);
  }
}

}  // namespace

bool Dynaset::findFirst(std::string_view criteriaText) {
  requireOpen();
  // A name may be written as the field alone or as table.field.
  std::string unknownName;
  const criteria::ColumnResolver resolve = [&](const std::string& name) -> criteria::ResolvedColumn {
    std::optional<std::size_t> column = table_->findColumn(name);
    if (!column) {
      const auto dot = name.rfind('.');
      if (dot != std::string::npos && automation::equalsIgnoringCase(std::string_view(name).substr(0, dot), table_->name)) {
        column = table_->findColumn(std::string_view(name).substr(dot + 1));
      }
    }
    if (!column) {
      unknownName = name;
      throw criteria::CriteriaError("'" + name + "' is not a field of table '" + table_->name + "'");
    }
    return criteria::ResolvedColumn{table_->columns[*column].name, table_->columns[*column].daoType};
  };
  criteria::CompiledCriteria compiled;
  try {
    compiled = criteria::compileCriteria(criteriaText, resolve);
  } catch (const criteria::CriteriaError& failure) {
    if (!unknownName.empty()) raise(error::unknownCriteriaName, unknownName);
    raise(error::criteriaSyntax, failure.what());
  }
  // Only keys are searched (an index on the column then covers the search,
  // and its matches sort cheaply); the row found is read when landing.
  const std::string sql = "SELECT " + table_->rowKeySql + " FROM " + quoteIdentifier(table_->sqlName) + " WHERE (" +
                          compiled.whereSql + ") ORDER BY " + table_->rowKeySql;
  std::optional<std::int64_t> found;
  {
    SqliteStatement& statement = connection_->statement(sql);
    StatementUse use(statement);
    try {
      for (std::size_t i = 0; i < compiled.parameters.size(); ++i) {
        bindParameter(statement, static_cast<int>(i + 1), compiled.parameters[i]);
      }
      while (statement.step()) {
        const std::int64_t rowId = statement.integer(0);
        if (keyset_->contains(rowId)) {
          found = rowId;
          break;
        }
      }
    } catch (const SqliteError& failure) {
      connection_->raiseSqliteFailure(failure);
    }
  }
  if (!found) return false;
  landOnKey(*found);
  return true;
}

}  // namespace dao
