// Dynaset: Edit, AddNew, Update, CancelUpdate and Delete.
#include <string>

#include "platform/dao/column_value.h"
#include "platform/dao/dynaset.h"
#include "platform/dao/engine_error.h"
#include "platform/dao/file_format.h"

namespace dao {

void Dynaset::edit() {
  requireOpen();
  requireUpdatable();
  if (position_.place != Place::OnRow) raise(error::noCurrentRecord);
  if (keyset_->isRemoved(position_.rowId)) raise(error::recordDeleted);
  endPendingChange();
  readRowForEdit();
  editValues_ = current_->values;
  assigned_.assign(table_->columns.size(), false);
  editedRowId_ = position_.rowId;
  editedVersion_ = current_->version;
  editMode_ = EditMode::Editing;
}

void Dynaset::readRowForEdit() {
  // The edit starts from the row as it is stored now. Its change counter and
  // its stored values, read by one statement, are what Update requires to be
  // unchanged: a counter alone can be reset by another program that
  // replaces the row.
  const std::string sql = "SELECT " + reader_.selectList() + " FROM " + quoteIdentifier(table_->sqlName) + " WHERE " +
                          table_->rowKeySql + " = ?1";
  SqliteStatement& statement = connection_->statement(sql);
  StatementUse use(statement);
  current_ = nullptr;
  currentLoaded_ = true;
  editedStored_.clear();
  try {
    statement.bindInteger(1, position_.rowId);
    if (!statement.step()) {
      statement.reset();
      reportRowGone();
    }
    reader_.readRow(statement, 0, editedRow_);
    for (std::size_t i = 0; i < table_->columns.size(); ++i) {
      editedStored_.push_back(copyColumnValue(statement, static_cast<int>(i) + 2));
    }
  } catch (const SqliteError& failure) {
    connection_->raiseSqliteFailure(failure);
  }
  current_ = &editedRow_;
}

void Dynaset::addNew() {
  requireOpen();
  requireUpdatable();
  endPendingChange();
  editValues_.clear();
  for (const ColumnSchema& column : table_->columns) editValues_.push_back(defaultValueOf(column));
  assigned_.assign(table_->columns.size(), false);
  editMode_ = EditMode::Adding;
}

void Dynaset::cancelUpdate() {
  requireOpen();
  if (editMode_ == EditMode::None) raise(error::updateWithoutEdit);
  endPendingChange();
}

void Dynaset::update() {
  requireOpen();
  if (editMode_ == EditMode::None) raise(error::updateWithoutEdit);
  if (editMode_ == EditMode::Editing) {
    updateEditedRow();
  } else {
    insertNewRow();
  }
  endPendingChange();
  reader_.forget();
  current_ = nullptr;
  currentLoaded_ = false;
}

void Dynaset::updateEditedRow() {
  std::string assignments;
  std::vector<std::size_t> written;
  for (std::size_t i = 0; i < assigned_.size(); ++i) {
    if (!assigned_[i]) continue;
    checkStoredValue(editValues_[i], table_->columns[i]);
    written.push_back(i);
    assignments += quoteIdentifier(table_->columns[i].name) + " = ?" + std::to_string(written.size()) + ", ";
  }
  if (written.empty()) {
    // Nothing to store: the row is left as it is, and so is its counter, so
    // that nobody else's edit fails because of this one.
    lastModified_ = editedRowId_;
    return;
  }
  const std::string version = quoteIdentifier(kRowVersionColumn);
  std::string sql = "UPDATE " + quoteIdentifier(table_->sqlName) + " SET " + assignments + version + " = " + version +
                    " + 1 WHERE " + table_->rowKeySql + " = ?" + std::to_string(written.size() + 1) + " AND " +
                    version + " = ?" + std::to_string(written.size() + 2);
  int parameter = static_cast<int>(written.size()) + 2;
  for (const ColumnSchema& column : table_->columns) {
    sql += " AND " + quoteIdentifier(column.name) + " IS ?" + std::to_string(++parameter) + " COLLATE BINARY";
  }
  connection_->write([&] {
    SqliteStatement& statement = connection_->statement(sql);
    StatementUse use(statement);
    try {
      for (std::size_t i = 0; i < written.size(); ++i) {
        bindStoredValue(statement, static_cast<int>(i + 1), editValues_[written[i]], table_->columns[written[i]]);
      }
      statement.bindInteger(static_cast<int>(written.size() + 1), editedRowId_);
      statement.bindInteger(static_cast<int>(written.size() + 2), editedVersion_);
      for (std::size_t i = 0; i < editedStored_.size(); ++i) {
        statement.bindValue(static_cast<int>(written.size() + 3 + i), editedStored_[i].get());
      }
      statement.step();
    } catch (const SqliteError& failure) {
      connection_->raiseSqliteFailure(failure);
    }
    if (connection_->sql().changes() == 0) raise(error::writeConflict);
  });
  lastModified_ = editedRowId_;
}

void Dynaset::insertNewRow() {
  std::string names;
  std::string placeholders;
  std::vector<std::size_t> written;
  for (std::size_t i = 0; i < table_->columns.size(); ++i) {
    const ColumnSchema& column = table_->columns[i];
    if (column.autoIncrement) continue;
    checkStoredValue(editValues_[i], column);
    written.push_back(i);
    names += (written.size() > 1 ? ", " : "") + quoteIdentifier(column.name);
    placeholders += (written.size() > 1 ? ", ?" : "?") + std::to_string(written.size());
  }
  const std::string sql = written.empty()
                              ? "INSERT INTO " + quoteIdentifier(table_->sqlName) + " DEFAULT VALUES"
                              : "INSERT INTO " + quoteIdentifier(table_->sqlName) + "(" + names + ") VALUES(" +
                                    placeholders + ")";
  std::int64_t rowId = 0;
  connection_->write([&] {
    SqliteStatement& statement = connection_->statement(sql);
    StatementUse use(statement);
    try {
      for (std::size_t i = 0; i < written.size(); ++i) {
        bindStoredValue(statement, static_cast<int>(i + 1), editValues_[written[i]], table_->columns[written[i]]);
      }
      statement.step();
    } catch (const SqliteError& failure) {
      connection_->raiseSqliteFailure(failure);
    }
    rowId = connection_->sql().lastInsertRowId();
  });
  keyset_->append(rowId);
  lastModified_ = rowId;
}

void Dynaset::deleteCurrent() {
  requireOpen();
  requireUpdatable();
  if (position_.place != Place::OnRow) raise(error::noCurrentRecord);
  if (keyset_->isRemoved(position_.rowId)) raise(error::recordDeleted);
  endPendingChange();
  const std::int64_t rowId = position_.rowId;
  const std::string sql =
      "DELETE FROM " + quoteIdentifier(table_->sqlName) + " WHERE " + table_->rowKeySql + " = ?1";
  connection_->write([&] {
    SqliteStatement& statement = connection_->statement(sql);
    StatementUse use(statement);
    try {
      statement.bindInteger(1, rowId);
      statement.step();
    } catch (const SqliteError& failure) {
      connection_->raiseSqliteFailure(failure);
    }
    if (connection_->sql().changes() == 0) reportRowGone();
  });
  keyset_->markRemoved(rowId);
  reader_.forget();
  current_ = nullptr;
  currentLoaded_ = true;
}

}  // namespace dao
