#include "platform/dao/row_reader.h"

#include <algorithm>

#include "platform/dao/column_value.h"
#include "platform/dao/database_connection.h"
#include "platform/dao/file_format.h"
#include "platform/dao/table_schema.h"

namespace dao {

RowReader::RowReader(DatabaseConnection& connection, const TableSchema& table)
    : connection_(connection), table_(table) {
  auto texts = std::make_shared<StatementTexts>();
  texts->selectList = table.rowKeySql + ", " + (table.hasRowVersion ? quoteIdentifier(kRowVersionColumn) : "0");
  for (const ColumnSchema& column : table.columns) texts->selectList += ", " + quoteIdentifier(column.name);
  texts->rangeSql = "SELECT " + texts->selectList + " FROM " + quoteIdentifier(table.sqlName) + " WHERE " +
                    table.rowKeySql + " BETWEEN ?1 AND ?2 ORDER BY " + table.rowKeySql;
  // One row by its key: SQLite seeks it and knows there is no second.
  texts->rowSql = "SELECT " + texts->selectList + " FROM " + quoteIdentifier(table.sqlName) + " WHERE " +
                  table.rowKeySql + " = ?1";
  texts_ = std::move(texts);
}

RowReader::RowReader(SameTable, const RowReader& sameTable)
    : connection_(sameTable.connection_), table_(sameTable.table_), texts_(sameTable.texts_) {}

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
  const bool oneRow = low == high;
  SqliteStatement& statement = connection_.statement(oneRow ? texts_->rowSql : texts_->rangeSql);
  StatementUse use(statement);
  try {
    statement.bindInteger(1, low);
    if (!oneRow) statement.bindInteger(2, high);
    std::size_t count = 0;
    while (statement.step()) {
      if (count == rows_.size()) rows_.emplace_back();
      readRow(statement, 0, rows_[count++]);
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

void RowReader::readRow(const SqliteStatement& statement, int firstColumn, RowData& row) const {
  row.rowId = statement.integer(firstColumn);
  row.version = statement.integer(firstColumn + 1);
  row.values.resize(table_.columns.size());
  for (std::size_t i = 0; i < table_.columns.size(); ++i) {
    readStoredValueInto(statement, firstColumn + 2 + static_cast<int>(i), table_.columns[i], row.values[i]);
  }
}

void RowReader::adopt(std::vector<RowData> rows, std::int64_t low, std::int64_t high, std::uint64_t stamp) {
  rows_ = std::move(rows);
  low_ = low;
  high_ = high;
  stamp_ = stamp;
  valid_ = true;
}

}  // namespace dao
