#pragma once
// The automation Recordset and Field objects: DAO's members over a Dynaset
// (dynaset.h states what each does and which errors it raises).
//
// Recordset members: BOF, EOF, MoveFirst, MoveLast, MoveNext, MovePrevious,
// Move(rows[, start bookmark]), AbsolutePosition (read/write), RecordCount,
// Bookmark (read/write), Bookmarkable, Updatable, LastModified, EditMode,
// LockEdits (False; setting True is 3251), Edit, AddNew, Update,
// CancelUpdate, Delete, Clone, FindFirst(criteria), NoMatch,
// Fields (Count, Item(index or name)), Name, Type, Properties, Close.
// After Close (or the database's Close) every member raises 3420.
//
// Field members: Name, Type, Size, Attributes, Required, DefaultValue,
// Value (read/write; the default member), FieldSize, OrdinalPosition,
// SourceTable, SourceField, AllowZeroLength, Properties (with "Format" only
// where the column has one). A Field object belongs to its recordset's
// cursor: Value is the current row's (or the pending edit's) value.
// FieldSize is the stored length in bytes (UTF-8 for text) of a text, memo
// or binary value, 0 for Null, and Size for other types.
#include <memory>
#include <vector>

#include "platform/dao/dao_object.h"
#include "platform/dao/dynaset.h"

namespace dao {

struct RecordsetState {
  std::unique_ptr<Dynaset> dynaset;
  bool closed = false;
  bool noMatch = false;

  Dynaset& cursor() const;
};

class DaoField final : public DaoObject {
 public:
  DaoField(std::shared_ptr<ErrorLog> errors, std::shared_ptr<RecordsetState> state, std::size_t column);
  std::string_view typeName() const noexcept override { return "Field"; }

  automation::Variant value() const { return state_->cursor().value(column_); }
  void setValue(const automation::Variant& value) { state_->cursor().setValue(column_, value); }

 protected:
  const automation::DispatchTable& dispatchTable() const override;
  std::string_view defaultMemberName() const noexcept override { return "Value"; }

 private:
  const ColumnSchema& column() const;
  std::int32_t attributes() const;
  std::int32_t fieldSize() const;
  std::shared_ptr<DaoCollection> properties();

  std::shared_ptr<RecordsetState> state_;
  std::size_t column_;
};

// The Field objects of a recordset, made once each and shared by the
// recordset and its Fields collection (which keeps them alive on its own).
struct FieldObjects {
  std::shared_ptr<RecordsetState> state;
  std::shared_ptr<ErrorLog> errors;
  std::vector<std::shared_ptr<DaoField>> fields;

  std::shared_ptr<DaoField> field(std::size_t column);
};

class DaoRecordset final : public DaoObject {
 public:
  DaoRecordset(std::shared_ptr<ErrorLog> errors, std::unique_ptr<Dynaset> dynaset, int recordsetType);
  std::string_view typeName() const noexcept override { return "Recordset"; }

  bool isClosed() const noexcept { return state_->closed; }
  void close() noexcept;
  Dynaset& cursor() const { return state_->cursor(); }

 protected:
  const automation::DispatchTable& dispatchTable() const override;

 private:
  std::shared_ptr<DaoCollection> fields();
  automation::VariantArray fieldValues(const automation::Arguments& arguments);
  std::shared_ptr<DaoRecordset> clone();
  void move(const automation::Arguments& arguments);
  std::shared_ptr<DaoCollection> properties();

  std::shared_ptr<RecordsetState> state_;
  int type_;
  std::shared_ptr<FieldObjects> fieldObjects_;
  std::shared_ptr<DaoCollection> fields_;
};

}  // namespace dao
