#pragma once
// The storage of a database file (file_format.h), over one
// DatabaseConnection, which keeps what is peculiar to a file: the check that
// the file is ours, the write-ahead log and its checkpoints, the guard for
// network file systems, the identity of the log files, and the detector of
// other writers' commits.
//
// Contract: as storage.h states, with the file errors of
// database_connection.h when opening. Every read is one SQLite statement,
// kept prepared for the connection's lifetime; every write is one
// transaction begun as a writer (DatabaseConnection::write). The conflict
// rule is byte for byte: a RowSnapshot keeps the row's values exactly as
// SQLite holds them, and update() compares every one of them (and the
// change counter) in its WHERE clause.
#include <memory>
#include <string>

#include "platform/dao/database_connection.h"
#include "platform/dao/storage.h"

namespace dao {

class FileStorage final : public Storage {
 public:
  // Opens the file `path` (database_connection.h states the errors).
  static std::shared_ptr<FileStorage> open(const std::string& path, const OpenSettings& settings);
  explicit FileStorage(std::shared_ptr<DatabaseConnection> connection);
  ~FileStorage() override;

  DatabaseConnection& connection() const noexcept { return *connection_; }

  bool isOpen() const noexcept override;
  bool isReadOnly() const noexcept override;
  bool isExclusive() const noexcept override;
  const std::string& displayName() const noexcept override;
  std::string networkFileSystem() const override;
  std::string version() override;
  std::int32_t collatingOrder() override;
  void close() noexcept override;

  std::vector<TableSummary> listTables() override;
  std::shared_ptr<const TableSchema> loadTableSchema(std::string_view tableName) override;
  std::int64_t rowCount(const TableSchema& table) override;
  std::shared_ptr<StoredTable> openTable(std::shared_ptr<const TableSchema> table) override;

  std::uint64_t contentStamp() override;

 private:
  std::shared_ptr<DatabaseConnection> connection_;
};

}  // namespace dao
