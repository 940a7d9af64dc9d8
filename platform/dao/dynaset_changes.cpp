// Dynaset: Edit, AddNew, Update, CancelUpdate and Delete.
#include <vector>

#include "platform/dao/column_value.h"
#include "platform/dao/dynaset.h"
#include "platform/dao/engine_error.h"

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
  // its stored values, read together, are what Update requires to be
  // unchanged: a counter alone can be reset by another program that
  // replaces the row.
  current_ = nullptr;
  currentLoaded_ = true;
  editedStored_ = stored_->readForEdit(position_.rowId, editedRow_);
  if (!editedStored_) reportRowGone();
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
  std::vector<std::size_t> written;
  for (std::size_t i = 0; i < assigned_.size(); ++i) {
    if (!assigned_[i]) continue;
    checkStoredValue(editValues_[i], table_->columns[i]);
    written.push_back(i);
  }
  if (written.empty()) {
    // Nothing to store: the row is left as it is, and so is its counter, so
    // that nobody else's edit fails because of this one.
    lastModified_ = editedRowId_;
    return;
  }
  stored_->update(editedRowId_, *editedStored_, editedVersion_, written, editValues_);
  lastModified_ = editedRowId_;
}

void Dynaset::insertNewRow() {
  for (std::size_t i = 0; i < table_->columns.size(); ++i) {
    if (!table_->columns[i].autoIncrement) checkStoredValue(editValues_[i], table_->columns[i]);
  }
  const std::int64_t rowId = stored_->insert(editValues_);
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
  try {
    stored_->remove(rowId);
  } catch (const EngineError& failure) {
    if (failure.number() == error::recordDeleted) reportRowGone();
    throw;
  }
  keyset_->markRemoved(rowId);
  reader_.forget();
  current_ = nullptr;
  currentLoaded_ = true;
}

}  // namespace dao
