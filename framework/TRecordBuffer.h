#pragma once
// TRecordBuffer: one row as the dataset holds it in its window.
//
// Every field value is a text (a Big5 byte string for text fields, the
// decimal or "True"/"False" form for the others); an empty text is Null, so
// an empty string and Null cannot be told apart. Each value has a changed
// flag, set when the value is written through a field and cleared when the
// row is (re)read from the cursor; a dataset posts only changed values.
//
// The header says where the row came from: its record index in the cursor
// (-1 for a new row), its bookmark flag and its bookmark. Buffers are plain
// values: copying one gives an independent snapshot (an old-values copy).
#include <cstddef>
#include <string>
#include <vector>

#include "framework/DbTypes.h"

namespace framework {

struct TFieldValue {
  std::string text;
  bool changed = false;
};

class TRecordBuffer final {
 public:
  explicit TRecordBuffer(std::size_t fieldCount) : values_(fieldCount) {}

  std::size_t FieldCount() const noexcept { return values_.size(); }
  // Value of the field with 0-based index (FieldNo - 1).
  TFieldValue& Value(std::size_t index) { return values_.at(index); }
  const TFieldValue& Value(std::size_t index) const { return values_.at(index); }
  const std::string& Text(std::size_t index) const { return values_.at(index).text; }
  // Stores a text and marks it changed.
  void SetChanged(std::size_t index, std::string text) {
    TFieldValue& value = values_.at(index);
    value.text = std::move(text);
    value.changed = true;
  }
  // Stores a text as read from the cursor: not changed.
  void SetLoaded(std::size_t index, std::string text) {
    TFieldValue& value = values_.at(index);
    value.text = std::move(text);
    value.changed = false;
  }
  void ClearChangedFlags() noexcept {
    for (TFieldValue& value : values_) value.changed = false;
  }
  // Empties every value and resets the header.
  void Reset() noexcept {
    for (TFieldValue& value : values_) {
      value.text.clear();
      value.changed = false;
    }
    recordIndex = -1;
    bookmarkFlag = bfCurrent;
    bookmark.clear();
  }

  // 0-based position of the row in the cursor as the dataset counts it; -1
  // for a new row.
  int recordIndex = -1;
  TBookmarkFlag bookmarkFlag = bfCurrent;
  TBookmark bookmark;

 private:
  std::vector<TFieldValue> values_;
};

}  // namespace framework
