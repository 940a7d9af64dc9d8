#include "platform/dao/row_reader.h"

#include <algorithm>
#include <utility>

namespace dao {

const RowData* RowReader::find(std::int64_t rowId) const {
  const auto found = std::lower_bound(rows_.begin(), rows_.end(), rowId,
                                      [](const RowData& row, std::int64_t key) { return row.rowId < key; });
  return found != rows_.end() && found->rowId == rowId ? &*found : nullptr;
}

const RowData* RowReader::read(std::int64_t rowId, std::int64_t low, std::int64_t high) {
  // The stamp is taken before reading, so a commit racing with the read makes
  // the rows look stale (read again), never fresh.
  const std::uint64_t stamp = storage_.contentStamp();
  if (!valid_ || stamp != stamp_ || rowId < low_ || rowId > high_) {
    fetch(std::min(low, rowId), std::max(high, rowId));
    stamp_ = stamp;
  }
  return find(rowId);
}

const RowData* RowReader::readFresh(std::int64_t rowId) {
  // Kept rows are dropped at every commit (read() compares the stamps), so
  // a kept row is as fresh as one read now: only a row not kept is read.
  return read(rowId, rowId, rowId);
}

void RowReader::forget() noexcept {
  valid_ = false;
  rows_.clear();
}

void RowReader::fetch(std::int64_t low, std::int64_t high) {
  valid_ = false;
  table_.readRows(low, high, rows_);
  low_ = low;
  high_ = high;
  valid_ = true;
}

void RowReader::adoptRow(RowData& row, std::uint64_t stamp) {
  rows_.resize(1);
  std::swap(rows_.front(), row);
  low_ = high_ = rows_.front().rowId;
  stamp_ = stamp;
  valid_ = true;
}

void RowReader::adopt(std::vector<RowData> rows, std::int64_t low, std::int64_t high, std::uint64_t stamp) {
  rows_ = std::move(rows);
  low_ = low;
  high_ = high;
  stamp_ = stamp;
  valid_ = true;
}

}  // namespace dao
