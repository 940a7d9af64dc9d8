#include "platform/dao/file_catalog.h"

#include "platform/automation/text_compare.h"
#include "platform/dao/engine_error.h"
#include "platform/dao/file_format.h"
#include "platform/dao/sqlite_handle.h"

namespace dao {

namespace {

// Every column the catalogue lists (and the change counter) must exist in
// the table itself: a column dropped by another program is reported when
// the table opens, not on every read or at the first post.
void requireStoredColumns(SqliteConnection& connection, const TableSchema& schema) {
  std::vector<std::string> stored;
  SqliteStatement statement = connection.prepare("SELECT name FROM pragma_table_info(?1)");
  statement.bindText(1, schema.sqlName);
  while (statement.step()) stored.emplace_back(statement.text(0));
  const auto has = [&stored](std::string_view name) {
    for (const std::string& column : stored) {
      if (automation::equalsIgnoringAsciiCase(column, name)) return true;
    }
    return false;
  };
  if (stored.empty()) raise(error::tableNotFound, schema.name);
  for (const ColumnSchema& column : schema.columns) {
    if (!has(column.name)) raise(error::itemNotFound);
  }
  if (schema.hasRowVersion && !has(kRowVersionColumn)) raise(error::itemNotFound);
}

}  // namespace

std::vector<TableSummary> listTables(SqliteConnection& connection) {
  std::vector<TableSummary> tables;
  SqliteStatement statement = connection.prepare("SELECT name, attributes FROM zen_tables ORDER BY rowid");
  while (statement.step()) {
    tables.push_back(TableSummary{std::string(statement.text(0)), static_cast<std::int32_t>(statement.integer(1))});
  }
  for (const MetadataTable& metadata : metadataTables()) {
    tables.push_back(TableSummary{std::string(metadata.name), kSystemTableAttributes});
  }
  return tables;
}

std::shared_ptr<const TableSchema> loadTableSchema(SqliteConnection& connection, std::string_view tableName) {
  auto schema = std::make_shared<TableSchema>();
  for (const MetadataTable& metadata : metadataTables()) {
    if (automation::equalsIgnoringAsciiCase(metadata.name, tableName)) {
      schema->name = std::string(metadata.name);
      schema->sqlName = std::string(metadata.sqlName);
      schema->rowKeySql = "rowid";
      schema->attributes = kSystemTableAttributes;
      schema->hasRowVersion = false;
      schema->alwaysReadOnly = true;
      schema->columns = metadata.columns;
      return schema;
    }
  }
  // The table and its columns in one statement (this runs at every open).
  SqliteStatement statement = connection.prepare(
      "SELECT t.name, t.row_key, t.attributes, c.name, c.dao_type, c.size, c.auto_increment, c.required, "
      "c.unique_values, c.indexed, c.default_value, c.format FROM zen_tables t "
      "LEFT JOIN zen_columns c ON c.table_name = t.name WHERE t.name = ?1 COLLATE NOCASE ORDER BY c.ordinal");
  statement.bindText(1, tableName);
  if (!statement.step()) raise(error::tableNotFound, tableName);
  schema->name = std::string(statement.text(0));
  schema->sqlName = schema->name;
  schema->rowKeySql = quoteIdentifier(statement.text(1));
  schema->attributes = static_cast<std::int32_t>(statement.integer(2));
  do {
    if (statement.isNull(3)) continue;
    ColumnSchema column;
    column.name = std::string(statement.text(3));
    column.daoType = static_cast<int>(statement.integer(4));
    column.size = static_cast<int>(statement.integer(5));
    column.autoIncrement = statement.integer(6) != 0;
    column.required = statement.integer(7) != 0;
    column.unique = statement.integer(8) != 0;
    column.indexed = statement.integer(9) != 0;
    column.defaultValue = std::string(statement.text(10));
    column.format = std::string(statement.text(11));
    schema->columns.push_back(std::move(column));
  } while (statement.step());
  requireStoredColumns(connection, *schema);
  return schema;
}

}  // namespace dao
