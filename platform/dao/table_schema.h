#pragma once
// What the engine knows of a table and its columns, read from the file's
// metadata (zen_tables, zen_columns) each time a recordset opens, so a
// column added meanwhile is seen at the next open.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/dao/typelib/dao_typelib.h"

namespace dao {

class SqliteConnection;

struct ColumnSchema {
  std::string name;
  int daoType = 10;
  int size = 0;  // as Field.Size reports it
  bool autoIncrement = false;
  bool required = false;
  bool unique = false;
  bool indexed = false;
  std::string defaultValue;  // as Field.DefaultValue reports it
  std::string format;        // the "Format" property; empty: none

  bool isText() const noexcept;  // Text or Memo
  // Longest text the column takes, in characters (0: no limit).
  int textLimit() const noexcept;
  // Field.Size for the type (Long 4, Text its size, Memo 0, ...).
  static int reportedSize(int daoType, int declaredSize) noexcept;
};

struct TableSchema {
  std::string name;          // as the table was created
  std::string sqlName;       // the SQLite table
  std::string rowKeySql;     // quoted SQL expression of the row key (rowid)
  std::int32_t attributes = 0;
  bool hasRowVersion = true; // false for the engine's own metadata tables
  bool alwaysReadOnly = false;
  std::vector<ColumnSchema> columns;

  bool isSystem() const noexcept { return (attributes & kSystemTableAttributes) != 0; }
  // Position of a column, name matched without regard to letter case.
  std::optional<std::size_t> findColumn(std::string_view columnName) const noexcept;
};

struct TableSummary {
  std::string name;
  std::int32_t attributes = 0;
};

// Every table of the file (the engine's metadata tables listed as system
// tables after the user's), in the order of creation.
std::vector<TableSummary> listTables(SqliteConnection& connection);

// The table of that name (letter case ignored); throws EngineError 3078.
std::shared_ptr<const TableSchema> loadTableSchema(SqliteConnection& connection, std::string_view tableName);

// Column types the engine stores.
bool isSupportedColumnType(int daoType) noexcept;

}  // namespace dao
