#include "tools/dbcopy/server_database.h"

#include <cctype>

#include "platform/dao/engine_error.h"
#include "platform/dao/file_format.h"
#include "platform/dao/server/server_schema.h"
#include "platform/dao/typelib/dao_typelib.h"
#include "tools/dbcopy/copy_error.h"
#include "tools/dbcopy/copy_format.h"

namespace dbcopy {

namespace {

using postgres::PostgresConnection;
using postgres::PostgresError;

std::string quote(std::string_view name) { return PostgresConnection::quoteIdentifier(name); }

// The table's SQL name as a string literal for regclass parameters.
std::string qualified(const Table& table) { return quote(table.definition.name); }

constexpr std::size_t kCopyChunk = 256 * 1024;

}  // namespace

bool namesServer(const std::string& argument) {
  if (argument.rfind("postgresql://", 0) == 0 || argument.rfind("postgres://", 0) == 0) return true;
  std::size_t i = 0;
  while (i < argument.size() && argument[i] == ' ') ++i;
  const std::size_t start = i;
  while (i < argument.size() && (std::isalnum(static_cast<unsigned char>(argument[i])) || argument[i] == '_')) ++i;
  while (i < argument.size() && argument[i] == ' ') ++i;
  return i > start && i < argument.size() && argument[i] == '=';
}

ServerDatabase::ServerDatabase(const std::string& connectionString)
    : name_(PostgresConnection::describeServer(connectionString)) {
  try {
    connection_ = PostgresConnection::open(connectionString, "zenmora-db copy");
  } catch (const PostgresError& failure) {
    switch (failure.kind()) {
      case PostgresError::Kind::Unreachable:
        throw CopyError(name_ + ": the server is not reachable: " + failure.what());
      case PostgresError::Kind::Authentication:
        throw CopyError(name_ + ": the server refused the login (authentication failed): " + failure.what());
      case PostgresError::Kind::DatabaseMissing:
        throw CopyError(name_ + ": the database does not exist on the server: " + failure.what());
      default: throw CopyError(name_ + ": cannot connect to the server: " + failure.what());
    }
  }
}

ServerDatabase::~ServerDatabase() { rollback(); }

void ServerDatabase::fail(const PostgresError& failure, const std::string& doing) {
  rollback();
  if (failure.kind() == PostgresError::Kind::ConnectionLost)
    throw CopyError("the connection to the server database " + name_ + " was lost: " + failure.what());
  throw CopyError("the server database " + name_ + " refused " + doing + ": " + failure.what());
}

void ServerDatabase::beginWriting() {
  try {
    connection_.execute("BEGIN ISOLATION LEVEL READ COMMITTED");
    inTransaction_ = true;
    // Another writer holding a table must not keep the copy waiting for ever.
    connection_.execute("SET LOCAL lock_timeout = '30s'");
  } catch (const PostgresError& failure) {
    fail(failure, "to start the copy");
  }
}

void ServerDatabase::beginReading() {
  try {
    connection_.execute("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY");
    inTransaction_ = true;
  } catch (const PostgresError& failure) {
    fail(failure, "to start reading");
  }
}

void ServerDatabase::commit() {
  try {
    connection_.execute("COMMIT");
    inTransaction_ = false;
  } catch (const PostgresError& failure) {
    inTransaction_ = false;
    fail(failure, "to commit the copy");
  }
}

void ServerDatabase::rollback() noexcept {
  if (copying_) {
    connection_.abortCopyIn("the copy was abandoned");
    copying_ = false;
  }
  if (!inTransaction_) return;
  inTransaction_ = false;
  try {
    if (connection_.isOpen()) connection_.execute("ROLLBACK");
  } catch (const PostgresError&) {
    // A broken connection rolls back on the server by itself.
  }
}

bool ServerDatabase::hasSchema() {
  try {
    return connection_.query("SELECT to_regclass('zen_info') IS NOT NULL OR to_regclass('zen_tables') IS NOT NULL")
               .text(0, 0) == "t";
  } catch (const PostgresError& failure) {
    fail(failure, "to look at its tables");
  }
}

std::vector<Table> ServerDatabase::readTables() {
  std::vector<Table> tables;
  try {
    // A layout of another version is not ours to read or fill.
    const auto version = dao::server::serverSchemaVersion(connection_);
    if (version != dao::server::kServerSchemaVersion)
      throw CopyError("the server database " + name_ + " holds tables of " +
                      (version ? "another version (" + *version + ")" : "another program"));
    const auto rows = connection_.query("SELECT name, row_key, attributes FROM zen_tables ORDER BY ordinal");
    for (int i = 0; i < rows.rows(); ++i) {
      Table table;
      table.definition.name = std::string(rows.text(i, 0));
      table.rowKey = std::string(rows.text(i, 1));
      table.attributes = static_cast<std::int32_t>(rows.integer(i, 2));
      table.definition.systemTable = (table.attributes & dao::kSystemTableAttributes) == dao::kSystemTableAttributes;
      const auto columns = connection_.query(
          "SELECT name, dao_type, size, auto_increment, required, unique_values, indexed, default_value, format "
          "FROM zen_columns WHERE table_name = $1 ORDER BY ordinal",
          {table.definition.name});
      for (int c = 0; c < columns.rows(); ++c) {
        dao::ColumnDefinition column;
        column.name = std::string(columns.text(c, 0));
        column.type = static_cast<int>(columns.integer(c, 1));
        column.size = static_cast<int>(columns.integer(c, 2));
        column.autoIncrement = columns.integer(c, 3) != 0;
        column.required = columns.integer(c, 4) != 0;
        column.unique = columns.integer(c, 5) != 0;
        column.indexed = columns.integer(c, 6) != 0;
        column.defaultValue = std::string(columns.text(c, 7));
        column.format = std::string(columns.text(c, 8));
        if (!isSupportedType(column.type))
          throw CopyError("field " + column.name + " of table " + table.definition.name + " on the server has a type (" +
                          std::to_string(column.type) + ") a copy cannot carry");
        table.definition.columns.push_back(std::move(column));
      }
      tables.push_back(std::move(table));
    }
  } catch (const dao::EngineError& failure) {
    rollback();
    throw CopyError("the server database " + name_ + " refused to list its tables: " + failure.what());
  } catch (const PostgresError& failure) {
    fail(failure, "to list its tables");
  } catch (const std::invalid_argument& failure) {
    rollback();
    throw CopyError("the server's table list is damaged: " + std::string(failure.what()));
  }
  return tables;
}

void ServerDatabase::createSchema(const std::vector<Table>& tables) {
  std::vector<dao::TableDefinition> definitions;
  for (const Table& table : tables) definitions.push_back(table.definition);
  try {
    dao::server::createServerSchema(connection_, definitions);
  } catch (const dao::EngineError& failure) {
    rollback();
    throw CopyError("the server database " + name_ + " refused to create the tables: " + failure.what());
  }
}

void ServerDatabase::lockTables(const std::vector<Table>& tables) {
  if (tables.empty()) return;
  std::string names;
  for (const Table& table : tables) names += (names.empty() ? "" : ", ") + qualified(table);
  try {
    connection_.execute("LOCK TABLE " + names + " IN EXCLUSIVE MODE");
  } catch (const PostgresError& failure) {
    fail(failure, "to reserve its tables for the copy (another program is writing to them)");
  }
}

std::int64_t ServerDatabase::countRows(const Table& table) {
  try {
    return connection_.query("SELECT count(*) FROM " + qualified(table)).integer(0, 0);
  } catch (const PostgresError& failure) {
    fail(failure, "to count the rows of " + table.definition.name);
  }
}

void ServerDatabase::emptyTable(const Table& table) {
  try {
    connection_.execute("DELETE FROM " + qualified(table));
  } catch (const PostgresError& failure) {
    fail(failure, "to empty " + table.definition.name);
  }
}

void ServerDatabase::gatherStatistics(const Table& table) {
  try {
    connection_.execute("ANALYZE " + qualified(table));
  } catch (const PostgresError& failure) {
    fail(failure, "to gather the statistics of " + table.definition.name);
  }
}

void ServerDatabase::setNextKey(const Table& table, std::int64_t highestUsed) {
  try {
    connection_.query("SELECT setval(pg_get_serial_sequence($1, $2), greatest(coalesce(max(" + quote(table.rowKey) +
                          "), 0), $3::bigint, 1), coalesce(max(" + quote(table.rowKey) + "), 0) > 0 OR $3::bigint > 0) "
                          "FROM " + qualified(table),
                      {qualified(table), table.rowKey, std::to_string(highestUsed)});
  } catch (const PostgresError& failure) {
    fail(failure, "to set the numbering of " + table.definition.name);
  }
}

std::int64_t ServerDatabase::highestKeyUsed(const Table& table) {
  try {
    const auto result = connection_.query(
        "SELECT greatest(coalesce(pg_sequence_last_value(pg_get_serial_sequence($1, $2)::regclass), 0), "
        "coalesce(max(" + quote(table.rowKey) + "), 0)) FROM " + qualified(table),
        {qualified(table), table.rowKey});
    return result.integer(0, 0);
  } catch (const PostgresError& failure) {
    fail(failure, "to tell the numbering of " + table.definition.name);
  }
}

void ServerDatabase::startRows(const Table& table) {
  std::string columns;
  if (table.hiddenRowKey()) columns = quote(table.rowKey) + ", ";
  for (const dao::ColumnDefinition& column : table.definition.columns) columns += quote(column.name) + ", ";
  columns += quote(dao::kRowVersionColumn);
  try {
    connection_.beginCopyIn("COPY " + qualified(table) + " (" + columns + ") FROM STDIN");
  } catch (const PostgresError& failure) {
    fail(failure, "to take the rows of " + table.definition.name);
  }
  copying_ = true;
  copyTable_ = &table;
  pending_.clear();
}

void ServerDatabase::addRow(const Row& row) {
  if (copyTable_->hiddenRowKey()) pending_ += std::to_string(row.key) + "\t";
  for (const Value& value : row.values) {
    appendCopyText(pending_, value);
    pending_ += '\t';
  }
  pending_ += std::to_string(row.version);
  pending_ += '\n';
  if (pending_.size() >= kCopyChunk) flushRows();
}

void ServerDatabase::flushRows() {
  try {
    connection_.putCopyData(pending_);
  } catch (const PostgresError& failure) {
    copying_ = false;
    fail(failure, "the rows of " + copyTable_->definition.name);
  }
  pending_.clear();
}

std::int64_t ServerDatabase::endRows() {
  flushRows();
  try {
    copying_ = false;
    return connection_.endCopyIn();
  } catch (const PostgresError& failure) {
    fail(failure, "the rows of " + copyTable_->definition.name);
  }
}

void ServerDatabase::readRows(const Table& table, const std::function<void(const Row&)>& consume) {
  std::vector<WireType> wire{WireType::BigInt};
  std::string select = "SELECT " + quote(table.rowKey) + "::bigint";
  const int keyField = table.autoIncrementIndex();
  for (std::size_t i = 0; i < table.definition.columns.size(); ++i) {
    if (static_cast<int>(i) == keyField) continue;
    const dao::ColumnDefinition& column = table.definition.columns[i];
    const WireType type = wireTypeOf(valueClassOf(column.type));
    wire.push_back(type);
    select += ", " + quote(column.name) + "::" + std::string(sqlTypeOf(type));
  }
  wire.push_back(WireType::BigInt);
  select += ", " + quote(dao::kRowVersionColumn) + "::bigint FROM " + qualified(table) + " ORDER BY " +
            quote(table.rowKey);
  Row row;
  row.values.resize(table.definition.columns.size());
  BinaryCopyDecoder decoder(wire, [&](const std::vector<Value>& fields) {
    row.key = fields.front().integer;
    std::size_t at = 1;
    for (std::size_t i = 0; i < row.values.size(); ++i) {
      if (static_cast<int>(i) == keyField) {
        row.values[i] = Value::ofInteger(row.key);
        continue;
      }
      row.values[i] = fields[at++];
      if (table.definition.columns[i].type == dao::dbBoolean && row.values[i].kind == Value::Kind::Integer)
        row.values[i].integer = row.values[i].integer != 0 ? -1 : 0;
    }
    if (fields.back().kind != Value::Kind::Integer)
      throw CopyError("table " + table.definition.name + " on the server has a row without a version");
    row.version = fields.back().integer;
    consume(row);
  });
  try {
    connection_.copyOut("COPY (" + select + ") TO STDOUT (FORMAT binary)",
                        [&](std::string_view data) { decoder.feed(data); });
  } catch (const PostgresError& failure) {
    fail(failure, "to hand over the rows of " + table.definition.name);
  }
  decoder.finish();
}

}  // namespace dbcopy
