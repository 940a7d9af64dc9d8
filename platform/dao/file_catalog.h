#pragma once
// The catalogue of a database file (zen_tables, zen_columns; file_format.h).
#include <memory>
#include <string_view>
#include <vector>

#include "platform/dao/sqlite_handle.h"
#include "platform/dao/table_schema.h"

namespace dao {

// Every table of the file (the engine's metadata tables listed as system
// tables after the user's), in the order of creation.
std::vector<TableSummary> listTables(SqliteConnection& connection);

// The table of that name (letter case ignored); throws EngineError 3078.
std::shared_ptr<const TableSchema> loadTableSchema(SqliteConnection& connection, std::string_view tableName);

}  // namespace dao
