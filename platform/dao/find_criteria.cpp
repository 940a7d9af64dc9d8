#include "platform/dao/find_criteria.h"

#include <optional>
#include <string>

#include "platform/automation/text_compare.h"
#include "platform/dao/engine_error.h"

namespace dao {

criteria::CompiledCriteria compileFindCriteria(const TableSchema& table, std::string_view criteriaText,
                                               const CriteriaCompiler& compile) {
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
  try {
    return compile(criteriaText, resolve);
  } catch (const criteria::CriteriaError& failure) {
    if (!unknownName.empty()) raise(error::unknownCriteriaName, unknownName);
    raise(error::criteriaSyntax, failure.what());
  }
}

}  // namespace dao
