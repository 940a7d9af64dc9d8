#pragma once
// TOrvDaoTable: a table of the database presented as a dataset. Its rows
// come from a DAO recordset opened on the connection component
// (TOrvDaoDatabase), reached only through late-bound automation calls.
//
// Contract (what the framework's TDataSet does not already state):
//  - Open: OpenDaoRecordset, field definitions read from the engine (the
//    definitions are never stored with the component), one DAO Field object
//    per column fetched once and kept for every later read, the table noted
//    in the connection's list of open tables. Open fails with EDatabaseError
//    (no component name) "TOrvDaoTable.OpenDaoRecordset: Missing Database
//    Property", "...: Missing TableName or QueryDefName, or SQL is empty!",
//    "...: Database is NOT connected" or "...: DynamicTables are for ODBC
//    connections only!"; engine failures arrive unchanged as
//    automation::EOleException. A failed open leaves the table closed.
//  - Field types follow the engine's: Text/Char as ftString, Memo as
//    ftMemo, Long with the auto-increment attribute as ftAutoInc (read-only),
//    Long/BigInt as ftInteger, Byte/Integer as ftSmallint, and so on.
//  - Text sizes. The engine counts a Text column's size in characters, the
//    framework counts a string field's size in Big5 bytes. A string field
//    gets the engine's size as its byte size (a size of 0 becomes 255), so
//    B5_Word (8) takes 8 bytes, four Chinese characters: whatever fits the
//    field always fits the column, and writes are cut at a whole Big5
//    character (big5::cutToBytes), never in half of one. Reading is not cut:
//    a value stored by another program with up to N characters (2N bytes)
//    is read whole.
//  - Record buffers hold Big5 texts (engine text is converted on reading; a
//    character Big5 lacks reads as "?"), an empty text meaning Null. Memo
//    and binary values are not read with the row: the buffer holds their
//    stored size as a marker, and the value itself is read through
//    CreateBlobStream when a field asks for it.
//  - Positions: RecNo is the engine's AbsolutePosition + 1 (-1 when there
//    is no current row); setting RecNo moves to that row or fails with
//    "<Name>: Record not found" (the shown record stays). RecordCount is
//    computed once (MoveLast) and served from a cache until a row is
//    inserted or deleted, or the table is refreshed or resynchronised.
//  - Post writes only the fields that were changed and are writable (never
//    ID), an empty text as Null, in one Edit/AddNew ... Update. A failed
//    Update is cleaned up in the engine, leaves the dataset in edit or
//    insert state with the typed values, and the next Post starts a fresh
//    engine edit. After posting an inserted row the cursor stands on it.
//  - Delete moves to the next row, or the new last row. Engine error 3167
//    (row already deleted) is swallowed after resynchronising; any other
//    refusal leaves the table's navigation state as it was.
//  - Locate searches in the engine: a criteria text on a clone of the
//    recordset (FindFirst); nothing moves and no scroll event fires when no
//    row matches.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "framework/BlobFields.h"
#include "framework/TDataSet.h"
#include "platform/automation/automation_object.h"

namespace data {

class TOrvDaoDatabase;

// The stream over a memo or binary value of the active record.
class TOrvBlobStream final : public framework::TBlobStream {
 public:
  using framework::TBlobStream::TBlobStream;
};

class TOrvDaoTable : public framework::TDataSet {
 public:
  explicit TOrvDaoTable(std::string name = {}, framework::TComponent* owner = nullptr);
  ~TOrvDaoTable() override;

  // ---- Properties ----
  // The connection; the table forgets it when it is destroyed first.
  TOrvDaoDatabase* Database() const noexcept { return database_; }
  void SetDatabase(TOrvDaoDatabase* database);
  const std::string& TableName() const noexcept { return tableName_; }
  void SetTableName(const std::string& tableName);
  // DAO recordset type: 1 table, 2 dynaset (default), 4 snapshot,
  // 8 forward-only, 16 dynamic.
  int TableType() const noexcept { return tableType_; }
  void SetTableType(int tableType);
  // DAO lock type; 3 (optimistic) by default.
  int LockType() const noexcept { return lockType_; }
  void SetLockType(int lockType);
  // DAO option bits for OpenRecordset; 0 by default.
  int OpenOptions() const noexcept { return openOptions_; }
  void SetOpenOptions(int options) noexcept { openOptions_ = options; }
  // Field names in Locate criteria in square brackets.
  bool UseBrackets() const noexcept { return useBrackets_; }
  void SetUseBrackets(bool value) noexcept { useBrackets_ = value; }
  // Read writability, Required and DefaultValue of each field from the engine.
  bool UseDaoProperties() const noexcept { return useDaoProperties_; }
  void SetUseDaoProperties(bool value) noexcept { useDaoProperties_ = value; }
  bool UseGetRecNo() const noexcept { return useGetRecNo_; }
  void SetUseGetRecNo(bool value) noexcept { useGetRecNo_ = value; }
  bool UseRecordCount() const noexcept { return useRecordCount_; }
  void SetUseRecordCount(bool value) noexcept { useRecordCount_ = value; }
  // Read memo / binary values with the row instead of on demand.
  bool CacheMemos() const noexcept { return cacheMemos_; }
  void SetCacheMemos(bool value) noexcept { cacheMemos_ = value; }
  bool CacheBlobs() const noexcept { return cacheBlobs_; }
  void SetCacheBlobs(bool value) noexcept { cacheBlobs_ = value; }
  // Connect the database when opening on a disconnected one.
  bool DatabaseAutoActivate() const noexcept { return databaseAutoActivate_; }
  void SetDatabaseAutoActivate(bool value) noexcept { databaseAutoActivate_ = value; }
  // The recordset's LockEdits while open on an updatable table or dynaset.
  bool LockEdits();
  // The database's RecordsAffected as read when the table opened.
  int RecordsAffected() const noexcept { return recordsAffected_; }
  // The row as it was when the current edit began (for an insert: the row
  // that was current then); nullptr outside edit and insert and after a post
  // or cancel.
  const framework::TRecordBuffer* OldValues() const noexcept { return oldValues_ ? &*oldValues_ : nullptr; }

  // ---- Dataset operations ----
  // Moves to record `value` (1-based): browse-mode check, BeforeScroll, the
  // engine's MoveFirst and Move(value - 1), then "Record not found" when no
  // row is there, else AfterScroll. No range check of its own.
  void SetRecNo(int value) override;
  // keyFields: names separated by ";"; one value per name (nullopt or the
  // text "NULL" look for Null). Fails with "Number of elements in the
  // KeyValues array must be equal to the number of fields." or "Unable to
  // build Lookup Key SQL!" before anything moves.
  bool Locate(const std::string& keyFields, const framework::TKeyValues& keyValues,
              framework::TLocateOptions options) override;
  bool BookmarkValid(const framework::TBookmark& bookmark) override;
  // Bookmarks compared as the signed 32-bit handles they hold.
  int CompareBookmarks(const framework::TBookmark& a, const framework::TBookmark& b) const override;
  // Fails with "Cannot write to ReadOnly table!" for writing on a read-only table.
  std::unique_ptr<framework::TBlobStream> CreateBlobStream(framework::TField& field,
                                                           framework::TBlobStreamMode mode) override;

 protected:
  // Opening and closing (TOrvDaoTableOpen.cpp).
  void OpenDaoRecordset();
  void InternalOpen() override;
  void InternalClose() override;
  void InternalInitFieldDefs() override;
  bool IsCursorOpen() const override { return cursorOpen_; }
  bool GetCanModify() const override;
  void Notification(framework::TComponent& component, framework::TOperation operation) override;

  // Positioning (TOrvDaoTablePosition.cpp).
  void InternalFirst() override;
  void InternalLast() override;
  framework::TGetResult GetRecord(framework::TRecordBuffer& buffer, framework::TGetMode mode) override;
  void InternalSetToRecord(framework::TRecordBuffer& buffer) override;
  void InternalGotoBookmark(const framework::TBookmark& bookmark) override;
  void InternalRefresh() override;
  int GetRecNo() override;
  int GetRecordCount() override;
  framework::TBookmark GetBookmarkData(const framework::TRecordBuffer& buffer) override;
  void SetBookmarkStr(const framework::TBookmark& bookmark) override;

  // Records and editing (TOrvDaoTableRecords.cpp, TOrvDaoTableEditing.cpp).
  void InternalInitRecord(framework::TRecordBuffer& buffer) override;
  void SetFieldData(framework::TField& field, const std::string* text) override;
  void InternalEdit() override;
  void InternalPost() override;
  void InternalCancel() override;
  void InternalDelete() override;
  void InternalAddRecord(framework::TRecordBuffer& buffer, bool append) override;

 private:
  friend class TOrvDaoDatabase;

  struct FieldInfo {
    int daoType = 0;
    bool writable = true;
    std::string defaultText;  // Big5
  };

  // Opening (TOrvDaoTableOpen.cpp).
  void CheckInactive(std::string_view message) const;
  void ReadFieldDefs();
  void ReleaseRecordset() noexcept;
  void CloseByDatabase();

  // Engine cursor helpers (TOrvDaoTablePosition.cpp).
  bool RecordsetBof() const;
  bool RecordsetEof() const;
  bool RecordsetEmpty() const;
  int EditMode() const;
  std::int32_t CurrentHandle() const;
  void GotoHandle(std::int32_t handle);
  void RecordBookmark(std::int32_t recordIndex, std::int32_t handle);
  bool HasBookmarkHandle(std::int32_t handle) const noexcept;
  void ForgetBookmarkOf(std::int32_t recordIndex) noexcept;
  // Re-reads the window after a change the engine made or refused; when
  // that fails, reopens the recordset near the row it stood on.
  void ResynchronizeAfterChange();

  // Records (TOrvDaoTableRecords.cpp).
  bool LoadRecord(framework::TRecordBuffer& buffer);
  std::string BlobText(const framework::TField& field);

  // Editing (TOrvDaoTableEditing.cpp).
  void PostBuffer(framework::TRecordBuffer& buffer, bool inserting);
  std::vector<std::pair<std::size_t, automation::Variant>> ChangedValues(const framework::TRecordBuffer& buffer);
  void CleanUpFailedUpdate(bool inserting) noexcept;

  TOrvDaoDatabase* database_ = nullptr;
  std::string tableName_;
  int tableType_ = 2;
  int lockType_ = 3;
  int openOptions_ = 0;
  bool useBrackets_ = true;
  bool useDaoProperties_ = true;
  bool useGetRecNo_ = true;
  bool useRecordCount_ = true;
  bool cacheMemos_ = false;
  bool cacheBlobs_ = false;
  bool databaseAutoActivate_ = false;

  // The open cursor.
  automation::ObjectRef recordset_;
  std::vector<automation::ObjectRef> fieldObjects_;
  std::vector<FieldInfo> fieldInfo_;
  bool cursorOpen_ = false;
  bool bookmarkable_ = false;
  bool engineEditing_ = false;
  bool closedByDatabase_ = false;
  int recordsAffected_ = 0;
  std::optional<framework::TRecordBuffer> oldValues_;

  // Position state.
  std::int32_t currentIndex_ = -1;
  std::int32_t stepCounter_ = -1;
  std::int32_t highestIndex_ = -1;
  std::int32_t cachedCount_ = -1;
  bool recount_ = true;
  // Record index and bookmark handle of every row whose bookmark was taken.
  std::vector<std::int32_t> bookmarkIndexes_;
  std::vector<std::int32_t> bookmarkHandles_;
};

}  // namespace data
