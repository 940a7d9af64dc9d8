// TableDef and its field definitions, as Database.TableDefs lists them.
#include "platform/automation/text_compare.h"
#include "platform/dao/dao_database.h"
#include "platform/dao/database_builder.h"
#include "platform/dao/engine_error.h"
#include "platform/dao/table_schema.h"

namespace dao {

namespace {

using automation::Arguments;
using automation::ObjectRef;
using automation::Variant;

class DaoFieldDef final : public DaoObject {
 public:
  DaoFieldDef(std::shared_ptr<ErrorLog> errors, ColumnSchema column, std::size_t ordinal)
      : DaoObject(std::move(errors)), column_(std::move(column)), ordinal_(ordinal) {}
  std::string_view typeName() const noexcept override { return "Field"; }

 protected:
  const automation::DispatchTable& dispatchTable() const override {
    static const automation::DispatchTable table =
        automation::DispatchTable::Builder<DaoFieldDef>()
            .property(member::kName, [](DaoFieldDef& self) { return self.column_.name; })
            .property(member::kType, [](DaoFieldDef& self) { return self.column_.daoType; })
            .property(member::kSize, [](DaoFieldDef& self) { return self.column_.size; })
            .property(member::kAttributes, [](DaoFieldDef& self) { return self.attributes(); })
            .property(member::kRequired, [](DaoFieldDef& self) { return self.column_.required; })
            .property(member::kDefaultValue, [](DaoFieldDef& self) { return self.column_.defaultValue; })
            .property(member::kOrdinalPosition, [](DaoFieldDef& self) { return static_cast<int>(self.ordinal_); })
            .property(member::kProperties, [](DaoFieldDef& self) { return self.properties(); })
            .build();
    return table;
  }

 private:
  std::int32_t attributes() const {
    const bool variable = column_.daoType == dbText || column_.daoType == dbMemo || column_.daoType == dbBinary ||
                          column_.daoType == dbLongBinary;
    std::int32_t bits = variable ? field_attribute::variable : field_attribute::fixed;
    if (column_.autoIncrement) bits |= field_attribute::autoIncrement;
    if (!column_.autoIncrement) bits |= field_attribute::updatable;
    return bits;
  }

  std::shared_ptr<DaoCollection> properties() {
    const auto self = std::static_pointer_cast<DaoFieldDef>(shared_from_this());
    return makeProperties(errorLog(), [self] {
      PropertyList list = {
          {"Name", [self] { return Variant(self->column_.name); }},
          {"Type", [self] { return Variant(self->column_.daoType); }},
          {"Size", [self] { return Variant(self->column_.size); }},
          {"Attributes", [self] { return Variant(self->attributes()); }},
          {"Required", [self] { return Variant(self->column_.required); }},
          {"DefaultValue", [self] { return Variant(self->column_.defaultValue); }},
      };
      if (!self->column_.format.empty()) list.emplace_back("Format", [self] { return Variant(self->column_.format); });
      return list;
    });
  }

  ColumnSchema column_;
  std::size_t ordinal_;
};

class DaoTableDef final : public DaoObject {
 public:
  DaoTableDef(std::shared_ptr<ErrorLog> errors, std::shared_ptr<Storage> storage, std::string name,
              std::int32_t attributes)
      : DaoObject(std::move(errors)), storage_(std::move(storage)), name_(std::move(name)), attributes_(attributes) {}
  std::string_view typeName() const noexcept override { return "TableDef"; }

 protected:
  const automation::DispatchTable& dispatchTable() const override {
    static const automation::DispatchTable table =
        automation::DispatchTable::Builder<DaoTableDef>()
            .property(member::kName, [](DaoTableDef& self) { return self.name_; })
            .property(member::kAttributes, [](DaoTableDef& self) { return self.attributes_; })
            .property(member::kRecordCount, [](DaoTableDef& self) { return self.recordCount(); })
            .property(member::kFields, [](DaoTableDef& self) { return self.fields(); })
            .property(member::kIndexes, [](DaoTableDef& self) { return makeEmptyCollection("Indexes", self.errorLog()); })
            .property(member::kProperties, [](DaoTableDef& self) { return self.properties(); })
            .build();
    return table;
  }

 private:
  std::shared_ptr<const TableSchema> schema() {
    if (!storage_->isOpen()) raise(error::objectClosed);
    return storage_->loadTableSchema(name_);
  }

  std::int32_t recordCount() {
    const std::shared_ptr<const TableSchema> table = schema();
    return static_cast<std::int32_t>(storage_->rowCount(*table));
  }

  std::shared_ptr<DaoCollection> fields() {
    const std::shared_ptr<const TableSchema> table = schema();
    auto definitions = std::make_shared<std::vector<ObjectRef>>();
    for (std::size_t i = 0; i < table->columns.size(); ++i) {
      definitions->push_back(std::make_shared<DaoFieldDef>(errorLog(), table->columns[i], i));
    }
    CollectionAccess access;
    access.count = [definitions] { return definitions->size(); };
    access.item = [definitions](std::size_t index) { return (*definitions)[index]; };
    access.find = [table](std::string_view name) { return table->findColumn(name); };
    access.refresh = [] {};
    return std::make_shared<DaoCollection>("Fields", errorLog(), std::move(access));
  }

  std::shared_ptr<DaoCollection> properties() {
    const auto self = std::static_pointer_cast<DaoTableDef>(shared_from_this());
    return makeProperties(errorLog(), [self] {
      return PropertyList{
          {"Name", [self] { return Variant(self->name_); }},
          {"Attributes", [self] { return Variant(self->attributes_); }},
          {"Updatable", [self] { return Variant(!self->storage_->isReadOnly()); }},
      };
    });
  }

  std::shared_ptr<Storage> storage_;
  std::string name_;
  std::int32_t attributes_;
};

}  // namespace

ObjectRef makeTableDef(std::shared_ptr<ErrorLog> errors, std::shared_ptr<Storage> storage,
                       const std::string& tableName, std::int32_t attributes) {
  return std::make_shared<DaoTableDef>(std::move(errors), std::move(storage), tableName, attributes);
}

}  // namespace dao
