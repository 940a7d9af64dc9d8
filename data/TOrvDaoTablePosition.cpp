// TOrvDaoTable: moving the DAO cursor for the framework, record numbers,
// the record count, bookmarks and resynchronisation.
//
// Position state besides the cursor: the current record index (0-based, as
// the table counts rows; -1 before the first), a step counter moving with it
// on next and prior, the highest index seen, the cached record count with
// its recount flag, and the bookmark lists (record index and handle of every
// row whose bookmark was taken). A handle is a row's 4-byte DAO bookmark read
// as one signed 32-bit value; 0 stands for "none".
#include <algorithm>

#include "data/TOrvDaoDatabase.h"
#include "data/TOrvDaoTable.h"
#include "data/bookmark_handle.h"
#include "data/messages.h"
#include "framework/DbErrors.h"
#include "platform/automation/ole_exception.h"
#include "platform/dao/typelib/dao_typelib.h"

namespace data {

using namespace dao;  // the engine's type library: member names and codes

using automation::ByteArray;
using framework::DatabaseError;
using framework::TBookmark;
using framework::TGetMode;
using framework::TGetResult;
using framework::TRecordBuffer;

namespace {

constexpr int kRecordDeleted = 3167;

}  // namespace

// ---- Engine cursor helpers ----

bool TOrvDaoTable::RecordsetBof() const { return recordset_->get(member::kBOF).asBoolean(); }
bool TOrvDaoTable::RecordsetEof() const { return recordset_->get(member::kEOF).asBoolean(); }
bool TOrvDaoTable::RecordsetEmpty() const { return RecordsetBof() && RecordsetEof(); }
int TOrvDaoTable::EditMode() const { return recordset_->get(member::kEditMode).asInt32(); }

std::int32_t TOrvDaoTable::CurrentHandle() const {
  const automation::Variant bookmark = recordset_->get(member::kBookmark);
  const ByteArray* bytes = bookmark.bytesIf();
  return bytes != nullptr ? HandleOfBytes(bytes->data(), bytes->size()) : 0;
}

void TOrvDaoTable::GotoHandle(std::int32_t handle) { recordset_->put(member::kBookmark, BytesOfHandle(handle)); }

void TOrvDaoTable::RecordBookmark(std::int32_t recordIndex, std::int32_t handle) {
  const auto found = std::find(bookmarkIndexes_.begin(), bookmarkIndexes_.end(), recordIndex);
  if (found != bookmarkIndexes_.end()) {
    bookmarkHandles_[static_cast<std::size_t>(found - bookmarkIndexes_.begin())] = handle;
    return;
  }
  bookmarkIndexes_.push_back(recordIndex);
  bookmarkHandles_.push_back(handle);
}

bool TOrvDaoTable::HasBookmarkHandle(std::int32_t handle) const noexcept {
  return std::find(bookmarkHandles_.begin(), bookmarkHandles_.end(), handle) != bookmarkHandles_.end();
}

void TOrvDaoTable::ForgetBookmarkOf(std::int32_t recordIndex) noexcept {
  for (std::size_t i = 0; i < bookmarkIndexes_.size();) {
    if (bookmarkIndexes_[i] == recordIndex) {
      bookmarkIndexes_.erase(bookmarkIndexes_.begin() + static_cast<std::ptrdiff_t>(i));
      bookmarkHandles_.erase(bookmarkHandles_.begin() + static_cast<std::ptrdiff_t>(i));
      continue;
    }
    if (bookmarkIndexes_[i] > recordIndex) --bookmarkIndexes_[i];
    ++i;
  }
}

// ---- Moving ----

void TOrvDaoTable::InternalFirst() {
  currentIndex_ = -1;
  stepCounter_ = -1;
  try {
    if (RecordsetEmpty()) return;
    // Before the first row: the framework then fetches forward.
    recordset_->call(member::kMoveFirst);
    recordset_->call(member::kMovePrevious);
  } catch (const std::exception&) {
    // An empty or vanished cursor simply has no first row.
  }
}

void TOrvDaoTable::InternalLast() {
  if (RecordsetEmpty()) {
    currentIndex_ = -1;
    return;
  }
  // After the last row: the framework then fetches backwards onto it.
  recordset_->call(member::kMoveLast);
  recordset_->call(member::kMoveNext);
  currentIndex_ = recordset_->get(member::kRecordCount).asInt32();
}

TGetResult TOrvDaoTable::GetRecord(TRecordBuffer& buffer, TGetMode mode) {
  // The framework finishes every edit before it fetches; a fetch now would
  // end the engine's pending edit.
  if (State() == framework::dsEdit || State() == framework::dsInsert) return framework::grError;
  TGetResult result = framework::grOK;
  switch (mode) {
    case framework::gmCurrent:
      if (RecordsetBof()) {
        result = framework::grBOF;
      } else if (RecordsetEof()) {
        result = framework::grEOF;
      }
      break;
    case framework::gmNext:
      if (!RecordsetEof()) recordset_->call(member::kMoveNext);
      if (RecordsetEof()) {
        result = framework::grEOF;
      } else {
        ++currentIndex_;
        ++stepCounter_;
      }
      break;
    case framework::gmPrior:
      if (!RecordsetBof()) recordset_->call(member::kMovePrevious);
      if (RecordsetBof()) {
        result = framework::grBOF;
      } else {
        --currentIndex_;
        --stepCounter_;
      }
      break;
  }
  if (result == framework::grEOF) {
    highestIndex_ = currentIndex_ + 1;
  } else {
    highestIndex_ = std::max(highestIndex_, currentIndex_);
  }
  if (result != framework::grOK) return result;
  return LoadRecord(buffer) ? framework::grOK : framework::grError;
}

void TOrvDaoTable::InternalSetToRecord(TRecordBuffer& buffer) {
  if (RecordsetEmpty()) return;
  if (buffer.bookmarkFlag != framework::bfCurrent && buffer.bookmarkFlag != framework::bfInserted) return;
  currentIndex_ = buffer.recordIndex;
  // An edit or insert in progress keeps the cursor where the engine's edit is.
  if (State() == framework::dsEdit || State() == framework::dsInsert) return;
  const std::int32_t handle = HandleOf(buffer.bookmark);
  if (handle == 0) return;
  try {
    GotoHandle(handle);
  } catch (const std::exception& error) {
    // The row is gone: show what is there from the start, then report.
    const std::string text = error.what();
    InternalFirst();
    try {
      Resync({.exact = false, .center = true});
    } catch (const std::exception&) {
    }
    DatabaseError(text);
  }
}

void TOrvDaoTable::InternalRefresh() {
  recount_ = true;
  // The engine keeps a row's values from the moment the cursor landed on
  // it; Move 0 reads the current row afresh before the window is re-read.
  if (!RecordsetBof() && !RecordsetEof()) recordset_->call(member::kMove, {0});
}

// ---- Record number and count ----

int TOrvDaoTable::GetRecNo() {
  UpdateCursorPos();
  if (!useGetRecNo_ || !cursorOpen_) return -1;
  if (RecordsetBof()) return -1;
  const std::int32_t position = recordset_->get(member::kAbsolutePosition).asInt32();
  currentIndex_ = position;
  return position + 1;
}

void TOrvDaoTable::SetRecNo(int value) {
  CheckBrowseMode();
  CursorPosChanged();
  DoBeforeScroll();
  currentIndex_ = value - 1;
  recordset_->call(member::kMoveFirst);
  recordset_->call(member::kMove, {value - 1});
  // "Record not found" when the cursor went past either end; the window
  // keeps the row shown before.
  Resync({.exact = true, .center = true});
  DoAfterScroll();
}

int TOrvDaoTable::GetRecordCount() {
  if (tableType_ == recordset_type::forwardOnly) return -1;
  if (useRecordCount_ && !recount_) {
    highestIndex_ = cachedCount_;
    return cachedCount_;
  }
  recount_ = false;
  if (RecordsetEmpty()) {
    cachedCount_ = 0;
    highestIndex_ = 0;
    currentIndex_ = -1;
    return 0;
  }
  const TRecordBuffer* active = ActiveRecordBuffer();
  const std::int32_t activeHandle = active != nullptr ? HandleOf(active->bookmark) : 0;
  // A new row has no handle of its own; the cursor then goes back to the
  // row it stood on.
  std::int32_t standing = 0;
  if (activeHandle == 0 && bookmarkable_ && !RecordsetBof() && !RecordsetEof()) standing = CurrentHandle();
  recordset_->call(member::kMoveFirst);
  recordset_->call(member::kMoveLast);
  const std::int32_t count = recordset_->get(member::kRecordCount).asInt32();
  if (activeHandle != 0) {
    GotoHandle(activeHandle);
  } else if (standing != 0) {
    GotoHandle(standing);
  } else if (currentIndex_ == -1) {
    recordset_->call(member::kMoveFirst);
    recordset_->call(member::kMovePrevious);
  } else if (currentIndex_ < count) {
    recordset_->call(member::kMoveFirst);
    recordset_->call(member::kMove, {currentIndex_});
  }
  // The count walked the cursor; the framework must not trust its idea of
  // where it stands.
  CursorPosChanged();
  cachedCount_ = count;
  highestIndex_ = count;
  return count;
}

// ---- Bookmarks ----

TBookmark TOrvDaoTable::GetBookmarkData(const TRecordBuffer& buffer) {
  if (!bookmarkable_) return {};
  const std::int32_t handle = HandleOf(buffer.bookmark);
  RecordBookmark(buffer.recordIndex, handle);
  return buffer.bookmark;
}

void TOrvDaoTable::SetBookmarkStr(const TBookmark& bookmark) {
  if (IsEmpty() || !bookmarkable_ || bookmark.empty()) return;
  GotoBookmark(bookmark);
}

void TOrvDaoTable::InternalGotoBookmark(const TBookmark& bookmark) {
  if (!cursorOpen_) DatabaseError(SGotoNotActive);
  if (bookmark.empty()) DatabaseError(SInvalidBookmark);
  if (RecordsetEmpty()) return;
  const std::int32_t handle = HandleOf(bookmark);
  if (!bookmarkable_ || handle == 0) DatabaseError(SBookmarksNotSupported);
  const auto found = std::find(bookmarkHandles_.begin(), bookmarkHandles_.end(), handle);
  if (found == bookmarkHandles_.end()) DatabaseError(SInvalidBookmark);
  const std::int32_t recordIndex = bookmarkIndexes_[static_cast<std::size_t>(found - bookmarkHandles_.begin())];
  try {
    GotoHandle(handle);
    currentIndex_ = recordIndex;
  } catch (const automation::EOleException& error) {
    if (error.errorNumber() != kRecordDeleted) return;
    ResynchronizeAfterChange();
    InternalFirst();
    Resync();
    throw;
  }
}

int TOrvDaoTable::CompareBookmarks(const TBookmark& a, const TBookmark& b) const {
  if (a.empty() && b.empty()) return 0;
  if (a.empty()) return 1;
  if (b.empty()) return -1;
  const std::int32_t left = HandleOf(a);
  const std::int32_t right = HandleOf(b);
  return left > right ? 1 : (left < right ? -1 : 0);
}

bool TOrvDaoTable::BookmarkValid(const TBookmark& bookmark) {
  if (!cursorOpen_ || IsEmpty() || !bookmarkable_ || bookmark.empty()) return false;
  const std::int32_t handle = HandleOf(bookmark);
  if (handle != 0 && !HasBookmarkHandle(handle)) return false;
  std::int32_t remembered = 0;
  try {
    remembered = CurrentHandle();
  } catch (const std::exception&) {
  }
  try {
    InternalGotoBookmark(bookmark);
    CursorPosChanged();
    return true;
  } catch (const std::exception&) {
    try {
      if (remembered != 0) GotoHandle(remembered);
    } catch (const std::exception&) {
    }
    CursorPosChanged();
    return false;
  }
}

// ---- Resynchronisation ----

void TOrvDaoTable::ResynchronizeAfterChange() {
  recount_ = true;
  try {
    // The engine keeps the values it read when the cursor landed; read the
    // row again, so that a row that has gone shows as gone.
    recordset_->call(member::kMove, {0});
  } catch (const std::exception&) {
  }
  try {
    Resync({.exact = true, .center = true});
    return;
  } catch (const std::exception&) {
    // The row is gone or the cursor lost: start over near where it stood.
  }
  const std::int32_t remembered = currentIndex_;
  CheckBrowseMode();
  ReleaseRecordset();
  OpenDaoRecordset();
  recount_ = true;
  InternalFirst();
  if (!RecordsetEmpty()) {
    recordset_->call(member::kMoveLast);
    const std::int32_t count = recordset_->get(member::kRecordCount).asInt32();
    if (remembered < count) {
      recordset_->call(member::kMoveFirst);
      if (remembered > 0) recordset_->call(member::kMove, {remembered});
      currentIndex_ = std::max(remembered, 0);
    } else {
      currentIndex_ = count - 1;
    }
  }
  CursorPosChanged();
  Resync({.exact = false, .center = true});
}

}  // namespace data
