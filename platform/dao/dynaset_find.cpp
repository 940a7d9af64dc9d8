// Dynaset: FindFirst, evaluated by SQLite over the table with the criteria
// compiled to a parameterised WHERE clause, restricted to the keyset.
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/automation/text_compare.h"
#include "platform/dao/criteria/criteria.h"
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

namespace {

// A criteria text compiled to the statement that searches the table's keys.
struct CompiledSearch {
  std::string criteria;
  std::string sql;
  std::vector<criteria::SqlParameter> parameters;
};

CompiledSearch compileSearch(const TableSchema& table, std::string_view criteriaText) {
  // A name may be written as the field alone or as table.field.
  std::string unknownName;
  const criteria::ColumnResolver resolve = [&](const std::string& name) -> criteria::ResolvedColumn {
    std::optional<std::size_t> column = table.findColumn(name);
    if (!column) {
      const auto dot = name.rfind('.');
      if (dot != std::string::npos && automation::equalsIgnoringAsciiCase(std::string_view(name).substr(0, dot), table.name)) {
        column = table.findColumn(std::string_view(name).substr(dot + 1));
      }
    }
    if (!column) {
      unknownName = name;
      throw criteria::CriteriaError("'" + name + "' is not a field of table '" + table.name + "'");
    }
    return criteria::ResolvedColumn{table.columns[*column].name, table.columns[*column].daoType};
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
  return {std::string(criteriaText),
          "SELECT " + table.rowKeySql + " FROM " + quoteIdentifier(table.sqlName) + " WHERE (" + compiled.whereSql +
              ") ORDER BY " + table.rowKeySql,
          std::move(compiled.parameters)};
}

}  // namespace

// The most recently compiled criteria texts of a dynaset and its clones. The
// compilation depends on the text and the table only.
struct Dynaset::FindCache {
  static constexpr std::size_t kEntries = 8;

  const CompiledSearch& get(const TableSchema& table, std::string_view criteriaText) {
    for (const CompiledSearch& entry : entries) {
      if (entry.criteria == criteriaText) return entry;
    }
    CompiledSearch compiled = compileSearch(table, criteriaText);
    if (entries.size() < kEntries) return entries.emplace_back(std::move(compiled));
    CompiledSearch& slot = entries[next];
    next = (next + 1) % kEntries;
    return slot = std::move(compiled);
  }

  std::vector<CompiledSearch> entries;
  std::size_t next = 0;
};

std::shared_ptr<Dynaset::FindCache> Dynaset::newFindCache() { return std::make_shared<FindCache>(); }

bool Dynaset::findFirst(std::string_view criteriaText) {
  requireOpen();
  // Stays valid for this call: nothing else reaches the cache meanwhile.
  const CompiledSearch& search = findCache_->get(*table_, criteriaText);
  std::optional<std::int64_t> found;
  {
    SqliteStatement& statement = connection_->statement(search.sql);
    StatementUse use(statement);
    try {
      for (std::size_t i = 0; i < search.parameters.size(); ++i) {
        bindParameter(statement, static_cast<int>(i + 1), search.parameters[i]);
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
