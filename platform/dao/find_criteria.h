#pragma once
// What every storage's StoredTable::compileFind shares: the names a FindFirst
// criteria may use for the table's fields, and the engine's errors for
// criteria that do not compile. The storage passes its own dialect's
// compiler.
//
// Contract: a name is the field alone or table.field (letter case ignored
// in both). A name that is no field raises EngineError 3070 naming it, any
// other CriteriaError 3077 with the compiler's description.
#include <functional>
#include <string_view>

#include "platform/dao/criteria/criteria.h"
#include "platform/dao/table_schema.h"

namespace dao {

using CriteriaCompiler =
    std::function<criteria::CompiledCriteria(std::string_view criteria, const criteria::ColumnResolver& resolve)>;

criteria::CompiledCriteria compileFindCriteria(const TableSchema& table, std::string_view criteriaText,
                                               const CriteriaCompiler& compile);

}  // namespace dao
