#include "tests/app/controls/MemoryDataSet.h"

#include <algorithm>

#include "framework/DbErrors.h"
#include "framework/TextRules.h"

namespace controls_test {

using namespace framework;

MemoryDataSet::MemoryDataSet(std::string name, std::vector<MemoryColumn> columns,
                             const std::vector<std::vector<std::string>>& rows, TComponent* owner)
    : TDataSet(std::move(name), owner), columns_(std::move(columns)) {
  for (const auto& values : rows) rows_.push_back({nextId_++, values});
}

MemoryDataSet::~MemoryDataSet() {
  try {
    Close();
  } catch (...) {
  }
}

std::vector<std::string> MemoryDataSet::Column(int column) const {
  std::vector<std::string> result;
  for (const auto& row : rows_) result.push_back(row.values.at(static_cast<std::size_t>(column)));
  return result;
}

void MemoryDataSet::InternalOpen() {
  InternalInitFieldDefs();
  CreateFields();
  open_ = true;
}

void MemoryDataSet::InternalInitFieldDefs() {
  FieldDefs().Clear();
  for (const auto& column : columns_) FieldDefs().Add(column.name, column.type, column.size, column.required);
}

TGetResult MemoryDataSet::GetRecord(TRecordBuffer& buffer, TGetMode mode) {
  ++getRecordCalls;
  if (mode == gmNext && cursor_ < Size()) ++cursor_;
  if (mode == gmPrior && cursor_ >= 0) --cursor_;
  if (cursor_ < 0) return grBOF;
  if (cursor_ >= Size()) return grEOF;
  const MemoryRow& row = rows_[static_cast<std::size_t>(cursor_)];
  for (std::size_t i = 0; i < buffer.FieldCount(); ++i) buffer.SetLoaded(i, row.values.at(i));
  buffer.recordIndex = cursor_;
  buffer.bookmarkFlag = bfCurrent;
  buffer.bookmark = std::to_string(row.id);
  return grOK;
}

int MemoryDataSet::IndexOfBookmark(const TBookmark& bookmark) const noexcept {
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    if (std::to_string(rows_[i].id) == bookmark) return static_cast<int>(i);
  }
  return -1;
}

void MemoryDataSet::InternalSetToRecord(TRecordBuffer& buffer) {
  ++setToRecordCalls;
  if (buffer.bookmarkFlag != bfCurrent) return;
  const int index = IndexOfBookmark(buffer.bookmark);
  if (index >= 0) cursor_ = index;
}

void MemoryDataSet::InternalGotoBookmark(const TBookmark& bookmark) {
  const int index = IndexOfBookmark(bookmark);
  if (index < 0) DatabaseError("Invalid Bookmark!");
  cursor_ = index;
}

void MemoryDataSet::InternalEdit() {
  if (!failEdit.empty()) DatabaseError(failEdit);
}

void MemoryDataSet::StoreNewRow(const TRecordBuffer& buffer, bool append) {
  MemoryRow row{nextId_++, {}};
  for (std::size_t i = 0; i < buffer.FieldCount(); ++i) row.values.push_back(buffer.Text(i));
  const int at = append ? Size() : std::clamp(cursor_, 0, Size());
  rows_.insert(rows_.begin() + at, std::move(row));
  cursor_ = at;
}

void MemoryDataSet::InternalPost() {
  if (!failPost.empty()) DatabaseError(failPost);
  const TRecordBuffer& buffer = *ActiveRecordBuffer();
  if (State() == dsInsert) {
    StoreNewRow(buffer, buffer.bookmarkFlag == bfEOF);
    return;
  }
  MemoryRow& row = rows_.at(static_cast<std::size_t>(cursor_));
  for (std::size_t i = 0; i < buffer.FieldCount(); ++i) {
    if (buffer.Value(i).changed) row.values[i] = buffer.Text(i);
  }
}

void MemoryDataSet::InternalDelete() {
  if (!failDelete.empty()) DatabaseError(failDelete);
  rows_.erase(rows_.begin() + cursor_);
  if (cursor_ >= Size()) cursor_ = Size() - 1;
}

void MemoryDataSet::InternalAddRecord(TRecordBuffer& buffer, bool append) { StoreNewRow(buffer, append); }

void MemoryDataSet::InternalInitRecord(TRecordBuffer& buffer) {
  TDataSet::InternalInitRecord(buffer);
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    if (!columns_[i].defaultText.empty()) buffer.SetChanged(i, columns_[i].defaultText);
  }
}

int MemoryDataSet::GetRecNo() {
  UpdateCursorPos();
  return (cursor_ >= 0 && cursor_ < Size()) ? cursor_ + 1 : -1;
}

void MemoryDataSet::SetRecNo(int value) {
  CheckBrowseMode();
  DoBeforeScroll();
  CursorPosChanged();
  cursor_ = std::clamp(value - 1, -1, Size());
  Resync({.exact = true, .center = true});
  DoAfterScroll();
}

bool MemoryDataSet::Locate(const std::string& keyFields, const TKeyValues& keyValues, TLocateOptions options) {
  const TField& field = FieldByName(keyFields);
  const auto column = static_cast<std::size_t>(field.FieldNo() - 1);
  const std::string wanted = keyValues.at(0).value_or(std::string());
  auto matches = [&](const std::string& value) {
    const std::string head = options.partialKey ? value.substr(0, wanted.size()) : value;
    return options.caseInsensitive ? SameName(head, wanted) : head == wanted;
  };
  const auto found =
      std::find_if(rows_.begin(), rows_.end(), [&](const MemoryRow& row) { return matches(row.values[column]); });
  if (found == rows_.end()) return false;
  const TBookmark bookmark = std::to_string(found->id);
  CheckBrowseMode();
  DoBeforeScroll();
  CursorPosChanged();
  cursor_ = IndexOfBookmark(bookmark);
  Resync();
  DoAfterScroll();
  return true;
}

}  // namespace controls_test
