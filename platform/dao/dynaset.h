#pragma once
// A dynaset cursor over one table: the engine's recordset without the
// automation surface (dao_recordset.h puts the DAO members on top).
//
// Rows and order: the keyset (keyset.h) taken at open, in the table's key
// (ID) order. A row's values are read when the cursor has landed on it
// (moves, Bookmark, FindFirst) and the first of them is asked for (setting
// Bookmark reads at once, to report a deleted row), so changes others made
// to it before are seen; they are then kept until the cursor lands again
// (Move 0 re-reads the current row). The row the last FindFirst of the
// keyset found comes with the search and stands in for that read while
// nothing has been committed since.
//
// Contract, by member (numbers are EngineError numbers):
//  - Positions: before the first row (BOF), on a row, after the last (EOF);
//    an empty dynaset is at BOF and EOF at once. Opening lands on the first
//    row; a clone starts at BOF with no current row.
//  - moveFirst/moveLast: 3021 on an empty dynaset. moveNext at EOF and
//    movePrevious at BOF: 3021. move(n) needs the cursor on a row (3021 at
//    BOF or EOF); it counts live rows from there and stops at BOF or EOF when
//    it runs past an end; move(0) re-reads the current row. Every move ends a
//    pending Edit or AddNew without saving it.
//  - A row deleted by another connection stays a position (a hole) until
//    the cursor finds it gone: reading its values, Move 0, Edit, Delete and
//    setting a bookmark to it fail with 3167, and then every row of the
//    keyset found gone (keyset.h) counts as deleted through the keyset, so
//    that positions and recordCount are true again. A row deleted through
//    this keyset is skipped by moves; while the cursor still stands on it,
//    reading it gives 3167 as well.
//  - absolutePosition: 0-based among live rows, -1 without a current row;
//    setting it outside [0, recordCount) is 3001. recordCount: exact, holes
//    included, rows removed through the keyset excluded.
//  - bookmark: 4 bytes identifying the row (its key, little-endian); 3021
//    without a current row. gotoBookmark: 3159 for a value that is not a
//    bookmark of this keyset, 3167 (after moving there) when the row is gone.
//  - edit: 3027 when not updatable, 3021 without a current row, 3167 when
//    the row is gone; reads the row afresh and remembers its change counter.
//    (Update writes only if the counter and every stored value are still
//    those read here, so a row replaced by another program with its counter
//    reset is a conflict too.)
//    addNew: 3027 when not updatable; starts a new row with the defaults.
//  - setValue: 3020 outside Edit/AddNew, 3164 for the auto-increment
//    column, 3421/3349 for a value the column cannot hold.
//  - update: 3020 outside Edit/AddNew; one transaction; 3163 text too long,
//    3314 Null in a required column, 3022 duplicate in a unique column, 3197
//    when the edited row was changed or deleted by another connection since
//    edit, 3218 when the file stays locked. A failed update changes nothing
//    and keeps the edit pending; a successful one ends it, and after AddNew
//    the cursor stays where it was and the new row joins the keyset's end.
//  - cancelUpdate: 3020 outside Edit/AddNew.
//  - deleteCurrent: 3027 when not updatable, 3021 without a current row,
//    3167 when the row is already gone; the cursor stays on the deleted row.
//  - findFirst: the first row of the keyset, in order, that matches the
//    criteria (criteria.h); true and lands on it when found, false and stays
//    put otherwise. 3077 for criteria text that does not parse, 3070 for a
//    name that is no field. The last few criteria texts, compiled, are kept
//    by the dynaset and its clones (the search box searches the same texts
//    on fresh clones).
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/automation/variant.h"
#include "platform/dao/keyset.h"
#include "platform/dao/row_reader.h"
#include "platform/dao/storage.h"
#include "platform/dao/table_schema.h"

namespace dao {

enum class EditMode : int { None = 0, Editing = 1, Adding = 2 };

class Dynaset {
 public:
  // 3420 when the storage is closed; what StoredTable::open raises.
  Dynaset(std::shared_ptr<Storage> storage, std::shared_ptr<const TableSchema> table, bool readOnly);
  // A second cursor over the same keyset, at BOF.
  std::unique_ptr<Dynaset> clone() const;

  const TableSchema& table() const noexcept { return *table_; }
  bool isUpdatable() const noexcept { return !readOnly_; }

  bool isBof();
  bool isEof();
  void moveFirst();
  void moveLast();
  void moveNext();
  void movePrevious();
  void move(std::int32_t rows);
  std::int32_t absolutePosition();
  void setAbsolutePosition(std::int32_t position);
  std::int32_t recordCount();
  automation::ByteArray bookmark() const;
  void gotoBookmark(const automation::ByteArray& bookmark);
  automation::ByteArray lastModified() const;

  const automation::Variant& value(std::size_t column);
  // Every column's value at once: value(i) is values()[i], with value()'s
  // errors. Valid until the cursor moves or the row is edited.
  const std::vector<automation::Variant>& values();
  void setValue(std::size_t column, const automation::Variant& value);

  EditMode editMode() const noexcept { return editMode_; }
  void edit();
  void addNew();
  void update();
  void cancelUpdate();
  void deleteCurrent();

  bool findFirst(std::string_view criteria);

 private:
  enum class Place { BeforeFirst, OnRow, AfterLast };
  struct Position {
    Place place = Place::BeforeFirst;
    std::int64_t rowId = 0;
    std::optional<std::size_t> index;  // in the keyset; unknown after a jump beyond the keys read so far
  };
  struct SharedKeyset {};

 public:
  Dynaset(SharedKeyset, const Dynaset& original);

 private:
  bool isEmpty();
  // isBof / isEof for members that checked the storage already.
  bool atBof();
  bool atEof();
  std::size_t currentIndex();
  void forgetStaleIndex() noexcept;
  void landAt(std::size_t index);
  void landOnKey(std::int64_t rowId);
  void placeAt(Place place);
  void loadCurrent();
  void deferLoading() noexcept;
  const RowData& currentRow();
  void endPendingChange() noexcept;
  void requireOpen() const;
  void requireUpdatable() const;
  void readRowForEdit();
  [[noreturn]] void reportRowGone();
  void updateEditedRow();
  void insertNewRow();

  // Hands the row the last search found to this cursor's reader when it is
  // row `rowId` (the reader keeps it only while nothing was committed since).
  void takeFoundRow(std::int64_t rowId);
  struct FindCache;
  static std::shared_ptr<FindCache> newFindCache();

  std::shared_ptr<Storage> storage_;
  std::shared_ptr<StoredTable> stored_;  // shared with clones
  std::shared_ptr<const TableSchema> table_;
  std::shared_ptr<Keyset> keyset_;
  bool readOnly_;
  RowReader reader_;
  Position position_;
  const RowData* current_ = nullptr;  // the row read on landing; nullptr: gone
  bool currentLoaded_ = false;
  std::optional<std::size_t> lastLanding_;
  std::uint64_t indexEpoch_ = 0;  // the keyset's epoch when position_.index was set
  int streak_ = 0;
  int direction_ = 0;

  EditMode editMode_ = EditMode::None;
  std::vector<automation::Variant> editValues_;
  std::vector<bool> assigned_;
  std::int64_t editedRowId_ = 0;
  std::int64_t editedVersion_ = 0;
  RowData editedRow_;                       // the row as Edit read it
  std::unique_ptr<RowSnapshot> editedStored_;  // its values exactly as stored
  std::optional<std::int64_t> lastModified_;
  std::shared_ptr<FindCache> findCache_;  // shared with clones
};

}  // namespace dao
