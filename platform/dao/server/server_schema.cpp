#include "platform/dao/server/server_schema.h"

#include "platform/automation/text_compare.h"
#include "platform/dao/criteria/criteria.h"
#include "platform/dao/engine_error.h"
#include "platform/dao/file_format.h"
#include "platform/dao/server/server_errors.h"

namespace dao::server {

namespace {

using postgres::PostgresConnection;
using postgres::PostgresError;

std::string quoted(std::string_view name) { return PostgresConnection::quoteIdentifier(name); }

[[noreturn]] void refuseDefinition(const std::string& description) {
  throw EngineError(dao::error::invalidArgument, description);
}

// The checks of DatabaseBuilder::createTable, plus the server's limit on
// identifiers (a longer name would be cut short silently).
void validateTable(PostgresConnection& connection, const TableDefinition& table) {
  if (table.name.empty()) refuseDefinition("A table needs a name.");
  if (isReservedName(table.name)) refuseDefinition("The table name '" + table.name + "' is reserved by the engine.");
  if (table.name.size() > kMaxServerIdentifier)
    refuseDefinition("The table name '" + table.name + "' is longer than the database server allows.");
  const auto existing = connection.queryPrepared(
      "zen_table_exists", "SELECT 1 FROM zen_tables WHERE lower(name COLLATE \"C\") = lower($1 COLLATE \"C\")",
      {table.name});
  if (existing.rows() > 0) raise(dao::error::tableExists, table.name);
  if (table.columns.empty()) refuseDefinition("The table '" + table.name + "' needs at least one field.");
  int autoIncrementColumns = 0;
  for (std::size_t i = 0; i < table.columns.size(); ++i) {
    const ColumnDefinition& column = table.columns[i];
    if (column.name.empty()) refuseDefinition("A field of table '" + table.name + "' has no name.");
    if (isReservedName(column.name)) refuseDefinition("The field name '" + column.name + "' is reserved by the engine.");
    if (column.name.size() > kMaxServerIdentifier)
      refuseDefinition("The field name '" + column.name + "' is longer than the database server allows.");
    for (std::size_t j = 0; j < i; ++j) {
      if (automation::equalsIgnoringAsciiCase(table.columns[j].name, column.name))
        raise(dao::error::duplicateFieldName, column.name);
    }
    if (!isSupportedColumnType(column.type)) raise(dao::error::invalidFieldType);
    if (column.autoIncrement && (column.type != dbLong || ++autoIncrementColumns > 1))
      raise(dao::error::invalidFieldType);
    if (column.size < 0 || (column.type == dbText && column.size > 255))
      refuseDefinition("The size of field '" + column.name + "' is out of range.");
  }
}

std::string rowKeyOf(const TableDefinition& table) {
  for (const ColumnDefinition& column : table.columns) {
    if (column.autoIncrement) return column.name;
  }
  return std::string(kHiddenRowKeyColumn);
}

std::string rowKeyOf(const TableSchema& table) {
  for (const ColumnSchema& column : table.columns) {
    if (column.autoIncrement) return column.name;
  }
  return std::string(kHiddenRowKeyColumn);
}

// "zen_ix_<table>_<ordinal>"; where that is longer than the server keeps,
// the table's ordinal stands in for its name so that names stay distinct.
std::string indexName(std::string_view kind, const std::string& table, std::int64_t tableOrdinal,
                      std::size_t columnOrdinal) {
  std::string name = std::string(kind) + table + "_" + std::to_string(columnOrdinal);
  if (name.size() <= kMaxServerIdentifier) return name;
  return std::string(kind) + "t" + std::to_string(tableOrdinal) + "_" + std::to_string(columnOrdinal);
}

std::string flag(bool value) { return value ? "1" : "0"; }

bool isTrue(const postgres::PostgresResult& result, int row, int column) {
  return !result.isNull(row, column) && result.text(row, column) == "t";
}

}  // namespace

std::string_view serverColumnType(int daoType) noexcept {
  switch (daoType) {
    case dbBoolean:
    case dbByte:
    case dbInteger: return "smallint";
    case dbLong: return "integer";
    case dbCurrency: return "bigint";
    case dbSingle: return "real";
    case dbDouble:
    case dbDate: return "double precision";
    case dbBinary:
    case dbLongBinary: return "bytea";
    default: return "text";
  }
}

void createServerSchema(PostgresConnection& connection, const std::vector<TableDefinition>& tables) {
  const std::string server = connection.describe();
  try {
    if (!connection.query("SELECT to_regclass('zen_info')").isNull(0, 0)) raise(dao::error::databaseExists);
    connection.execute(
        "CREATE TABLE zen_info(key text PRIMARY KEY, value text NOT NULL);"
        "CREATE TABLE zen_tables(name text NOT NULL, row_key text NOT NULL, attributes integer NOT NULL, "
        "ordinal integer NOT NULL PRIMARY KEY);"
        "CREATE UNIQUE INDEX zen_tables_name ON zen_tables (lower(name COLLATE \"C\"));"
        "CREATE TABLE zen_columns(table_name text NOT NULL, ordinal integer NOT NULL, name text NOT NULL, "
        "dao_type integer NOT NULL, size integer NOT NULL, auto_increment integer NOT NULL, "
        "required integer NOT NULL, unique_values integer NOT NULL, indexed integer NOT NULL, "
        "default_value text NOT NULL, format text NOT NULL, PRIMARY KEY(table_name, ordinal));"
        // Writers that do not know the row version still cause write
        // conflicts: an UPDATE that leaves it alone raises it.
        "CREATE OR REPLACE FUNCTION zen_raise_version() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN "
        "IF NEW.zen_version = OLD.zen_version THEN NEW.zen_version := OLD.zen_version + 1; END IF; "
        "RETURN NEW; END $$;");
    // What FindFirst's criteria compile to on the server calls these.
    connection.execute(criteria::postgresCriteriaFunctionsSql());
    connection.query("INSERT INTO zen_info(key, value) VALUES ($1, $2), ($3, $4), ($5, $6)",
                     {"format_version", std::string(kFormatVersion), "collating_order",
                      std::to_string(kCollatingOrder), "server_schema", std::string(kServerSchemaVersion)});
  } catch (const PostgresError& failure) {
    raiseServerFailure(failure, server);
  }
  for (const TableDefinition& table : tables) createServerTable(connection, table);
}

void createServerTable(PostgresConnection& connection, const TableDefinition& table) {
  const std::string server = connection.describe();
  try {
    validateTable(connection, table);
    const std::string rowKey = rowKeyOf(table);
    const std::string quotedTable = quoted(table.name);
    const std::string keyType = " bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY";
    std::string columnsSql;
    if (rowKey == kHiddenRowKeyColumn) columnsSql = quoted(rowKey) + keyType + ", ";
    for (const ColumnDefinition& column : table.columns) {
      columnsSql += quoted(column.name);
      columnsSql += column.autoIncrement ? keyType : " " + std::string(serverColumnType(column.type));
      columnsSql += ", ";
    }
    columnsSql += quoted(kRowVersionColumn) + " bigint NOT NULL DEFAULT 0";
    connection.execute("CREATE TABLE " + quotedTable + " (" + columnsSql + ")");
    connection.execute("CREATE TRIGGER zen_version BEFORE UPDATE ON " + quotedTable +
                       " FOR EACH ROW EXECUTE FUNCTION zen_raise_version()");

    const auto ordinal = connection.queryPrepared(
        "zen_table_insert",
        "INSERT INTO zen_tables(name, row_key, attributes, ordinal) "
        "SELECT $1, $2, $3::integer, COALESCE(max(ordinal), 0) + 1 FROM zen_tables RETURNING ordinal",
        {table.name, rowKey, std::to_string(table.systemTable ? kSystemTableAttributes : 0)});
    const std::int64_t tableOrdinal = ordinal.integer(0, 0);

    for (std::size_t i = 0; i < table.columns.size(); ++i) {
      const ColumnDefinition& column = table.columns[i];
      connection.queryPrepared(
          "zen_column_insert",
          "INSERT INTO zen_columns(table_name, ordinal, name, dao_type, size, auto_increment, required, "
          "unique_values, indexed, default_value, format) VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9, $10, $11)",
          {table.name, std::to_string(i), column.name, std::to_string(column.type),
           std::to_string(ColumnSchema::reportedSize(column.type, column.size)), flag(column.autoIncrement),
           flag(column.required), flag(column.unique), flag(column.indexed), column.defaultValue, column.format});
      if (column.autoIncrement || !(column.unique || column.indexed)) continue;
      const bool text = column.type == dbText || column.type == dbMemo;
      const std::string indexed = text ? "lower(" + quoted(column.name) + " COLLATE \"C\")" : quoted(column.name);
      const std::string name = indexName(column.unique ? "zen_ux_" : "zen_ix_", table.name, tableOrdinal, i);
      connection.execute(std::string(column.unique ? "CREATE UNIQUE INDEX " : "CREATE INDEX ") + quoted(name) +
                         " ON " + quotedTable + " (" + indexed + ")");
    }
  } catch (const PostgresError& failure) {
    // A table of that name that the engine does not list.
    if (failure.sqlState() == "42P07") raise(dao::error::tableExists, table.name);
    raiseServerFailure(failure, server, table.name);
  }
}

void continueRowKeysPastHighest(PostgresConnection& connection, const TableSchema& table) {
  const std::string key = rowKeyOf(table);
  try {
    connection.query("SELECT setval(s.sequence, GREATEST((SELECT COALESCE(max(" + quoted(key) + "), 0) FROM " +
                         quoted(table.sqlName) + "), COALESCE(pg_sequence_last_value(s.sequence), 0)) + 1, false) "
                         "FROM (SELECT pg_get_serial_sequence($1, $2)::regclass AS sequence) s",
                     {quoted(table.sqlName), key});
  } catch (const PostgresError& failure) {
    raiseServerFailure(failure, connection.describe(), table.name);
  }
}

std::optional<std::string> serverSchemaVersion(PostgresConnection& connection) {
  try {
    if (connection.query("SELECT to_regclass('zen_info')").isNull(0, 0)) return std::nullopt;
    const auto version = connection.query("SELECT value FROM zen_info WHERE key = $1", {"server_schema"});
    if (version.rows() == 0) return std::nullopt;
    return std::string(version.text(0, 0));
  } catch (const PostgresError& failure) {
    raiseServerFailure(failure, connection.describe());
  }
}

std::vector<TableSummary> listServerTables(PostgresConnection& connection) {
  std::vector<TableSummary> tables;
  try {
    const auto rows = connection.queryPrepared("zen_list_tables",
                                               "SELECT name, attributes FROM zen_tables ORDER BY ordinal", {});
    for (int row = 0; row < rows.rows(); ++row)
      tables.push_back(TableSummary{std::string(rows.text(row, 0)), static_cast<std::int32_t>(rows.integer(row, 1))});
  } catch (const PostgresError& failure) {
    raiseServerFailure(failure, connection.describe(), "zen_tables");
  }
  return tables;
}

std::shared_ptr<const TableSchema> loadServerTableSchema(PostgresConnection& connection, std::string_view tableName) {
  // The catalogue's rows and whether the table and each of its columns are
  // really there, in one statement (this runs at every open).
  static const std::string sql =
      "SELECT t.name, t.row_key, t.attributes, c.name, c.dao_type, c.size, c.auto_increment, c.required, "
      "c.unique_values, c.indexed, c.default_value, c.format, r.oid IS NOT NULL, "
      "c.name IS NULL OR EXISTS (SELECT 1 FROM pg_attribute a WHERE a.attrelid = r.oid AND a.attname = c.name "
      "AND a.attnum > 0 AND NOT a.attisdropped), "
      "(SELECT count(*) FROM pg_attribute a WHERE a.attrelid = r.oid AND a.attnum > 0 AND NOT a.attisdropped "
      "AND a.attname IN (t.row_key, 'zen_version')) = 2 "
      "FROM zen_tables t CROSS JOIN LATERAL (SELECT to_regclass(quote_ident(t.name)) AS oid) r "
      "LEFT JOIN zen_columns c ON c.table_name = t.name "
      "WHERE lower(t.name COLLATE \"C\") = lower($1 COLLATE \"C\") ORDER BY c.ordinal";
  postgres::PostgresResult rows;
  try {
    rows = connection.queryPreparedInOneTrip("zen_load_table_schema", sql, {std::string(tableName)});
  } catch (const PostgresError& failure) {
    raiseServerFailure(failure, connection.describe(), tableName);
  }
  if (rows.rows() == 0 || !isTrue(rows, 0, 12)) raise(dao::error::tableNotFound, tableName);
  if (!isTrue(rows, 0, 14)) raise(dao::error::itemNotFound);
  auto schema = std::make_shared<TableSchema>();
  schema->name = std::string(rows.text(0, 0));
  schema->sqlName = schema->name;
  schema->rowKeySql = quoted(rows.text(0, 1));
  schema->attributes = static_cast<std::int32_t>(rows.integer(0, 2));
  for (int row = 0; row < rows.rows(); ++row) {
    if (rows.isNull(row, 3)) continue;
    if (!isTrue(rows, row, 13)) raise(dao::error::itemNotFound);
    ColumnSchema column;
    column.name = std::string(rows.text(row, 3));
    column.daoType = static_cast<int>(rows.integer(row, 4));
    column.size = static_cast<int>(rows.integer(row, 5));
    column.autoIncrement = rows.integer(row, 6) != 0;
    column.required = rows.integer(row, 7) != 0;
    column.unique = rows.integer(row, 8) != 0;
    column.indexed = rows.integer(row, 9) != 0;
    column.defaultValue = std::string(rows.text(row, 10));
    column.format = std::string(rows.text(row, 11));
    schema->columns.push_back(std::move(column));
  }
  return schema;
}

}  // namespace dao::server
