// TOrvDaoTable: changing rows through the engine. Nothing reaches the engine
// before a post: an edit only opens the engine's edit of the row, an insert
// nothing at all; the post writes the changed fields and calls Update.
#include "data/TOrvDaoDatabase.h"
#include "data/TOrvDaoTable.h"
#include "data/bookmark_handle.h"
#include "data/engine_text.h"
#include "data/messages.h"
#include "framework/DbErrors.h"
#include "platform/automation/ole_exception.h"
#include "platform/big5/big5.h"
#include "platform/dao/typelib/dao_typelib.h"

namespace data {

using namespace dao;  // the engine's type library: member names and codes

using automation::Variant;
using framework::TRecordBuffer;

namespace {

constexpr int kRecordDeleted = 3167;

}  // namespace

void TOrvDaoTable::InternalEdit() {
  if (const TRecordBuffer* active = ActiveRecordBuffer()) oldValues_ = *active;
  try {
    if (EditMode() != edit_mode::editing) recordset_->call(member::kEdit);
  } catch (...) {
    oldValues_.reset();
    try {
      // Show the row as it now is (or is not) before reporting.
      if (EditMode() != edit_mode::editing) {
        recordset_->call(member::kMove, {0});
        Resync();
      }
    } catch (const std::exception&) {
    }
    throw;
  }
  engineEditing_ = true;
  // The edit starts from the row's stored values as the engine read them
  // for the edit, not from what the buffer held since it was last read.
  if (TRecordBuffer* active = ActiveRecordBuffer()) LoadRecord(*active);
}

std::vector<std::pair<std::size_t, Variant>> TOrvDaoTable::ChangedValues(const TRecordBuffer& buffer) {
  std::vector<std::pair<std::size_t, Variant>> values;
  const framework::TFieldDefs& defs = FieldDefs();
  for (std::size_t i = 0; i < buffer.FieldCount() && i < fieldObjects_.size(); ++i) {
    const framework::TFieldValue& value = buffer.Value(i);
    if (!value.changed || !fieldInfo_[i].writable) continue;
    values.emplace_back(i, Variant::null());
    if (value.text.empty()) continue;
    Variant& stored = values.back().second;
    const framework::TFieldDef& def = defs[static_cast<int>(i)];
    switch (def.DataType()) {
      case framework::ftDate:
      case framework::ftTime:
      case framework::ftDateTime:
        try {
          stored = Variant(Variant(value.text).asDate());
        } catch (const std::exception&) {
          values.pop_back();  // a text that is no date is not written
        }
        break;
      case framework::ftBlob:
        stored = Variant(automation::ByteArray(value.text.begin(), value.text.end()));
        break;
      case framework::ftBytes:
        if (fieldInfo_[i].daoType != dbGUID) {
          stored = Variant(automation::ByteArray(value.text.begin(), value.text.end()));
          break;
        }
        [[fallthrough]];
      default:
        try {
          stored.assignText(EngineFromBig5(value.text));
        } catch (const big5::ConversionError&) {
          framework::DatabaseErrorFmt(SNotBig5, {def.Name()});
        }
        break;
    }
  }
  return values;
}

void TOrvDaoTable::CleanUpFailedUpdate(bool inserting) noexcept {
  // A post that failed because another user changed or deleted the row may
  // leave fewer rows than counted.
  recount_ = true;
  try {
    if (inserting) {
      if (EditMode() == edit_mode::adding) recordset_->call(member::kCancelUpdate);
      return;
    }
    if (!recordset_->get(member::kLockEdits).asBoolean() && EditMode() == edit_mode::editing) {
      recordset_->call(member::kCancelUpdate);
    }
    // Back on the row as it is stored; the next post begins a fresh edit.
    if (EditMode() != edit_mode::editing) recordset_->call(member::kMove, {0});
  } catch (...) {
    // The post's own failure is the one to report.
  }
}

void TOrvDaoTable::PostBuffer(TRecordBuffer& buffer, bool inserting) {
  // Converted first, so that a text that cannot be stored fails before the
  // engine has an edit to clean up.
  const std::vector<std::pair<std::size_t, Variant>> values = ChangedValues(buffer);
  if (inserting) {
    recordset_->call(member::kAddNew);
  } else if (EditMode() != edit_mode::editing) {
    // The engine's edit was lost (an earlier post failed): begin a new one.
    try {
      recordset_->call(member::kEdit);
    } catch (...) {
      try {
        if (EditMode() != edit_mode::editing) recordset_->call(member::kMove, {0});
      } catch (const std::exception&) {
      }
      // The window keeps the typed values; the next move reads afresh.
      recount_ = true;
      throw;
    }
  }
  try {
    for (const auto& [index, value] : values) fieldObjects_[index]->put(member::kValue, value);
    recordset_->call(member::kUpdate);
  } catch (...) {
    CleanUpFailedUpdate(inserting);
    throw;
  }
  engineEditing_ = false;
  if (inserting) {
    recount_ = true;
    ++currentIndex_;
    ++highestIndex_;
    InternalLast();
  }
  if (bookmarkable_) {
    const bool jet = database_ != nullptr && database_->EngineType() == workspace_type::jet;
    std::int32_t handle = 0;
    if (inserting && !jet) {
      handle = CurrentHandle();
    } else {
      const automation::ByteArray last = recordset_->get(member::kLastModified).asBytes();
      handle = HandleOfBytes(last.data(), last.size());
    }
    buffer.bookmark = BookmarkOf(handle);
    // The posted row becomes the current one; the framework re-reads it,
    // with its new ID and the values as stored.
    GotoHandle(handle);
    if (inserting) currentIndex_ = recordset_->get(member::kAbsolutePosition).asInt32();
  }
  oldValues_.reset();
  database_->EngineIdle();
}

void TOrvDaoTable::InternalPost() {
  CheckActive();
  TRecordBuffer* buffer = ActiveRecordBuffer();
  if (buffer == nullptr) return;
  PostBuffer(*buffer, State() == framework::dsInsert);
}

void TOrvDaoTable::InternalAddRecord(TRecordBuffer& buffer, bool append) {
  if (append) {
    InternalLast();
    buffer.bookmarkFlag = framework::bfEOF;
  }
  PostBuffer(buffer, true);
}

void TOrvDaoTable::InternalCancel() {
  try {
    if (EditMode() == edit_mode::editing) recordset_->call(member::kCancelUpdate);
  } catch (const std::exception&) {
  }
  engineEditing_ = false;
  oldValues_.reset();
  database_->EngineIdle();
}

void TOrvDaoTable::InternalDelete() {
  const TRecordBuffer* active = ActiveRecordBuffer();
  const std::int32_t recordIndex = active != nullptr ? active->recordIndex : currentIndex_;
  try {
    recordset_->call(member::kDelete);
  } catch (const automation::EOleException& error) {
    // Refused: the bookmark lists and record indexes stay as they were.
    if (error.errorNumber() != kRecordDeleted) throw;
    // Already gone (another program deleted it): nothing to report.
    ForgetBookmarkOf(recordIndex);
    ResynchronizeAfterChange();
    return;
  }
  ForgetBookmarkOf(recordIndex);
  database_->EngineIdle();
  recount_ = true;
  // The row after the deleted one takes its index; without one, the new
  // last row is current.
  recordset_->call(member::kMoveNext);
  currentIndex_ = recordIndex;
  if (RecordsetEof()) {
    if (RecordsetBof()) {
      currentIndex_ = -1;
    } else {
      recordset_->call(member::kMoveLast);
      currentIndex_ = recordIndex - 1;
    }
  }
}

}  // namespace data
