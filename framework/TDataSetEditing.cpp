// TDataSet: edit, insert, post, cancel and delete, in the event orders the
// header lists.
#include <algorithm>

#include "framework/DbErrors.h"
#include "framework/TDataSet.h"

namespace framework {

void TDataSet::UpdateRecord() {
  CheckActive();
  if (state_ != dsEdit && state_ != dsInsert) DatabaseError(SNotEditing, this);
  DataEvent(deUpdateRecord);
}

void TDataSet::CheckBrowseMode() {
  CheckActive();
  DataEvent(deCheckBrowseMode);
  if (state_ == dsEdit || state_ == dsInsert) {
    UpdateRecord();
    if (modified_) {
      Post();
    } else {
      Cancel();
    }
  }
}

void TDataSet::Edit() {
  if (state_ == dsEdit || state_ == dsInsert) return;
  CheckActive();
  if (window_.empty()) {
    Insert();
    return;
  }
  CheckBrowseMode();
  CheckCanModify();
  if (BeforeEdit) BeforeEdit(*this);
  UpdateCursorPos();
  InternalEdit();
  SetState(dsEdit);
  DataEvent(deRecordChange);
  if (AfterEdit) AfterEdit(*this);
}

void TDataSet::Insert() { BeginInsert(false); }

void TDataSet::Append() { BeginInsert(true); }

void TDataSet::BeginInsert(bool append) {
  CheckBrowseMode();
  CheckCanModify();
  if (BeforeInsert) BeforeInsert(*this);
  DoBeforeScroll();

  auto buffer = AllocRecordBuffer();
  InternalInitRecord(*buffer);
  SetBookmarkFlag(*buffer, append ? bfEOF : bfInserted);
  if (append) {
    // The new row follows the last rows, which stay in view before it.
    ClearWindow();
    InternalLast();
    FillBackward(capacity_ - 1);
    window_.push_back(std::move(buffer));
    activeSlot_ = static_cast<int>(window_.size()) - 1;
  } else {
    // The cursor keeps standing on the row the new one goes before.
    UpdateCursorPos();
    if (window_.empty()) activeSlot_ = 0;
    window_.insert(window_.begin() + activeSlot_, std::move(buffer));
    if (cursorSlot_ >= activeSlot_) ++cursorSlot_;
    while (static_cast<int>(window_.size()) > std::max(capacity_, activeSlot_ + 1)) {
      FreeRecordBuffer(window_.back());
      window_.pop_back();
    }
    if (cursorSlot_ >= static_cast<int>(window_.size())) cursorSlot_ = -1;
  }
  bof_ = eof_ = false;

  SetState(dsInsert);
  try {
    DoOnNewRecord();
  } catch (...) {
    AbandonInsert();
    throw;
  }
  modified_ = false;  // defaults and OnNewRecord values alone do not make a row worth posting
  DataEvent(deDataSetChange);
  if (AfterInsert) AfterInsert(*this);
  DoAfterScroll();
}

void TDataSet::AbandonInsert() noexcept {
  try {
    InternalCancel();
  } catch (...) {
    // The error that abandoned the insert is the one reported.
  }
  SetState(dsBrowse);
  try {
    Resync();
  } catch (...) {
    ClearWindow();
    bof_ = eof_ = true;
  }
}

void TDataSet::CheckRequiredFields() {
  for (TField& field : fields_) {
    if (field.Required() && !field.ReadOnly() && field.IsNull()) {
      field.FocusControl();
      DatabaseErrorFmt(SFieldRequired, {field.DisplayName()});
    }
  }
}

void TDataSet::Post() {
  UpdateRecord();
  CheckRequiredFields();
  if (BeforePost) BeforePost(*this);
  if (state_ == dsEdit) UpdateCursorPos();
  InternalPost();
  SetState(dsBrowse);
  Resync();
  if (AfterPost) AfterPost(*this);
}

void TDataSet::Cancel() {
  if (state_ != dsEdit && state_ != dsInsert) return;
  const bool wasInsert = state_ == dsInsert;
  if (BeforeCancel) BeforeCancel(*this);
  if (wasInsert) DoBeforeScroll();
  InternalCancel();
  SetState(dsBrowse);
  Resync();
  if (AfterCancel) AfterCancel(*this);
  if (wasInsert) DoAfterScroll();
}

void TDataSet::Delete() {
  CheckActive();
  if (state_ == dsInsert) {
    Cancel();
    return;
  }
  if (window_.empty()) DatabaseError(SDataSetEmpty, this);
  CheckCanModify();
  DataEvent(deCheckBrowseMode);
  if (BeforeDelete) BeforeDelete(*this);
  DoBeforeScroll();
  UpdateCursorPos();
  InternalDelete();
  SetState(dsBrowse);
  Resync();
  if (AfterDelete) AfterDelete(*this);
  DoAfterScroll();
}

void TDataSet::AddRecord(const TKeyValues& values, bool append) {
  CheckBrowseMode();
  CheckCanModify();
  if (BeforeInsert) BeforeInsert(*this);
  DoBeforeScroll();
  UpdateCursorPos();
  auto buffer = AllocRecordBuffer();
  InternalInitRecord(*buffer);
  SetBookmarkFlag(*buffer, append ? bfEOF : bfInserted);
  const std::size_t count = std::min(values.size(), buffer->FieldCount());
  for (std::size_t i = 0; i < count; ++i) buffer->SetChanged(i, values[i].value_or(std::string()));
  CursorPosChanged();
  InternalAddRecord(*buffer, append);
  Resync();
  DoAfterScroll();
}

}  // namespace framework
