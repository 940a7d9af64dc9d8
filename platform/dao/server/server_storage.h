#pragma once
// A database on a PostgreSQL server behind the engine's storage interface
// (storage.h), in the layout of server_schema.h.
//
// Contract (beyond storage.h):
//  - openServerStorage() takes any libpq connection string (URI, key=value
//    pairs, "service=name"). It fails with 3151 when the server cannot be
//    reached, 3029 when it refuses the user or password, 3024 when it has
//    no such database, 3343 when the database holds none of the engine's
//    tables (or a layout of a later version), 3045 when another connection
//    holds it exclusively (or it is in use and the open asks to be
//    exclusive). Every text names the server ("dbname on host:port"),
//    never a password.
//  - Each member is one round trip (listTables, loadTableSchema, rowCount,
//    and every StoredTable member but findFirst, which reads matching keys
//    a page at a time until one is accepted).
//  - contentStamp() is new at every call: the server cannot tell cheaply
//    whether another client committed, so rows are read again whenever a
//    cursor lands on them.
#include <memory>
#include <string>

#include "platform/dao/storage.h"

namespace dao::server {

class ServerSession;

std::shared_ptr<Storage> openServerStorage(const std::string& connectionString, const OpenSettings& settings);

class ServerStorage final : public Storage {
 public:
  ServerStorage(const std::string& connectionString, const OpenSettings& settings);
  ~ServerStorage() override;

  bool isOpen() const noexcept override;
  bool isReadOnly() const noexcept override;
  bool isExclusive() const noexcept override;
  const std::string& displayName() const noexcept override;
  std::string networkFileSystem() const override { return {}; }
  std::string version() override;
  std::int32_t collatingOrder() override;
  void close() noexcept override;

  std::vector<TableSummary> listTables() override;
  std::shared_ptr<const TableSchema> loadTableSchema(std::string_view tableName) override;
  std::int64_t rowCount(const TableSchema& table) override;
  std::shared_ptr<StoredTable> openTable(std::shared_ptr<const TableSchema> table) override;
  std::uint64_t contentStamp() override { return ++stamp_; }

  // The session, for tests that need to see the connection (its number of
  // connects, or the server's process id to end it).
  ServerSession& session() noexcept { return *session_; }

 private:
  std::shared_ptr<ServerSession> session_;
  std::string version_;
  std::int32_t collatingOrder_ = 0;
  std::uint64_t stamp_ = 0;
};

}  // namespace dao::server
