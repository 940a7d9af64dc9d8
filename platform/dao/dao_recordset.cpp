#include "platform/dao/dao_recordset.h"

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
          .property("BOF", [](Self& self) { return self.cursor().isBof(); })
          .property("EOF", [](Self& self) { return self.cursor().isEof(); })
          .method("MoveFirst", 0, 0, [](Self& self, const Arguments&) { self.cursor().moveFirst(); })
          .method("MoveLast", 0, 1, [](Self& self, const Arguments&) { self.cursor().moveLast(); })
          .method("MoveNext", 0, 0, [](Self& self, const Arguments&) { self.cursor().moveNext(); })
          .method("MovePrevious", 0, 0, [](Self& self, const Arguments&) { self.cursor().movePrevious(); })
          .method("Move", 1, 2, [](Self& self, const Arguments& arguments) { self.move(arguments); })
          .property("AbsolutePosition", [](Self& self) { return self.cursor().absolutePosition(); },
                    [](Self& self, const Variant& value) { self.cursor().setAbsolutePosition(value.asInt32()); })
          .property("RecordCount", [](Self& self) { return self.cursor().recordCount(); })
          .property("Bookmark", [](Self& self) { return self.cursor().bookmark(); },
                    [](Self& self, const Variant& value) { self.cursor().gotoBookmark(value.asBytes()); })
          .property("Bookmarkable", [](Self& self) {
            self.cursor();
            return true;
          })
          .property("Updatable", [](Self& self) { return self.cursor().isUpdatable(); })
          .property("LastModified", [](Self& self) { return self.cursor().lastModified(); })
          .property("EditMode", [](Self& self) { return static_cast<int>(self.cursor().editMode()); })
          .property("LockEdits",
                    [](Self& self) {
                      self.cursor();
                      return false;
                    },
                    [](Self& self, const Variant& value) {
                      self.cursor();
                      // Rows are locked only while Update runs (optimistic locking).
                      if (value.asBoolean()) raise(error::unsupportedOperation);
                    })
          .method("Edit", 0, 0, [](Self& self, const Arguments&) { self.cursor().edit(); })
          .method("AddNew", 0, 0, [](Self& self, const Arguments&) { self.cursor().addNew(); })
          .method("Update", 0, 2, [](Self& self, const Arguments&) { self.cursor().update(); })
          .method("CancelUpdate", 0, 1, [](Self& self, const Arguments&) { self.cursor().cancelUpdate(); })
          .method("Delete", 0, 0, [](Self& self, const Arguments&) { self.cursor().deleteCurrent(); })
          .method("Clone", 0, 0, [](Self& self, const Arguments&) { return self.clone(); })
          .method("FindFirst", 1, 1,
                  [](Self& self, const Arguments& arguments) {
                    self.state_->noMatch = !self.cursor().findFirst(arguments[0].asText());
                  })
          .property("NoMatch", [](Self& self) {
            self.cursor();
            return self.state_->noMatch;
          })
          .property("Fields", [](Self& self) { return self.fields(); })
          .property("Name", [](Self& self) { return self.cursor().table().name; })
          .property("Type", [](Self& self) {
            self.cursor();
            return self.type_;
          })
          .property("Properties", [](Self& self) { return self.properties(); })
          .method("Close", 0, 0, [](Self& self, const Arguments&) {
            self.cursor();
            self.close();
          })
          .build();
  return table;
}

}  // namespace dao
