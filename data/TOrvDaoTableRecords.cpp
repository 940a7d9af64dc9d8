// TOrvDaoTable: record buffers. Rows are read from the engine into Big5
// texts; memo and binary values are read only when a field asks for them,
// through a blob stream.
#include "data/TOrvDaoDatabase.h"
#include "data/TOrvDaoTable.h"
#include "data/bookmark_handle.h"
#include "data/engine_text.h"
#include "data/messages.h"
#include "framework/DbErrors.h"
#include "platform/big5/big5.h"
#include "platform/dao/typelib/dao_typelib.h"

namespace data {

using namespace dao;  // the engine's type library: member names and codes

using framework::TField;
using framework::TRecordBuffer;

namespace {

bool IsMemo(int daoType) noexcept { return daoType == dbMemo; }
bool IsBinaryBlob(int daoType) noexcept { return daoType == dbLongBinary || daoType == dbVarBinary; }

// A default expression of a field object: a quoted literal or the text as
// it stands.
std::string EvaluateDefault(const std::string& expression) {
  if (expression.size() >= 2 && (expression.front() == '\'' || expression.front() == '"') &&
      expression.back() == expression.front()) {
    return expression.substr(1, expression.size() - 2);
  }
  return expression;
}

}  // namespace

// Copies the row the cursor stands on into the buffer. False when the
// engine failed to give it (for example a row another program deleted).
bool TOrvDaoTable::LoadRecord(TRecordBuffer& buffer) {
  try {
    database_->EngineIdle();
    buffer.bookmark = bookmarkable_ ? BookmarkOf(CurrentHandle()) : framework::TBookmark();
    buffer.recordIndex = currentIndex_;
    buffer.bookmarkFlag = framework::bfCurrent;
    const std::size_t count = std::min(buffer.FieldCount(), fieldObjects_.size());
    // Every value in one call (memos and binary values only where they are
    // kept with the row); the array is in the order of Fields, as
    // fieldObjects_ is.
    static const automation::Arguments kWhichValues[2][2] = {{{false, false}, {false, true}}, {{true, false}, {true, true}}};
    const automation::Variant row = recordset_->get(member::kFieldValues, kWhichValues[cacheMemos_][cacheBlobs_]);
    const automation::VariantArray* values = row.arrayIf();
    if (values == nullptr || values->size() < count) return false;
    for (std::size_t i = 0; i < count; ++i) {
      const int daoType = fieldInfo_[i].daoType;
      if ((IsMemo(daoType) && !cacheMemos_) || (IsBinaryBlob(daoType) && !cacheBlobs_)) {
        // Only whether there is a value: its size, as the field reports it.
        const std::int32_t size = fieldObjects_[i]->get(member::kFieldSize).asInt32();
        buffer.SetLoaded(i, size == 0 ? std::string() : std::to_string(size));
        continue;
      }
      buffer.SetLoaded(i, BufferTextOf((*values)[i]));
    }
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

void TOrvDaoTable::InternalInitRecord(TRecordBuffer& buffer) {
  const TRecordBuffer* current = ActiveRecordBuffer();
  if (current != nullptr) {
    oldValues_ = *current;
  } else {
    oldValues_.reset();
  }
  buffer.Reset();
  for (std::size_t i = 0; i < buffer.FieldCount() && i < fieldInfo_.size(); ++i) {
    std::string text = fieldInfo_[i].defaultText;
    bool changed = false;
    const auto fieldIndex = static_cast<int>(i);
    if (fieldIndex < Fields().Count() && !Fields()[fieldIndex].DefaultExpression().empty()) {
      text = EvaluateDefault(Fields()[fieldIndex].DefaultExpression());
      changed = true;
    }
    // The engine's own defaults are shown but not written: a clear changed
    // flag lets the engine apply them itself.
    buffer.Value(i) = framework::TFieldValue{std::move(text), changed};
  }
  buffer.bookmarkFlag = framework::bfInserted;
  buffer.bookmark.clear();
  buffer.recordIndex = -1;
}

void TOrvDaoTable::SetFieldData(TField& field, const std::string* text) {
  if (text != nullptr && field.DataType() == framework::ftString && field.Size() > 0 &&
      text->size() > static_cast<std::size_t>(field.Size())) {
    // Never half a Big5 character at the end of a text that is too long.
    const std::string cut(big5::cutToBytes(*text, static_cast<std::size_t>(field.Size())));
    framework::TDataSet::SetFieldData(field, &cut);
    return;
  }
  framework::TDataSet::SetFieldData(field, text);
}

std::unique_ptr<framework::TBlobStream> TOrvDaoTable::CreateBlobStream(TField& field, framework::TBlobStreamMode mode) {
  if (mode != framework::bmRead && ReadOnly()) framework::DatabaseError(SWriteReadOnly);
  if (mode == framework::bmWrite) {
    auto stream = std::make_unique<TOrvBlobStream>(field, mode, std::string());
    stream->Truncate();
    return stream;
  }
  return std::make_unique<TOrvBlobStream>(field, mode, BlobText(field));
}

// The whole memo or binary value of the active record's field.
std::string TOrvDaoTable::BlobText(const TField& field) {
  TRecordBuffer* buffer = ActiveRecordBuffer();
  if (buffer == nullptr || field.FieldNo() < 1) return {};
  const auto index = static_cast<std::size_t>(field.FieldNo() - 1);
  if (index >= buffer->FieldCount()) return {};
  const framework::TFieldValue& value = buffer->Value(index);
  // A value written since the row was read, or a row the engine has not
  // got yet: the buffer holds the value itself.
  if (value.changed || buffer->recordIndex == -1 || buffer->bookmarkFlag == framework::bfInserted) return value.text;
  if (!cursorOpen_ || index >= fieldObjects_.size()) return {};
  const int daoType = fieldInfo_[index].daoType;
  if ((IsMemo(daoType) && cacheMemos_) || (IsBinaryBlob(daoType) && cacheBlobs_)) return value.text;
  try {
    // Read at the row's own place; the cursor normally stands there already.
    const std::int32_t row = bookmarkable_ ? HandleOf(buffer->bookmark) : 0;
    std::int32_t standing = row;
    if (row != 0) {
      try {
        standing = CurrentHandle();
      } catch (const std::exception&) {
        standing = 0;  // before the first or after the last row
      }
      if (standing != row) GotoHandle(row);
    }
    const std::string text = BufferTextOf(fieldObjects_[index]->get(member::kValue));
    if (standing != row) {
      if (standing != 0) {
        GotoHandle(standing);
      } else {
        CursorPosChanged();
      }
    }
    return text;
  } catch (const std::exception&) {
    // An edit in progress must keep its cursor; otherwise start over.
    if (State() == framework::dsBrowse) {
      try {
        ResynchronizeAfterChange();
      } catch (const std::exception&) {
      }
    }
    return {};
  }
}

}  // namespace data
