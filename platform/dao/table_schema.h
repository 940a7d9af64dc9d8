#pragma once
// What the engine knows of a table and its columns, read from the stored
// catalogue (zen_tables, zen_columns) each time a recordset opens, so a
// column added meanwhile is seen at the next open.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/dao/typelib/dao_typelib.h"

namespace dao {

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
  std::string sqlName;       // the stored table, as its storage names it
  std::string rowKeySql;     // the storage's quoted SQL for the row key (in a file: rowid)
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

// The engine's metadata, readable (not writable) as system tables after
// the user's: ZSysTables over zen_tables and ZSysColumns over zen_columns
// (file_format.h), with the columns each lists.
struct MetadataTable {
  std::string_view name;
  std::string_view sqlName;  // the stored table
  std::vector<ColumnSchema> columns;
};
const std::vector<MetadataTable>& metadataTables();

// Column types the engine stores.
bool isSupportedColumnType(int daoType) noexcept;

}  // namespace dao
