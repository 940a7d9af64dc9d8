#include "platform/dao/database_builder.h"
#include "platform/dao/dao_recordset.h"
#include "platform/dao/engine_error.h"

namespace dao {

using automation::Variant;

Dynaset& RecordsetState::cursor() const {
  if (closed || !dynaset) raise(error::objectClosed);
  return *dynaset;
}

DaoField::DaoField(std::shared_ptr<ErrorLog> errors, std::shared_ptr<RecordsetState> state, std::size_t column)
    : DaoObject(std::move(errors)), state_(std::move(state)), column_(column) {}

const ColumnSchema& DaoField::column() const { return state_->cursor().table().columns[column_]; }

std::int32_t DaoField::attributes() const {
  const ColumnSchema& schema = column();
  const bool variable = schema.daoType == dbText || schema.daoType == dbMemo || schema.daoType == dbBinary ||
                        schema.daoType == dbLongBinary;
  std::int32_t bits = variable ? field_attribute::variable : field_attribute::fixed;
  if (schema.autoIncrement) bits |= field_attribute::autoIncrement;
  if (state_->cursor().isUpdatable() && !schema.autoIncrement) bits |= field_attribute::updatable;
  return bits;
}

std::int32_t DaoField::fieldSize() const {
  const ColumnSchema& schema = column();
  const Variant& stored = state_->cursor().value(column_);
  if (stored.isNull()) return 0;
  if (const std::string* text = stored.textIf()) return static_cast<std::int32_t>(text->size());
  if (const automation::ByteArray* bytes = stored.bytesIf()) return static_cast<std::int32_t>(bytes->size());
  return schema.size;
}

std::shared_ptr<DaoCollection> DaoField::properties() {
  const auto self = std::static_pointer_cast<DaoField>(shared_from_this());
  return makeProperties(errorLog(), [self]() {
    const ColumnSchema& schema = self->column();
    PropertyList list = {
        {"Name", [self] { return Variant(self->column().name); }},
        {"Type", [self] { return Variant(self->column().daoType); }},
        {"Size", [self] { return Variant(self->column().size); }},
        {"Attributes", [self] { return Variant(self->attributes()); }},
        {"Required", [self] { return Variant(self->column().required); }},
        {"DefaultValue", [self] { return Variant(self->column().defaultValue); }},
        {"SourceTable", [self] { return Variant(self->state_->cursor().table().name); }},
        {"SourceField", [self] { return Variant(self->column().name); }},
    };
    if (!schema.format.empty()) list.emplace_back("Format", [self] { return Variant(self->column().format); });
    return list;
  });
}

const automation::DispatchTable& DaoField::dispatchTable() const {
  static const automation::DispatchTable table =
      automation::DispatchTable::Builder<DaoField>()
          .property(member::kValue, [](DaoField& self) { return self.value(); },
                    [](DaoField& self, const Variant& value) { self.setValue(value); })
          .property(member::kName, [](DaoField& self) { return self.column().name; })
          .property(member::kType, [](DaoField& self) { return self.column().daoType; })
          .property(member::kSize, [](DaoField& self) { return self.column().size; })
          .property(member::kAttributes, [](DaoField& self) { return self.attributes(); })
          .property(member::kRequired, [](DaoField& self) { return self.column().required; })
          .property(member::kDefaultValue, [](DaoField& self) { return self.column().defaultValue; })
          .property(member::kFieldSize, [](DaoField& self) { return self.fieldSize(); })
          .property(member::kOrdinalPosition, [](DaoField& self) { return static_cast<int>(self.column_); })
          .property(member::kSourceTable, [](DaoField& self) { return self.state_->cursor().table().name; })
          .property(member::kSourceField, [](DaoField& self) { return self.column().name; })
          .property(member::kAllowZeroLength, [](DaoField& self) { return self.column().isText(); })
          .property(member::kProperties, [](DaoField& self) { return self.properties(); })
          .build();
  return table;
}

}  // namespace dao
