#include "platform/dao/dao_recordset.h"

#include <algorithm>

#include "platform/dao/engine_error.h"

namespace dao {

using automation::Arguments;
using automation::ObjectRef;
using automation::Variant;

DaoRecordset::DaoRecordset(std::shared_ptr<ErrorLog> errors, std::unique_ptr<Dynaset> dynaset, int recordsetType)
    : DaoObject(std::move(errors)), state_(std::make_shared<RecordsetState>()), type_(recordsetType) {
  state_->dynaset = std::move(dynaset);
  fieldObjects_ = std::make_shared<FieldObjects>(FieldObjects{state_, errorLog(), {}});
}

void DaoRecordset::close() noexcept {
  state_->closed = true;
  state_->dynaset.reset();
}

std::shared_ptr<DaoField> FieldObjects::field(std::size_t column) {
  if (fields.empty()) fields.resize(state->cursor().table().columns.size());
  if (!fields[column]) fields[column] = std::make_shared<DaoField>(errors, state, column);
  return fields[column];
}

std::shared_ptr<DaoCollection> DaoRecordset::fields() {
  cursor();
  if (!fields_) {
    const std::shared_ptr<FieldObjects> objects = fieldObjects_;
    CollectionAccess access;
    access.count = [objects] { return objects->state->cursor().table().columns.size(); };
    access.item = [objects](std::size_t index) -> ObjectRef { return objects->field(index); };
    access.find = [objects](std::string_view name) { return objects->state->cursor().table().findColumn(name); };
    access.refresh = [] {};
    fields_ = std::make_shared<DaoCollection>("Fields", errorLog(), std::move(access));
  }
  return fields_;
}

automation::VariantArray DaoRecordset::fieldValues(const Arguments& arguments) {
  const Variant& memosArgument = automation::argumentOrEmpty(arguments, 0);
  const Variant& binariesArgument = automation::argumentOrEmpty(arguments, 1);
  const bool memos = memosArgument.isEmpty() || memosArgument.asBoolean();
  const bool binaries = binariesArgument.isEmpty() || binariesArgument.asBoolean();
  Dynaset& current = cursor();
  const std::vector<ColumnSchema>& columns = current.table().columns;
  const std::vector<Variant>& row = current.values();
  const auto leftOut = [&](const ColumnSchema& column) {
    return (!memos && column.daoType == dbMemo) ||
           (!binaries && (column.daoType == dbVarBinary || column.daoType == dbLongBinary));
  };
  if (std::none_of(columns.begin(), columns.end(), leftOut)) return automation::VariantArray(row.begin(), row.end());
  automation::VariantArray values(columns.size());
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (!leftOut(columns[i])) values[i] = row[i];
  }
  return values;
}

std::shared_ptr<DaoRecordset> DaoRecordset::clone() {
  auto copy = std::make_shared<DaoRecordset>(errorLog(), cursor().clone(), type_);
  return copy;
}

void DaoRecordset::move(const Arguments& arguments) {
  const std::int32_t rows = arguments[0].asInt32();
  const Variant& start = automation::argumentOrEmpty(arguments, 1);
  if (!start.isEmptyOrNull()) cursor().gotoBookmark(start.asBytes());
  cursor().move(rows);
}

std::shared_ptr<DaoCollection> DaoRecordset::properties() {
  cursor();
  const std::shared_ptr<RecordsetState> state = state_;
  const int type = type_;
  return makeProperties(errorLog(), [state, type]() {
    return PropertyList{
        {"Name", [state] { return Variant(state->cursor().table().name); }},
        {"Type", [type] { return Variant(type); }},
        {"Updatable", [state] { return Variant(state->cursor().isUpdatable()); }},
        {"Bookmarkable", [] { return Variant(true); }},
        {"LockEdits", [] { return Variant(false); }},
    };
  });
}

const automation::DispatchTable& DaoRecordset::dispatchTable() const {
  using Self = DaoRecordset;
  static const automation::DispatchTable table =
      automation::DispatchTable::Builder<Self>()
          .property(member::kBOF, [](Self& self) { return self.cursor().isBof(); })
          .property(member::kEOF, [](Self& self) { return self.cursor().isEof(); })
          .method(member::kMoveFirst, 0, 0, [](Self& self, const Arguments&) { self.cursor().moveFirst(); })
          .method(member::kMoveLast, 0, 1, [](Self& self, const Arguments&) { self.cursor().moveLast(); })
          .method(member::kMoveNext, 0, 0, [](Self& self, const Arguments&) { self.cursor().moveNext(); })
          .method(member::kMovePrevious, 0, 0, [](Self& self, const Arguments&) { self.cursor().movePrevious(); })
          .method(member::kMove, 1, 2, [](Self& self, const Arguments& arguments) { self.move(arguments); })
          .property(member::kAbsolutePosition, [](Self& self) { return self.cursor().absolutePosition(); },
                    [](Self& self, const Variant& value) { self.cursor().setAbsolutePosition(value.asInt32()); })
          .property(member::kRecordCount, [](Self& self) { return self.cursor().recordCount(); })
          .property(member::kBookmark, [](Self& self) { return self.cursor().bookmark(); },
                    [](Self& self, const Variant& value) { self.cursor().gotoBookmark(value.asBytes()); })
          .property(member::kBookmarkable, [](Self& self) {
            self.cursor();
            return true;
          })
          .property(member::kUpdatable, [](Self& self) { return self.cursor().isUpdatable(); })
          .property(member::kLastModified, [](Self& self) { return self.cursor().lastModified(); })
          .property(member::kEditMode, [](Self& self) { return static_cast<int>(self.cursor().editMode()); })
          .property(member::kLockEdits,
                    [](Self& self) {
                      self.cursor();
                      return false;
                    },
                    [](Self& self, const Variant& value) {
                      self.cursor();
                      // Rows are locked only while Update runs (optimistic locking).
                      if (value.asBoolean()) raise(error::unsupportedOperation);
                    })
          .method(member::kEdit, 0, 0, [](Self& self, const Arguments&) { self.cursor().edit(); })
          .method(member::kAddNew, 0, 0, [](Self& self, const Arguments&) { self.cursor().addNew(); })
          .method(member::kUpdate, 0, 2, [](Self& self, const Arguments&) { self.cursor().update(); })
          .method(member::kCancelUpdate, 0, 1, [](Self& self, const Arguments&) { self.cursor().cancelUpdate(); })
          .method(member::kDelete, 0, 0, [](Self& self, const Arguments&) { self.cursor().deleteCurrent(); })
          .method(member::kClone, 0, 0, [](Self& self, const Arguments&) { return self.clone(); })
          .method(member::kFindFirst, 1, 1,
                  [](Self& self, const Arguments& arguments) {
                    self.state_->noMatch = !self.cursor().findFirst(arguments[0].asText());
                  })
          .property(member::kNoMatch, [](Self& self) {
            self.cursor();
            return self.state_->noMatch;
          })
          .property(member::kFields, [](Self& self) { return self.fields(); })
          .indexedProperty(member::kFieldValues, 0, 2,
                           [](Self& self, const Arguments& arguments) { return self.fieldValues(arguments); })
          .property(member::kName, [](Self& self) { return self.cursor().table().name; })
          .property(member::kType, [](Self& self) {
            self.cursor();
            return self.type_;
          })
          .property(member::kProperties, [](Self& self) { return self.properties(); })
          .method(member::kClose, 0, 0, [](Self& self, const Arguments&) {
            self.cursor();
            self.close();
          })
          .build();
  return table;
}

}  // namespace dao
