#include "platform/dao/file_stored_table.h"

#include <variant>

#include "platform/dao/column_binding.h"
#include "platform/dao/criteria/criteria.h"
#include "platform/dao/engine_error.h"
#include "platform/dao/file_format.h"
#include "platform/dao/find_criteria.h"

namespace dao {

namespace {

// The row's values exactly as SQLite held them when Edit read it.
class FileRowSnapshot final : public RowSnapshot {
 public:
  std::vector<StoredValue> values;  // one per column
};

// A criteria text compiled to the statement that searches the table's keys.
class FileCompiledFind final : public CompiledFind {
 public:
  std::string sql;          // the matching keys, ascending
  std::string firstWithRowSql;  // the lowest matching key's row
  std::vector<criteria::SqlParameter> parameters;
};

void bindParameter(SqliteStatement& statement, int index, const criteria::SqlParameter& parameter) {
  if (const auto* whole = std::get_if<std::int64_t>(&parameter)) {
    statement.bindInteger(index, *whole);
  } else if (const auto* real = std::get_if<double>(&parameter)) {
    statement.bindDouble(index, *real);
  } else if (const auto* text = std::get_if<std::string>(&parameter)) {
    statement.bindText(index, *text);
  } else {
    statement.bindNull(index);
  }
}

void bindParameters(SqliteStatement& statement, const std::vector<criteria::SqlParameter>& parameters) {
  for (std::size_t i = 0; i < parameters.size(); ++i) bindParameter(statement, static_cast<int>(i + 1), parameters[i]);
}

}  // namespace

FileStoredTable::FileStoredTable(std::shared_ptr<DatabaseConnection> connection, std::shared_ptr<const TableSchema> table)
    : StoredTable(std::move(table)), connection_(std::move(connection)) {
  const TableSchema& schema = this->schema();
  const std::string& key = schema.rowKeySql;
  const std::string from = " FROM " + quoteIdentifier(schema.sqlName);
  selectList_ = key + ", " + (schema.hasRowVersion ? quoteIdentifier(kRowVersionColumn) : "0");
  for (const ColumnSchema& column : schema.columns) selectList_ += ", " + quoteIdentifier(column.name);
  // One statement takes the keyset's bound (the highest key now), its first
  // keys and their rows, so that opening costs about one query.
  openSql_ = "SELECT (SELECT max(" + key + ")" + from + "), " + selectList_ + from + " ORDER BY " + key + " LIMIT ?1";
  rangeSql_ = "SELECT " + selectList_ + from + " WHERE " + key + " BETWEEN ?1 AND ?2 ORDER BY " + key;
  // One row by its key: SQLite seeks it and knows there is no second.
  rowSql_ = "SELECT " + selectList_ + from + " WHERE " + key + " = ?1";
  const std::string range = from + " WHERE " + key + " > ?1 AND " + key + " <= ?2 ORDER BY " + key;
  forwardSql_ = "SELECT " + key + range + " LIMIT ?3";
  backwardSql_ = "SELECT " + key + range + " DESC LIMIT ?3";
  // The whole table's count is kept by SQLite's b-tree walk without reading
  // a row; only the keys below and above the range are counted row by row,
  // and a keyset asks with both ends near the keys it has read. One
  // statement, so one snapshot.
  countSql_ = "SELECT (SELECT count(*)" + from + ") - (SELECT count(*)" + from + " WHERE " + key +
              " <= ?1) - (SELECT count(*)" + from + " WHERE " + key + " > ?2)";
  keysSql_ = "SELECT " + key + from + " WHERE " + key + " BETWEEN ?1 AND ?2 ORDER BY " + key;
  deleteSql_ = "DELETE" + from + " WHERE " + key + " = ?1";
}

void FileStoredTable::readRow(const SqliteStatement& statement, int firstColumn, RowData& row) const {
  const TableSchema& table = schema();
  row.rowId = statement.integer(firstColumn);
  row.version = statement.integer(firstColumn + 1);
  row.values.resize(table.columns.size());
  for (std::size_t i = 0; i < table.columns.size(); ++i) {
    readStoredValueInto(statement, firstColumn + 2 + static_cast<int>(i), table.columns[i], row.values[i]);
  }
}

OpenedTable FileStoredTable::open(std::size_t rows) {
  OpenedTable opened;
  SqliteStatement& statement = connection_->statement(openSql_);
  StatementUse use(statement);
  try {
    statement.bindInteger(1, static_cast<std::int64_t>(rows));
    while (statement.step()) {
      opened.highestKey = statement.integer(0);
      opened.firstRows.emplace_back();
      readRow(statement, 1, opened.firstRows.back());
    }
  } catch (const SqliteError& failure) {
    connection_->raiseSqliteFailure(failure);
  }
  return opened;
}

void FileStoredTable::appendKeys(const std::string& sql, std::int64_t after, std::int64_t bound, std::size_t limit,
                                 std::vector<std::int64_t>& keys) {
  SqliteStatement& statement = connection_->statement(sql);
  StatementUse use(statement);
  try {
    statement.bindInteger(1, after);
    statement.bindInteger(2, bound);
    statement.bindInteger(3, static_cast<std::int64_t>(limit));
    while (statement.step()) keys.push_back(statement.integer(0));
  } catch (const SqliteError& failure) {
    connection_->raiseSqliteFailure(failure);
  }
}

void FileStoredTable::keysForward(std::int64_t after, std::int64_t bound, std::size_t limit,
                                  std::vector<std::int64_t>& keys) {
  appendKeys(forwardSql_, after, bound, limit, keys);
}

void FileStoredTable::keysBackward(std::int64_t after, std::int64_t bound, std::size_t limit,
                                   std::vector<std::int64_t>& keys) {
  appendKeys(backwardSql_, after, bound, limit, keys);
}

std::vector<std::int64_t> FileStoredTable::keysBetween(std::int64_t low, std::int64_t high) {
  std::vector<std::int64_t> keys;
  SqliteStatement& statement = connection_->statement(keysSql_);
  StatementUse use(statement);
  try {
    statement.bindInteger(1, low);
    statement.bindInteger(2, high);
    while (statement.step()) keys.push_back(statement.integer(0));
  } catch (const SqliteError& failure) {
    connection_->raiseSqliteFailure(failure);
  }
  return keys;
}

std::int64_t FileStoredTable::countKeys(std::int64_t after, std::int64_t bound) {
  SqliteStatement& statement = connection_->statement(countSql_);
  StatementUse use(statement);
  try {
    statement.bindInteger(1, after);
    statement.bindInteger(2, bound);
    if (statement.step()) return statement.integer(0);
  } catch (const SqliteError& failure) {
    connection_->raiseSqliteFailure(failure);
  }
  return 0;
}

void FileStoredTable::readRows(std::int64_t low, std::int64_t high, std::vector<RowData>& rows) {
  const bool oneRow = low == high;
  SqliteStatement& statement = connection_->statement(oneRow ? rowSql_ : rangeSql_);
  StatementUse use(statement);
  try {
    statement.bindInteger(1, low);
    if (!oneRow) statement.bindInteger(2, high);
    std::size_t count = 0;
    while (statement.step()) {
      if (count == rows.size()) rows.emplace_back();
      readRow(statement, 0, rows[count++]);
    }
    rows.resize(count);
  } catch (const SqliteError& failure) {
    rows.clear();
    connection_->raiseSqliteFailure(failure);
  }
}

std::unique_ptr<RowSnapshot> FileStoredTable::readForEdit(std::int64_t key, RowData& row) {
  // The change counter and the stored values come from one statement, so
  // they describe the same version of the row.
  auto snapshot = std::make_unique<FileRowSnapshot>();
  SqliteStatement& statement = connection_->statement(rowSql_);
  StatementUse use(statement);
  try {
    statement.bindInteger(1, key);
    if (!statement.step()) return nullptr;
    readRow(statement, 0, row);
    const std::size_t columns = schema().columns.size();
    snapshot->values.reserve(columns);
    for (std::size_t i = 0; i < columns; ++i) snapshot->values.push_back(copyColumnValue(statement, static_cast<int>(i) + 2));
  } catch (const SqliteError& failure) {
    connection_->raiseSqliteFailure(failure);
  }
  return snapshot;
}

void FileStoredTable::update(std::int64_t key, const RowSnapshot& snapshot, std::int64_t version,
                             std::span<const std::size_t> written, std::span<const automation::Variant> values) {
  const TableSchema& table = schema();
  const auto& stored = dynamic_cast<const FileRowSnapshot&>(snapshot).values;
  std::string assignments;
  for (std::size_t i = 0; i < written.size(); ++i) {
    assignments += quoteIdentifier(table.columns[written[i]].name) + " = ?" + std::to_string(i + 1) + ", ";
  }
  // Written only if the counter and every stored value are still those Edit
  // read (IS with BINARY collation: Null matches Null, text byte for byte).
  const std::string counter = quoteIdentifier(kRowVersionColumn);
  std::string sql = "UPDATE " + quoteIdentifier(table.sqlName) + " SET " + assignments + counter + " = " + counter +
                    " + 1 WHERE " + table.rowKeySql + " = ?" + std::to_string(written.size() + 1) + " AND " +
                    counter + " = ?" + std::to_string(written.size() + 2);
  int parameter = static_cast<int>(written.size()) + 2;
  for (const ColumnSchema& column : table.columns) {
    sql += " AND " + quoteIdentifier(column.name) + " IS ?" + std::to_string(++parameter) + " COLLATE BINARY";
  }
  connection_->write([&] {
    SqliteStatement& statement = connection_->statement(sql);
    StatementUse use(statement);
    try {
      for (std::size_t i = 0; i < written.size(); ++i) {
        bindStoredValue(statement, static_cast<int>(i + 1), values[written[i]], table.columns[written[i]]);
      }
      statement.bindInteger(static_cast<int>(written.size() + 1), key);
      statement.bindInteger(static_cast<int>(written.size() + 2), version);
      for (std::size_t i = 0; i < stored.size(); ++i) {
        statement.bindValue(static_cast<int>(written.size() + 3 + i), stored[i].get());
      }
      statement.step();
    } catch (const SqliteError& failure) {
      connection_->raiseSqliteFailure(failure);
    }
    if (connection_->sql().changes() == 0) raise(error::writeConflict);
  });
}

std::int64_t FileStoredTable::insert(std::span<const automation::Variant> values) {
  const TableSchema& table = schema();
  std::string names;
  std::string placeholders;
  std::vector<std::size_t> written;
  for (std::size_t i = 0; i < table.columns.size(); ++i) {
    const ColumnSchema& column = table.columns[i];
    if (column.autoIncrement) continue;
    written.push_back(i);
    names += (written.size() > 1 ? ", " : "") + quoteIdentifier(column.name);
    placeholders += (written.size() > 1 ? ", ?" : "?") + std::to_string(written.size());
  }
  const std::string sql = written.empty() ? "INSERT INTO " + quoteIdentifier(table.sqlName) + " DEFAULT VALUES"
                                          : "INSERT INTO " + quoteIdentifier(table.sqlName) + "(" + names +
                                                ") VALUES(" + placeholders + ")";
  std::int64_t key = 0;
  connection_->write([&] {
    SqliteStatement& statement = connection_->statement(sql);
    StatementUse use(statement);
    try {
      for (std::size_t i = 0; i < written.size(); ++i) {
        bindStoredValue(statement, static_cast<int>(i + 1), values[written[i]], table.columns[written[i]]);
      }
      statement.step();
    } catch (const SqliteError& failure) {
      connection_->raiseSqliteFailure(failure);
    }
    key = connection_->sql().lastInsertRowId();
  });
  return key;
}

void FileStoredTable::remove(std::int64_t key) {
  connection_->write([&] {
    SqliteStatement& statement = connection_->statement(deleteSql_);
    StatementUse use(statement);
    try {
      statement.bindInteger(1, key);
      statement.step();
    } catch (const SqliteError& failure) {
      connection_->raiseSqliteFailure(failure);
    }
    if (connection_->sql().changes() == 0) raise(error::recordDeleted);
  });
}

std::shared_ptr<const CompiledFind> FileStoredTable::compileFind(std::string_view criteriaText) {
  criteria::CompiledCriteria compiled =
      compileFindCriteria(schema(), criteriaText, [](std::string_view text, const criteria::ColumnResolver& resolve) {
        return criteria::compileCriteria(text, resolve);
      });
  // The ordered search reads keys only (an index on the column then covers
  // it, and its matches sort cheaply); findFirstWithRow's statement takes
  // the lowest match's row along.
  auto search = std::make_shared<FileCompiledFind>();
  const std::string& key = schema().rowKeySql;
  const std::string from = " FROM " + quoteIdentifier(schema().sqlName);
  search->sql = "SELECT " + key + from + " WHERE (" + compiled.whereSql + ") ORDER BY " + key;
  // The lowest matching key with its row: min() walks the matches once
  // without sorting them, and the row is read in the same statement.
  search->firstWithRowSql = "SELECT " + selectList_ + from + " WHERE " + key + " = (SELECT min(" + key + ")" + from +
                            " WHERE (" + compiled.whereSql + "))";
  search->parameters = std::move(compiled.parameters);
  return search;
}

std::optional<std::int64_t> FileStoredTable::findFirst(const CompiledFind& compiled,
                                                       const std::function<bool(std::int64_t)>& accept) {
  const auto& search = dynamic_cast<const FileCompiledFind&>(compiled);
  SqliteStatement& statement = connection_->statement(search.sql);
  StatementUse use(statement);
  try {
    bindParameters(statement, search.parameters);
    while (statement.step()) {
      const std::int64_t key = statement.integer(0);
      if (accept(key)) return key;
    }
  } catch (const SqliteError& failure) {
    connection_->raiseSqliteFailure(failure);
  }
  return std::nullopt;
}

std::optional<std::int64_t> FileStoredTable::findFirstWithRow(const CompiledFind& compiled,
                                                              const std::function<bool(std::int64_t)>& accept,
                                                              RowData& row) {
  const auto& search = dynamic_cast<const FileCompiledFind&>(compiled);
  row.rowId = 0;
  {
    SqliteStatement& statement = connection_->statement(search.firstWithRowSql);
    StatementUse use(statement);
    try {
      bindParameters(statement, search.parameters);
      if (!statement.step()) return std::nullopt;  // nothing matches
      const std::int64_t key = statement.integer(0);
      if (accept(key)) {
        readRow(statement, 0, row);
        return key;
      }
    } catch (const SqliteError& failure) {
      connection_->raiseSqliteFailure(failure);
    }
  }
  // The lowest match is not one of the caller's rows (one added since by
  // another program): the matches are searched in order.
  return findFirst(compiled, accept);
}

}  // namespace dao
