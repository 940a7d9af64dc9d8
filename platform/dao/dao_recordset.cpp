#include "platform/dao/dao_recordset.h"

#include "platform/dao/engine_error.h"

namespace dao {

using automation::Arguments;
using automation::ObjectRef;
using automation::Variant;

DaoRecordset::DaoRecordset(std::shared_ptr<ErrorLog> errors, std::unique_ptr<Dynaset> dynaset, int recordsetType)
    : DaoObject(std::move(errors)), state_(std::make_shared<RecordsetState>()), type_(recordsetType) {
  state_->dynaset = std::move(dynaset);
}

void DaoRecordset::close() noexcept {
  state_->closed = true;
  state_->dynaset.reset();
}

std::shared_ptr<DaoField> DaoRecordset::field(std::size_t column) {
  if (fieldObjects_.empty()) fieldObjects_.resize(cursor().table().columns.size());
  if (!fieldObjects_[column]) fieldObjects_[column] = std::make_shared<DaoField>(errorLog(), state_, column);
  return fieldObjects_[column];
}

std::shared_ptr<DaoCollection> DaoRecordset::fields() {
  cursor();
  if (!fields_) {
    // The collection refers to the recordset weakly: a caller may keep it
    // after releasing the recordset, which then reports 3420.
    const std::weak_ptr<DaoRecordset> weakSelf = std::static_pointer_cast<DaoRecordset>(shared_from_this());
    const auto self = [weakSelf] {
      auto recordset = weakSelf.lock();
      if (!recordset) raise(error::objectClosed);
      return recordset;
    };
    CollectionAccess access;
    access.count = [self] { return self()->cursor().table().columns.size(); };
    access.item = [self](std::size_t index) -> ObjectRef { return self()->field(index); };
    access.find = [self](std::string_view name) { return self()->cursor().table().findColumn(name); };
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
  const std::weak_ptr<DaoRecordset> weakSelf = std::static_pointer_cast<DaoRecordset>(shared_from_this());
  return makeProperties(errorLog(), [weakSelf]() {
    auto self = weakSelf.lock();
    if (!self) raise(error::objectClosed);
    PropertyList list = {
        {"Name", [self] { return Variant(self->cursor().table().name); }},
        {"Type", [self] { return Variant(self->type_); }},
        {"Updatable", [self] { return Variant(self->cursor().isUpdatable()); }},
        {"Bookmarkable", [] { return Variant(true); }},
        {"LockEdits", [] { return Variant(false); }},
    };
    return list;
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
