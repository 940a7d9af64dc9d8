#include "platform/dao/row_reader.h"

#include <algorithm>

#include "platform/dao/column_value.h"
#include "platform/dao/database_connection.h"
#include "platform/dao/file_format.h"
#include "platform/dao/table_schema.h"

namespace dao {

RowReader::RowReader(DatabaseConnection& connection, const TableSchema& table)
    : connection_(connection), table_(table) {
  std::string columns = table.rowKeySql + ", " + (table.hasRowVersion ? quoteIdentifier(kRowVersionColumn) : "0");
  for (const ColumnSchema& column : table.columns) columns += ", " + quoteIdentifier(column.name);
  rangeSql_ = "SELECT " + columns + " FROM " + quoteIdentifier(table.sqlName) + " WHERE " + table.rowKeySql +
              " BETWEEN ?1 AND ?2 ORDER BY " + table.rowKeySql;
}

const RowData* RowReader::find(std::int64_t rowId) const {
  const auto found = std::lower_bound(rows_.begin(), rows_.end(), rowId,
                                      [](const RowData& row, std::int64_t key) { return row.rowId < key; });
  return found != rows_.end() && found->rowId == rowId ? &*found : nullptr;
}

const RowData* RowReader::read(std::int64_t rowId, std::int64_t low, std::int64_t high) {
  // The stamp is taken before reading, so a commit racing with the read makes
  // the rows look stale (read again), never fresh.
  const std::uint64_t stamp = connection_.contentStamp();
  if (!valid_ || stamp != stamp_ || rowId < low_ || rowId > high_) {
    fetch(std::min(low, rowId), std::max(high, rowId));
    stamp_ = stamp;
  }
  return find(rowId);
}

const RowData* RowReader::readFresh(std::int64_t rowId) {
  forget();
  return read(rowId, rowId, rowId);
}

void RowReader::forget() noexcept {
  valid_ = false;
  rows_.clear();
}

void RowReader::fetch(std::int64_t low, std::int64_t high) {
  valid_ = false;
  SqliteStatement& statement = connection_.statement(rangeSql_);
  StatementUse use(statement);
  try {
    statement.bindInteger(1, low);
    statement.bindInteger(2, high);
    std::size_t count = 0;
    while (statement.step()) {
      if (count == rows_.size()) rows_.emplace_back();
      RowData& row = rows_[count++];
      row.rowId = statement.integer(0);
      row.version = statement.integer(1);
      row.values.resize(table_.columns.size());
      for (std::size_t i = 0; i < table_.columns.size(); ++i) {
        readStoredValueInto(statement, static_cast<int>(i + 2), table_.columns[i], row.values[i]);
      }
    }
    rows_.resize(count);
  } catch (const SqliteError& failure) {
    rows_.clear();
    connection_.raiseSqliteFailure(failure);
  }
  low_ = low;
  high_ = high;
  valid_ = true;
}

}  // namespace dao
