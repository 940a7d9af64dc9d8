#include "platform/dao/file_storage.h"

#include "platform/dao/file_catalog.h"
#include "platform/dao/file_format.h"
#include "platform/dao/file_stored_table.h"

namespace dao {

std::shared_ptr<FileStorage> FileStorage::open(const std::string& path, const OpenSettings& settings) {
  return std::make_shared<FileStorage>(DatabaseConnection::open(path, settings));
}

FileStorage::FileStorage(std::shared_ptr<DatabaseConnection> connection) : connection_(std::move(connection)) {}

FileStorage::~FileStorage() = default;

bool FileStorage::isOpen() const noexcept { return connection_->isOpen(); }

bool FileStorage::isReadOnly() const noexcept { return connection_->isReadOnly(); }

bool FileStorage::isExclusive() const noexcept { return connection_->isExclusive(); }

const std::string& FileStorage::displayName() const noexcept { return connection_->path(); }

std::string FileStorage::networkFileSystem() const { return connection_->networkFileSystem(); }

// The file's format is checked at open; these are the values it stands for.
std::string FileStorage::version() { return std::string(kFormatVersion); }

std::int32_t FileStorage::collatingOrder() { return kCollatingOrder; }

void FileStorage::close() noexcept { connection_->close(); }

std::vector<TableSummary> FileStorage::listTables() {
  try {
    return dao::listTables(connection_->sql());
  } catch (const SqliteError& failure) {
    connection_->raiseSqliteFailure(failure);
  }
}

std::shared_ptr<const TableSchema> FileStorage::loadTableSchema(std::string_view tableName) {
  try {
    return dao::loadTableSchema(connection_->sql(), tableName);
  } catch (const SqliteError& failure) {
    connection_->raiseSqliteFailure(failure);
  }
}

std::int64_t FileStorage::rowCount(const TableSchema& table) {
  try {
    return connection_->sql().queryInteger("SELECT count(*) FROM " + quoteIdentifier(table.sqlName));
  } catch (const SqliteError& failure) {
    connection_->raiseSqliteFailure(failure);
  }
}

std::shared_ptr<StoredTable> FileStorage::openTable(std::shared_ptr<const TableSchema> table) {
  if (!connection_->isOpen()) raise(error::objectClosed);
  return std::make_shared<FileStoredTable>(connection_, std::move(table));
}

std::uint64_t FileStorage::contentStamp() { return connection_->contentStamp(); }

}  // namespace dao
