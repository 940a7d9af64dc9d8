#pragma once
// The rows of one server table for a dynaset (storage.h's StoredTable):
// every member one prepared statement with bound parameters, one round trip.
//
// An edit's snapshot is the row's stored values as the server's text gives
// them; update() writes only where the key, the change counter and every
// stored value are still those (UPDATE ... WHERE key AND version AND each
// column IS NOT DISTINCT FROM its snapshot value), so a row changed,
// replaced, or deleted since fails with 3197 and nothing is written.
#include <memory>
#include <string>
#include <vector>

#include "platform/dao/server/server_session.h"
#include "platform/dao/storage.h"
#include "platform/postgres/postgres_connection.h"

namespace dao::server {

class ServerTable final : public StoredTable {
 public:
  ServerTable(std::shared_ptr<ServerSession> session, std::shared_ptr<const TableSchema> schema);

  OpenedTable open(std::size_t rows) override;
  // Rows are read afresh at every landing (a server does not tell cheaply
  // whether another client committed), so a move reads its one row.
  bool keepsRowsReadAhead() const noexcept override { return false; }
  // Every key of a table of up to 16,384 rows in one round trip.
  std::size_t firstKeyChunk() const noexcept override { return 16384; }
  void keysForward(std::int64_t after, std::int64_t bound, std::size_t limit, std::vector<std::int64_t>& keys) override;
  void keysBackward(std::int64_t after, std::int64_t bound, std::size_t limit, std::vector<std::int64_t>& keys) override;
  std::vector<std::int64_t> keysBetween(std::int64_t low, std::int64_t high) override;
  std::int64_t countKeys(std::int64_t after, std::int64_t bound) override;
  void readRows(std::int64_t low, std::int64_t high, std::vector<RowData>& rows) override;
  std::unique_ptr<RowSnapshot> readForEdit(std::int64_t key, RowData& row) override;
  void update(std::int64_t key, const RowSnapshot& snapshot, std::int64_t version, std::span<const std::size_t> written,
              std::span<const automation::Variant> values) override;
  std::int64_t insert(std::span<const automation::Variant> values) override;
  void remove(std::int64_t key) override;
  std::shared_ptr<const CompiledFind> compileFind(std::string_view criteria) override;
  std::optional<std::int64_t> findFirst(const CompiledFind& compiled,
                                        const std::function<bool(std::int64_t)>& accept) override;

 private:
  void requireWritable() const;
  // The statement's rows from `firstRow`, each "key, version, values...".
  void readRowsOf(const postgres::PostgresResult& result, int firstColumn, std::vector<RowData>& rows) const;
  std::string columnType(std::size_t column) const;
  // The guarded UPDATE writing `written`, made once per set of fields: an
  // edit posts the same few fields again and again.
  const ServerSession::Statement& updateStatement(std::span<const std::size_t> written);

  std::shared_ptr<ServerSession> session_;
  std::string table_;       // quoted
  std::string key_;         // the row key expression
  std::string selectList_;  // key, version, columns
  // The statements every dynaset runs, made once per table.
  const ServerSession::Statement* insert_ = nullptr;
  const ServerSession::Statement* readByKey_ = nullptr;
  const ServerSession::Statement* readBetween_ = nullptr;
  const ServerSession::Statement* keysAfter_ = nullptr;
  const ServerSession::Statement* keysBefore_ = nullptr;
  const ServerSession::Statement* keysBetween_ = nullptr;
  const ServerSession::Statement* countBetween_ = nullptr;
  std::vector<std::pair<std::vector<std::size_t>, const ServerSession::Statement*>> updates_;
};

}  // namespace dao::server
