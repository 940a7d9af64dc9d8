#include "platform/dao/keyset.h"

#include <algorithm>
#include <limits>

#include "platform/dao/database_connection.h"
#include "platform/dao/table_schema.h"

namespace dao {

namespace {

constexpr std::size_t kLargestChunk = 65536;

}  // namespace

Keyset::Keyset(DatabaseConnection& connection, const TableSchema& table, std::int64_t highestKeyAtOpen,
               std::vector<std::int64_t> firstKeys, bool complete)
    : connection_(connection),
      highestKeyAtOpen_(highestKeyAtOpen),
      loaded_(std::move(firstKeys)),
      tableComplete_(complete || highestKeyAtOpen == 0) {
  const std::string key = table.rowKeySql;
  selectSql_ = "SELECT " + key + " FROM " + quoteIdentifier(table.sqlName) + " WHERE " + key + " > ?1 AND " + key +
               " <= ?2 ORDER BY " + key + " LIMIT ?3";
  rangeSql_ = "SELECT " + key + " FROM " + quoteIdentifier(table.sqlName) + " WHERE " + key + " BETWEEN ?1 AND ?2 ORDER BY " + key;
  nextChunk_ = std::max<std::size_t>(nextChunk_, loaded_.size() * 2);
}

bool Keyset::loadMore() {
  if (tableComplete_) return false;
  SqliteStatement& statement = connection_.statement(selectSql_);
  StatementUse use(statement);
  const std::size_t before = loaded_.size();
  try {
    statement.bindInteger(1, loaded_.empty() ? std::numeric_limits<std::int64_t>::min() : loaded_.back());
    statement.bindInteger(2, highestKeyAtOpen_);
    statement.bindInteger(3, static_cast<std::int64_t>(nextChunk_));
    while (statement.step()) loaded_.push_back(statement.integer(0));
  } catch (const SqliteError& failure) {
    connection_.raiseSqliteFailure(failure);
  }
  const std::size_t read = loaded_.size() - before;
  if (read < nextChunk_ || (!loaded_.empty() && loaded_.back() >= highestKeyAtOpen_)) tableComplete_ = true;
  nextChunk_ = std::min(nextChunk_ * 2, kLargestChunk);
  return read > 0 || tableComplete_;
}

void Keyset::loadThrough(std::int64_t rowId) {
  while (!tableComplete_ && (loaded_.empty() || loaded_.back() < rowId)) loadMore();
}

bool Keyset::hasIndex(std::size_t index) {
  while (!tableComplete_ && index >= loaded_.size()) loadMore();
  return index < loaded_.size() + (tableComplete_ ? appended_.size() : 0);
}

std::size_t Keyset::size() {
  while (!tableComplete_) loadMore();
  return loaded_.size() + appended_.size();
}

Keyset::Location Keyset::locate(std::int64_t rowId) {
  if (rowId > highestKeyAtOpen_) {
    const std::size_t base = size();
    const auto found = std::lower_bound(appended_.begin(), appended_.end(), rowId);
    const std::size_t index = base - appended_.size() + static_cast<std::size_t>(found - appended_.begin());
    return Location{index, found != appended_.end() && *found == rowId};
  }
  loadThrough(rowId);
  const auto found = std::lower_bound(loaded_.begin(), loaded_.end(), rowId);
  return Location{static_cast<std::size_t>(found - loaded_.begin()), found != loaded_.end() && *found == rowId};
}

std::optional<std::size_t> Keyset::nextLive(std::size_t from) {
  for (std::size_t index = from; hasIndex(index); ++index) {
    if (!isRemoved(rowIdAt(index))) return index;
  }
  return std::nullopt;
}

std::optional<std::size_t> Keyset::previousLive(std::size_t from) {
  if (!hasIndex(from)) return std::nullopt;
  for (std::size_t index = from + 1; index-- > 0;) {
    if (!isRemoved(rowIdAt(index))) return index;
  }
  return std::nullopt;
}

std::optional<std::size_t> Keyset::liveEntry(std::size_t position) {
  // The entry sits `position` plus the removed entries before it; removed
  // entries are few, so this settles after a step or two.
  std::size_t index = position;
  while (hasIndex(index)) {
    const std::int64_t key = rowIdAt(index);
    if (isRemoved(key)) {
      ++index;
      continue;
    }
    const auto removedBefore =
        static_cast<std::size_t>(std::lower_bound(removed_.begin(), removed_.end(), key) - removed_.begin());
    if (index - removedBefore == position) return index;
    index = position + removedBefore;
  }
  return std::nullopt;
}

std::size_t Keyset::livePositionOf(std::size_t index) {
  const std::int64_t key = rowIdAt(index);
  return index - static_cast<std::size_t>(std::lower_bound(removed_.begin(), removed_.end(), key) - removed_.begin());
}

bool Keyset::contains(std::int64_t rowId) const {
  if (rowId <= 0) return false;
  if (rowId > highestKeyAtOpen_ && !std::binary_search(appended_.begin(), appended_.end(), rowId)) return false;
  return !isRemoved(rowId);
}

bool Keyset::isRemoved(std::int64_t rowId) const { return std::binary_search(removed_.begin(), removed_.end(), rowId); }

void Keyset::markRemoved(std::int64_t rowId) {
  const auto at = std::lower_bound(removed_.begin(), removed_.end(), rowId);
  if (at == removed_.end() || *at != rowId) removed_.insert(at, rowId);
}

void Keyset::append(std::int64_t rowId) {
  if (appended_.empty() || appended_.back() < rowId) {
    appended_.push_back(rowId);
  } else {
    appended_.insert(std::lower_bound(appended_.begin(), appended_.end(), rowId), rowId);
  }
}

}  // namespace dao

namespace dao {

void Keyset::forgetRowsDeletedElsewhere() {
  // The entries (loaded keys, then appended ones: one ascending list) are
  // walked along with the keys the table holds now; an entry the table
  // lacks was deleted by another connection.
  const std::size_t entries = loaded_.size() + appended_.size();
  if (entries == 0) return;
  SqliteStatement& statement = connection_.statement(rangeSql_);
  StatementUse use(statement);
  std::vector<std::int64_t> gone;
  try {
    statement.bindInteger(1, rowIdAt(0));
    statement.bindInteger(2, rowIdAt(entries - 1));
    bool more = statement.step();
    for (std::size_t index = 0; index < entries; ++index) {
      const std::int64_t key = rowIdAt(index);
      while (more && statement.integer(0) < key) more = statement.step();
      if (!more || statement.integer(0) != key) gone.push_back(key);
    }
  } catch (const SqliteError& failure) {
    connection_.raiseSqliteFailure(failure);
  }
  for (const std::int64_t key : gone) {
    if (isRemoved(key)) continue;
    markRemoved(key);
    deletedElsewhere_.insert(std::lower_bound(deletedElsewhere_.begin(), deletedElsewhere_.end(), key), key);
  }
}

bool Keyset::isDeletedElsewhere(std::int64_t rowId) const {
  return std::binary_search(deletedElsewhere_.begin(), deletedElsewhere_.end(), rowId);
}

}  // namespace dao
