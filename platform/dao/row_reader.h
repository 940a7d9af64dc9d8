#pragma once
// Reads rows of one table for a cursor, a range of neighbouring rows per
// request, and keeps them only while no commit (by any connection) has
// happened since they were read. What read() returns is therefore never
// older than the last commit before the call: a row changed by another
// program is seen with its new values when the cursor next lands on it.
//
// Contract: the pointer read() returns stays valid until the next call of
// read(), readFresh() or forget() on the same reader.
#include <cstdint>
#include <vector>

#include "platform/dao/storage.h"

namespace dao {

class RowReader {
 public:
  RowReader(Storage& storage, StoredTable& table) : storage_(storage), table_(table) {}
  // A reader of the same table, holding no rows.
  struct SameTable {};
  RowReader(SameTable, const RowReader& sameTable) : storage_(sameTable.storage_), table_(sameTable.table_) {}

  // The row `rowId`, or nullptr when it no longer exists. Rows with keys in
  // [low, high] (which must contain rowId) are read along with it.
  const RowData* read(std::int64_t rowId, std::int64_t low, std::int64_t high);
  // The row as it is now: a kept row only when no commit has happened since
  // it was read (which read() guarantees for every kept row), else read.
  const RowData* readFresh(std::int64_t rowId);
  void forget() noexcept;

  // Keeps rows read elsewhere (keys ascending, covering [low, high]) as read
  // at `stamp`, a contentStamp() taken before they were read.
  void adopt(std::vector<RowData> rows, std::int64_t low, std::int64_t high, std::uint64_t stamp);
  // Keeps the one row `row` (swapped in: `row` gets storage to reuse) as
  // read at `stamp`.
  void adoptRow(RowData& row, std::uint64_t stamp);

 private:
  void fetch(std::int64_t low, std::int64_t high);
  const RowData* find(std::int64_t rowId) const;

  Storage& storage_;
  StoredTable& table_;
  std::vector<RowData> rows_;
  bool valid_ = false;
  std::int64_t low_ = 0;
  std::int64_t high_ = -1;
  std::uint64_t stamp_ = 0;
};

}  // namespace dao
