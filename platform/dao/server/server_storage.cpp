#include "platform/dao/server/server_storage.h"

#include "platform/automation/text_compare.h"
#include "platform/dao/engine_error.h"
#include "platform/dao/file_format.h"
#include "platform/dao/server/server_schema.h"
#include "platform/dao/server/server_session.h"
#include "platform/dao/server/server_table.h"
#include "platform/postgres/postgres_connection.h"

namespace dao::server {

namespace {

// The engine's catalogue, readable (not writable) as system tables, as in
// the file. zen_columns has no key of its own: its rows are numbered by
// their table's ordinal and their own, in the order of creation.
std::shared_ptr<const TableSchema> metadataTable(std::string_view name) {
  for (const MetadataTable& metadata : metadataTables()) {
    if (!automation::equalsIgnoringAsciiCase(metadata.name, name)) continue;
    auto table = std::make_shared<TableSchema>();
    table->name = std::string(metadata.name);
    table->sqlName = std::string(metadata.sqlName);
    table->attributes = kSystemTableAttributes;
    table->hasRowVersion = false;
    table->alwaysReadOnly = true;
    table->columns = metadata.columns;
    table->rowKeySql = metadata.sqlName == "zen_tables"
                           ? std::string("\"ordinal\"")
                           : std::string("((SELECT t.ordinal FROM zen_tables t WHERE t.name = zen_columns.table_name)"
                                         "::bigint * 65536 + zen_columns.ordinal + 1)");
    return table;
  }
  return nullptr;
}

}  // namespace

std::shared_ptr<Storage> openServerStorage(const std::string& connectionString, const OpenSettings& settings) {
  return std::make_shared<ServerStorage>(connectionString, settings);
}

ServerStorage::ServerStorage(const std::string& connectionString, const OpenSettings& settings)
    : session_(std::make_shared<ServerSession>(connectionString, settings)) {
  // The database must hold the engine's tables, in a layout this program
  // knows: the catalogue's marks, read in one statement.
  const std::string noTables = "The database " + session_->server() +
                               " holds no tables of this program (zenmora-db copy puts a database there).";
  if (session_->run("SELECT to_regclass('zen_info') IS NOT NULL", {}).text(0, 0) != "t")
    throw EngineError(dao::error::notOurDatabase, noTables);
  const postgres::PostgresResult info = session_->run("SELECT key, value FROM zen_info", {});
  std::string layout;
  for (int row = 0; row < info.rows(); ++row) {
    const std::string_view key = info.text(row, 0);
    if (key == "format_version") version_ = std::string(info.text(row, 1));
    if (key == "collating_order") collatingOrder_ = static_cast<std::int32_t>(info.integer(row, 1));
    if (key == "server_schema") layout = std::string(info.text(row, 1));
  }
  if (layout.empty()) throw EngineError(dao::error::notOurDatabase, noTables);
  if (layout != kServerSchemaVersion)
    throw EngineError(dao::error::notOurDatabase, "The database " + session_->server() +
                                                      " was made by a later version of this program (layout " +
                                                      layout + ").");
}

ServerStorage::~ServerStorage() { close(); }

bool ServerStorage::isOpen() const noexcept { return session_->isOpen(); }
bool ServerStorage::isReadOnly() const noexcept { return session_->settings().readOnly; }
bool ServerStorage::isExclusive() const noexcept { return session_->settings().exclusive; }
const std::string& ServerStorage::displayName() const noexcept { return session_->server(); }

std::string ServerStorage::version() {
  if (!isOpen()) raise(dao::error::objectClosed);
  return version_;
}

std::int32_t ServerStorage::collatingOrder() {
  if (!isOpen()) raise(dao::error::objectClosed);
  return collatingOrder_;
}

void ServerStorage::close() noexcept { session_->close(); }

std::vector<TableSummary> ServerStorage::listTables() {
  const postgres::PostgresResult rows = session_->run("SELECT name, attributes FROM zen_tables ORDER BY ordinal", {});
  std::vector<TableSummary> tables;
  for (int row = 0; row < rows.rows(); ++row)
    tables.push_back(TableSummary{std::string(rows.text(row, 0)), static_cast<std::int32_t>(rows.integer(row, 1))});
  for (const MetadataTable& metadata : metadataTables())
    tables.push_back(TableSummary{std::string(metadata.name), kSystemTableAttributes});
  return tables;
}

std::shared_ptr<const TableSchema> ServerStorage::loadTableSchema(std::string_view tableName) {
  if (auto metadata = metadataTable(tableName)) {
    if (!isOpen()) raise(dao::error::objectClosed);
    return metadata;
  }
  return loadServerTableSchema(session_->connection(1), tableName);
}

std::int64_t ServerStorage::rowCount(const TableSchema& table) {
  return session_->run("SELECT count(*) FROM " + postgres::PostgresConnection::quoteIdentifier(table.sqlName), {}, &table)
      .integer(0, 0);
}

std::shared_ptr<StoredTable> ServerStorage::openTable(std::shared_ptr<const TableSchema> table) {
  if (!isOpen()) raise(dao::error::objectClosed);
  return std::make_shared<ServerTable>(session_, std::move(table));
}

}  // namespace dao::server
