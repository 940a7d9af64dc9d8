#pragma once
// TDataSet: a table-like source of rows with a current record, presented to
// the program through field objects and to data-aware controls through data
// sources and links. A concrete dataset (such as the DAO table) supplies the
// cursor behind it by overriding the virtual operations below; the framework
// keeps the state, the window of record buffers, the event order and the
// notices to the links.
//
// States (SetState is the one place that changes them):
//   dsInactive  closed: no cursor, no fields, no record buffers; Bof and Eof
//   dsOpening   Open is running (InternalOpen, first fill); links see inactive
//   dsBrowse    open; the active buffer is the current row as last read
//   dsEdit      the current row's buffer is being changed; nothing is stored
//               until Post
//   dsInsert    the active buffer is a new row; the cursor still stands where
//               the insert began (or after the last row for Append)
// Every state change clears Modified and sends deUpdateState to the links.
//
// The window. The dataset holds record buffers of consecutive rows, as many
// as the largest BufferCount of its links (at least 1); one of them is the
// active record, which fields read and write. Buffers are
// filled by GetRecord relative to the cursor; the framework tracks which
// buffer's row the cursor stands on and calls InternalSetToRecord before a
// relative fetch when it stands elsewhere. With one buffer (the usual case)
// a walk with Next costs one GetRecord per row and nothing else.
//
// Event orders (each list runs in this order; an exception stops it and
// leaves the state as it was at that point):
//   Open    BeforeOpen, InternalOpen, fill, state browse, AfterOpen,
//           AfterScroll (only when not empty)
//   Close   BeforeClose, state inactive, InternalClose, AfterClose
//   moves   browse-mode check, BeforeScroll, move, scroll or change notice,
//           AfterScroll (Next/Prior/MoveBy at the end they move towards do
//           nothing; hitting the end sets Eof/Bof and still ends in
//           AfterScroll)
//   Edit    (nothing in edit/insert; on an empty dataset: Insert) browse-mode
//           check, modify check, BeforeEdit, InternalEdit, state edit,
//           deRecordChange, AfterEdit
//   Insert  browse-mode check, modify check, BeforeInsert, BeforeScroll, new
//           buffer (InternalInitRecord), state insert, OnNewRecord,
//           deDataSetChange, AfterInsert, AfterScroll
//   Post    deUpdateRecord (pending control edits), required-field check,
//           BeforePost, InternalPost, state browse, Resync, AfterPost
//   Cancel  BeforeCancel, [BeforeScroll], InternalCancel, state browse,
//           Resync, AfterCancel, [AfterScroll]   ([] only for an insert)
//   Delete  (insert: Cancel; empty: error) modify check, deCheckBrowseMode,
//           BeforeDelete, BeforeScroll, InternalDelete, state browse, Resync,
//           AfterDelete, AfterScroll
//   browse-mode check (CheckBrowseMode): deCheckBrowseMode; in edit or
//           insert state deUpdateRecord, then Post when a field was written
//           since the edit began, else Cancel.
//
// Errors are EDatabaseError with the component's name in front (the
// required-field error names the field instead).
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "framework/DbTypes.h"
#include "framework/TComponent.h"
#include "framework/TFieldDefs.h"
#include "framework/TFields.h"
#include "framework/TRecordBuffer.h"

namespace framework {

class TBlobStream;
class TDataSource;
class TDataLink;

class TDataSet : public TComponent {
 public:
  using TDataSetNotifyEvent = std::function<void(TDataSet&)>;

  explicit TDataSet(std::string name = {}, TComponent* owner = nullptr);
  // A concrete dataset's destructor must call Close(): the base destructor can
  // no longer reach InternalClose. The base only lets the links go.
  ~TDataSet() override;

  // ---- Opening and closing ----
  // While loading, Open/Close/SetActive only remember the wish; Loaded()
  // then opens.
  void Open();
  void Close();
  bool Active() const noexcept { return state_ == dsBrowse || state_ == dsEdit || state_ == dsInsert; }
  void SetActive(bool active);
  void Loaded() override;
  TDataSetState State() const noexcept { return state_; }
  // A field was written since the record entered edit or insert state.
  bool Modified() const noexcept { return modified_; }
  bool ReadOnly() const noexcept { return readOnly_; }
  void SetReadOnly(bool readOnly) noexcept { readOnly_ = readOnly; }
  bool CanModify() const { return GetCanModify(); }

  // ---- Fields ----
  // The definitions; asked for while closed, they are read first
  // (InternalInitFieldDefs).
  TFieldDefs& FieldDefs();
  const TFields& Fields() const noexcept { return fields_; }
  // The field with this name, letter case ignored; nullptr when none.
  TField* FindField(std::string_view name) const noexcept { return fields_.FindField(name); }
  // As FindField, but failing with "<name>: Field '<fieldName>' not found".
  TField& FieldByName(std::string_view fieldName) const;

  // ---- Position ----
  void First();
  void Last();
  void Next() { MoveBy(1); }
  void Prior() { MoveBy(-1); }
  // Moves up to `distance` rows (negative: backwards); returns the rows moved.
  int MoveBy(int distance);
  // Bof: at the first row after First, Open or a Prior that found no more
  // rows. Eof: likewise at the last row after Last or a Next that found no
  // more. Both hold on an empty or closed dataset.
  bool Bof() const noexcept { return bof_; }
  bool Eof() const noexcept { return eof_; }
  // No current record (closed, or open with no rows).
  bool IsEmpty() const noexcept { return !Active() || window_.empty(); }
  // 1-based number of the current record as the concrete dataset counts it
  // (GetRecNo); -1 when closed.
  int RecNo();
  // Moves to a record number. The concrete dataset decides how; the usual
  // shape: CheckBrowseMode(), DoBeforeScroll(), CursorPosChanged(), position
  // the cursor, Resync({true, true}) ("Record not found" when no row),
  // DoAfterScroll(). The base does nothing.
  virtual void SetRecNo(int value);
  int RecordCount();
  // Rebuilds the window around the row the cursor stands on and sends
  // deDataSetChange. exact: that row must exist, else "Record not found"
  // (window unchanged). Otherwise the current row, else the next, else the
  // prior one becomes current; none empties the window. center puts the row
  // in the middle of the window, otherwise it keeps the active slot.
  virtual void Resync(TResyncMode mode = {});
  // Re-reads the current row and its neighbours from the cursor.
  void Refresh();

  // ---- Bookmarks ----
  // The current row's bookmark; empty when there is none (closed, empty, new row).
  TBookmark GetBookmark();
  // browse-mode check, BeforeScroll, InternalGotoBookmark, Resync exact and
  // centred, AfterScroll. An empty bookmark does nothing.
  void GotoBookmark(const TBookmark& bookmark);
  TBookmark Bookmark() { return GetBookmarkStr(); }
  void SetBookmark(const TBookmark& bookmark) { SetBookmarkStr(bookmark); }
  // Whether the bookmark names a row that still exists; the base says false.
  virtual bool BookmarkValid(const TBookmark& bookmark);
  // Order of two bookmarks (-1, 0, 1); an empty one sorts after the other.
  // The base compares the bytes.
  virtual int CompareBookmarks(const TBookmark& a, const TBookmark& b) const;

  // Makes the first row whose key fields (names separated by ";") match the
  // values the current record, firing the scroll events; answers whether one
  // was found (nothing moves otherwise). The base finds nothing.
  virtual bool Locate(const std::string& keyFields, const TKeyValues& keyValues, TLocateOptions options);

  // ---- Editing ----
  void CheckBrowseMode();
  void Edit();
  void Insert();
  // As Insert, but the new row goes after the last row.
  void Append();
  virtual void Post();
  void Cancel();
  void Delete();
  // Asks the links to write pending control edits into the fields; fails
  // with "Dataset not in edit or insert mode" outside those states.
  void UpdateRecord();
  // Adds a row with the given values (one per field in order, nullopt =
  // Null, missing ones Null) at once through InternalAddRecord, without
  // entering insert state: browse-mode check, modify check, BeforeInsert,
  // BeforeScroll, InternalAddRecord, Resync, AfterScroll.
  void InsertRecord(const TKeyValues& values) { AddRecord(values, false); }
  void AppendRecord(const TKeyValues& values) { AddRecord(values, true); }

  // ---- Links ----
  // While disabled (calls nest), notices of changes and scrolls are held
  // back and one deDataSetChange (or deLayoutChange) follows the last
  // EnableControls. State notices and requests (update record, browse-mode
  // check, focus) always go through.
  void DisableControls() noexcept;
  void EnableControls();
  bool ControlsDisabled() const noexcept { return disableCount_ > 0; }
  // Sends a focus request for the field's control; true when a link took it.
  bool FocusFieldControl(TField& field);

  // ---- Large values ----
  // A stream over a memo or blob field of the active record. The base reads
  // the record buffer's text and writes into it (bmWrite starts empty).
  virtual std::unique_ptr<TBlobStream> CreateBlobStream(TField& field, TBlobStreamMode mode);

  // ---- Events ----
  TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
  TDataSetNotifyEvent BeforeScroll, AfterScroll;
  TDataSetNotifyEvent BeforeEdit, AfterEdit, BeforeInsert, AfterInsert, OnNewRecord;
  TDataSetNotifyEvent BeforePost, AfterPost, BeforeCancel, AfterCancel, BeforeDelete, AfterDelete;

 protected:
  // ==== The cursor: what a concrete dataset overrides ====
  // The cursor stands on a row, before the first row (BOF crack) or after
  // the last (EOF crack). Errors are thrown as exceptions and reach the
  // caller of the public operation unchanged.

  // Opens the cursor: reads the field definitions (InternalInitFieldDefs),
  // calls CreateFields(), and prepares whatever the cursor needs. The
  // framework positions with InternalFirst itself afterwards. If it throws,
  // the framework calls InternalClose when IsCursorOpen() and stays closed.
  virtual void InternalOpen() = 0;
  // Releases the cursor. State() is already dsInactive; a pending edit or
  // insert is simply dropped. The framework destroys the fields afterwards.
  virtual void InternalClose() = 0;
  // Fills FieldDefs() (clear it first). Called by InternalOpen, and by the
  // framework when the definitions are asked for while closed.
  virtual void InternalInitFieldDefs() = 0;
  virtual bool IsCursorOpen() const = 0;
  // Puts the cursor on the BOF crack / the EOF crack.
  virtual void InternalFirst() = 0;
  virtual void InternalLast() = 0;
  // gmNext / gmPrior move the cursor one row and read it; gmCurrent reads the
  // row the cursor stands on. Returns grOK with the buffer filled (values
  // with clear changed flags, header: record index, bfCurrent, bookmark), or
  // grBOF / grEOF with the cursor on that crack, or grError. The framework
  // treats every result but grOK as "no row there"; a failure the user must
  // hear of is thrown instead.
  virtual TGetResult GetRecord(TRecordBuffer& buffer, TGetMode mode) = 0;
  // Puts the cursor on the buffer's row (a buffer of the window). Only rows
  // of the cursor (bfCurrent) need it; for a new row the cursor stays.
  virtual void InternalSetToRecord(TRecordBuffer& buffer) = 0;
  // Puts the cursor on the bookmarked row, or throws.
  virtual void InternalGotoBookmark(const TBookmark& bookmark) = 0;
  // Starts a change of the current row; the cursor stands on it. The base
  // does nothing. Throwing keeps the dataset in browse state.
  virtual void InternalEdit();
  // Stores the active buffer (ActiveRecordBuffer()): in edit state the
  // changed values of the row the cursor stands on; in insert state a new
  // row (bfInserted: before the row the cursor stands on, as the concrete
  // dataset places new rows; bfEOF: appended). Afterwards the cursor must
  // stand on the stored row; the framework re-reads the window from it.
  // Throwing keeps the edit or insert state and the buffer's values.
  virtual void InternalPost() = 0;
  // Ends an edit or insert without storing; the cursor must still stand on
  // (or next to) the row to show afterwards. The base does nothing.
  virtual void InternalCancel();
  // Deletes the row the cursor stands on and leaves the cursor on the row
  // to show next (the following row, else the last, else anywhere when the
  // dataset became empty).
  virtual void InternalDelete() = 0;
  // Stores a new row from the buffer at once (append: after the last row)
  // and leaves the cursor on it. The base fails with "Operation not supported".
  virtual void InternalAddRecord(TRecordBuffer& buffer, bool append);
  // Empties a buffer for a new row and puts the defaults in (as changed
  // values, so they are stored). ActiveRecordBuffer() is still the row that
  // was current (nullptr on an empty dataset), for an old-values copy. The
  // framework sets the bookmark flag afterwards (bfInserted, or bfEOF for
  // Append). The base empties every value.
  virtual void InternalInitRecord(TRecordBuffer& buffer);
  // Re-reads whatever the cursor caches. The base does nothing.
  virtual void InternalRefresh();

  // The record number of the current record, 1-based (bring the cursor to
  // it with UpdateCursorPos first); the base answers -1.
  virtual int GetRecNo();
  // The number of rows; the base answers -1.
  virtual int GetRecordCount();
  // The base answers Active() and not ReadOnly().
  virtual bool GetCanModify() const;
  // The bookmark property's read and write; the base uses GetBookmark and
  // GotoBookmark.
  virtual TBookmark GetBookmarkStr() { return GetBookmark(); }
  virtual void SetBookmarkStr(const TBookmark& bookmark) { GotoBookmark(bookmark); }

  // Record buffers. The base allocates one value per field definition and
  // frees by dropping the buffer; overrides may keep pools or counts.
  virtual std::unique_ptr<TRecordBuffer> AllocRecordBuffer();
  virtual void FreeRecordBuffer(std::unique_ptr<TRecordBuffer>& buffer);
  virtual TBookmarkFlag GetBookmarkFlag(const TRecordBuffer& buffer) const { return buffer.bookmarkFlag; }
  virtual void SetBookmarkFlag(TRecordBuffer& buffer, TBookmarkFlag flag) { buffer.bookmarkFlag = flag; }
  virtual TBookmark GetBookmarkData(const TRecordBuffer& buffer) { return buffer.bookmark; }
  virtual void SetBookmarkData(TRecordBuffer& buffer, const TBookmark& data) { buffer.bookmark = data; }

  // A field's value in the active buffer: false when Null (or no buffer);
  // with `text`, the value. SetFieldData stores a text (nullptr = Null): runs
  // the field's validation, ignores read-only fields, stores the text with
  // its changed flag and sends deFieldChange. Nothing happens without an
  // active buffer.
  virtual bool GetFieldData(const TField& field, std::string* text);
  virtual void SetFieldData(TField& field, const std::string* text);

  // Fires OnNewRecord.
  virtual void DoOnNewRecord();

  // ==== Services for concrete datasets ====
  void CheckActive() const;
  void CheckCanModify() const;
  // Creates a field object for every definition (replacing any) and binds it.
  void CreateFields();
  void DestroyFields() noexcept { fields_.Clear(); }
  // Clears the definitions; the next FieldDefs() while closed reads them again.
  void InvalidateFieldDefs() noexcept {
    fieldDefs_.Clear();
    fieldDefsValid_ = false;
  }
  // The buffer fields read and write: none when closed or browsing an empty
  // dataset.
  TRecordBuffer* ActiveRecordBuffer() noexcept;
  // Brings the cursor to the active record if it stands elsewhere.
  void UpdateCursorPos();
  // Tells the framework the cursor was moved behind its back.
  void CursorPosChanged() noexcept { cursorSlot_ = -1; }
  // Stores a field's text in the active buffer with its changed flag, no
  // checks and no notice.
  void StoreFieldText(const TField& field, std::string text);
  void DoBeforeScroll();
  void DoAfterScroll();
  // Sends a notice or request to the data sources and their links.
  void DataEvent(TDataEvent event, TField* field = nullptr, int distance = 0);

 private:
  friend class TField;
  friend class TBlobStream;
  friend class TDataSource;
  friend class TDataLink;

  void SetState(TDataSetState state);
  void AbandonOpen() noexcept;
  bool NotifySources(TDataEvent event, TField* field, int distance);
  void AddDataSource(TDataSource& source);
  void RemoveDataSource(TDataSource& source) noexcept;
  // The window grows at once (a rebuild) and shrinks lazily.
  void UpdateBufferCount();
  void UpdateBufferCapacity() noexcept;
  int WantedCapacity() const noexcept;
  int ActiveRecord() const noexcept { return activeSlot_; }
  int BufferRecordCount() const noexcept { return static_cast<int>(window_.size()); }

  // Window (TDataSetNavigation.cpp).
  void ClearWindow() noexcept;
  TRecordBuffer& Spare();
  void PlaceCursor(int slot);
  bool FetchNext(int& shift);
  bool FetchPrior();
  void FillForward();
  void FillBackward(int limit);

  // Editing (TDataSetEditing.cpp).
  void BeginInsert(bool append);
  void AbandonInsert() noexcept;
  void CheckRequiredFields();
  void AddRecord(const TKeyValues& values, bool append);

  TDataSetState state_ = dsInactive;
  bool modified_ = false;
  bool readOnly_ = false;
  bool streamedActive_ = false;
  bool fieldDefsValid_ = false;
  TFieldDefs fieldDefs_;
  TFields fields_;

  std::vector<std::unique_ptr<TRecordBuffer>> window_;
  std::unique_ptr<TRecordBuffer> spare_;
  int capacity_ = 1;
  int activeSlot_ = 0;
  int cursorSlot_ = -1;  // window slot whose row the cursor stands on; -1 unknown
  bool bof_ = true;
  bool eof_ = true;

  std::vector<TDataSource*> dataSources_;
  int disableCount_ = 0;
  bool pendingChange_ = false;
  bool pendingLayout_ = false;
};

}  // namespace framework
