#pragma once
// The rows of one table of a database file (FileStorage::openTable). The
// statement texts are built once, when a dynaset opens the table; the
// statements themselves are kept prepared by the connection.
//
// Contract: as StoredTable (storage.h) states.
#include <memory>
#include <string>

#include "platform/dao/database_connection.h"
#include "platform/dao/storage.h"

namespace dao {

class FileStoredTable final : public StoredTable {
 public:
  FileStoredTable(std::shared_ptr<DatabaseConnection> connection, std::shared_ptr<const TableSchema> table);

  OpenedTable open(std::size_t rows) override;
  void keysForward(std::int64_t after, std::int64_t bound, std::size_t limit, std::vector<std::int64_t>& keys) override;
  void keysBackward(std::int64_t after, std::int64_t bound, std::size_t limit, std::vector<std::int64_t>& keys) override;
  std::vector<std::int64_t> keysBetween(std::int64_t low, std::int64_t high) override;
  std::int64_t countKeys(std::int64_t after, std::int64_t bound) override;
  void readRows(std::int64_t low, std::int64_t high, std::vector<RowData>& rows) override;
  std::unique_ptr<RowSnapshot> readForEdit(std::int64_t key, RowData& row) override;
  void update(std::int64_t key, const RowSnapshot& snapshot, std::int64_t version,
              std::span<const std::size_t> written, std::span<const automation::Variant> values) override;
  std::int64_t insert(std::span<const automation::Variant> values) override;
  void remove(std::int64_t key) override;
  std::shared_ptr<const CompiledFind> compileFind(std::string_view criteria) override;
  std::optional<std::int64_t> findFirst(const CompiledFind& compiled,
                                        const std::function<bool(std::int64_t)>& accept) override;
  std::optional<std::int64_t> findFirstWithRow(const CompiledFind& compiled,
                                               const std::function<bool(std::int64_t)>& accept,
                                               RowData& row) override;

 private:
  // The row on which `statement` stands, its select list beginning at `firstColumn`.
  void readRow(const SqliteStatement& statement, int firstColumn, RowData& row) const;
  void appendKeys(const std::string& sql, std::int64_t after, std::int64_t bound, std::size_t limit,
                  std::vector<std::int64_t>& keys);

  std::shared_ptr<DatabaseConnection> connection_;
  std::string selectList_;  // "key, version, field, ..."
  std::string openSql_;     // the highest key and the first ?1 rows
  std::string rangeSql_;    // rows with keys in [?1, ?2]
  std::string rowSql_;      // the row with key ?1
  std::string forwardSql_;  // keys in (?1, ?2] ascending, at most ?3
  std::string backwardSql_;
  std::string countSql_;    // keys in (?1, ?2]
  std::string keysSql_;     // every key in [?1, ?2]
  std::string deleteSql_;
};

}  // namespace dao
