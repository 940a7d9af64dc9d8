#include "platform/dao/dao_object.h"

#include "platform/automation/text_compare.h"
#include "platform/dao/engine_error.h"

namespace dao {

using automation::Arguments;
using automation::ObjectRef;
using automation::Variant;

void DaoObject::raiseFailure(std::exception_ptr failure, std::string_view member) {
  int number = 0;
  std::string description;
  try {
    std::rethrow_exception(failure);
  } catch (const EngineError& error) {
    number = error.number();
    description = error.what();
  } catch (const automation::VariantConversionError&) {
    number = error::conversionFailed;
    description = errorDescription(number);
  } catch (...) {
    AutomationObject::raiseFailure(std::current_exception(), member);
  }
  ErrorRecord record{number, "DAO." + std::string(typeName()), description, std::string(), number};
  errors_->replace(record);
  throw automation::EOleException(record.description, automation::hresult::fromServerError(number), record.source,
                                  record.helpFile, record.helpContext);
}

DaoCollection::DaoCollection(std::string typeName, std::shared_ptr<ErrorLog> errors, CollectionAccess access)
    : DaoObject(std::move(errors)), typeName_(std::move(typeName)), access_(std::move(access)) {}

ObjectRef DaoCollection::item(const Variant& key) {
  std::optional<std::size_t> index;
  if (key.type() == automation::VariantType::Text) {
    if (access_.find) index = access_.find(*key.textIf());
  } else {
    const std::int32_t number = key.asInt32();
    if (number >= 0) index = static_cast<std::size_t>(number);
  }
  if (!index || *index >= access_.count()) raise(error::itemNotFound);
  return access_.item(*index);
}

const automation::DispatchTable& DaoCollection::dispatchTable() const {
  static const automation::DispatchTable table =
      automation::DispatchTable::Builder<DaoCollection>()
          .property(member::kCount, [](DaoCollection& self) { return static_cast<int>(self.access_.count()); })
          .method(member::kItem, 1, 1, [](DaoCollection& self, const Arguments& arguments) { return self.item(arguments[0]); })
          .method(member::kRefresh, 0, 0,
                  [](DaoCollection& self, const Arguments&) {
                    if (self.access_.refresh) self.access_.refresh();
                  })
          .method(member::kAppend, 1, 1,
                  [](DaoCollection& self, const Arguments& arguments) {
                    if (!self.access_.append) raise(error::unsupportedOperation);
                    self.access_.append(arguments[0].asObject());
                  })
          .method(member::kDelete, 1, 1,
                  [](DaoCollection& self, const Arguments& arguments) {
                    if (!self.access_.remove) raise(error::unsupportedOperation);
                    self.access_.remove(arguments[0].asText());
                  })
          .build();
  return table;
}

DaoProperty::DaoProperty(std::shared_ptr<ErrorLog> errors, std::string name, std::function<Variant()> value)
    : DaoObject(std::move(errors)), name_(std::move(name)), value_(std::move(value)) {}

const automation::DispatchTable& DaoProperty::dispatchTable() const {
  static const automation::DispatchTable table =
      automation::DispatchTable::Builder<DaoProperty>()
          .property(member::kName, [](DaoProperty& self) { return self.name_; })
          .property(member::kValue, [](DaoProperty& self) { return self.value_(); })
          .property(member::kType,
                    [](DaoProperty& self) {
                      // DAO's type code of the value: Boolean 1, Integer 3, Long 4, Text 10.
                      switch (self.value_().type()) {
                        case automation::VariantType::Boolean: return 1;
                        case automation::VariantType::Int16: return 3;
                        case automation::VariantType::Int32: return 4;
                        case automation::VariantType::Double: return 7;
                        default: return 10;
                      }
                    })
          .property(member::kInherited, [](DaoProperty&) { return false; })
          .build();
  return table;
}

std::shared_ptr<DaoCollection> makeProperties(const std::shared_ptr<ErrorLog>& errors,
                                              std::function<PropertyList()> list) {
  CollectionAccess access;
  access.count = [list] { return list().size(); };
  access.item = [list, errors](std::size_t index) -> ObjectRef {
    PropertyList entries = list();
    return std::make_shared<DaoProperty>(errors, entries[index].first, entries[index].second);
  };
  access.find = [list](std::string_view name) -> std::optional<std::size_t> {
    const PropertyList entries = list();
    for (std::size_t i = 0; i < entries.size(); ++i) {
      if (automation::equalsIgnoringAsciiCase(entries[i].first, name)) return i;
    }
    return std::nullopt;
  };
  access.refresh = [] {};
  return std::make_shared<DaoCollection>("Properties", errors, std::move(access));
}

std::shared_ptr<DaoCollection> makeEmptyCollection(std::string typeName, const std::shared_ptr<ErrorLog>& errors) {
  CollectionAccess access;
  access.count = [] { return std::size_t{0}; };
  access.item = [](std::size_t) -> ObjectRef { raise(error::itemNotFound); };
  access.find = [](std::string_view) -> std::optional<std::size_t> { return std::nullopt; };
  access.refresh = [] {};
  return std::make_shared<DaoCollection>(std::move(typeName), errors, std::move(access));
}

std::string textArgument(const Arguments& arguments, std::size_t index, std::string fallback) {
  const Variant& argument = automation::argumentOrEmpty(arguments, index);
  return argument.isEmpty() ? fallback : argument.asText();
}

std::int32_t integerArgument(const Arguments& arguments, std::size_t index, std::int32_t fallback) {
  const Variant& argument = automation::argumentOrEmpty(arguments, index);
  return argument.isEmpty() ? fallback : argument.asInt32();
}

bool booleanArgument(const Arguments& arguments, std::size_t index, bool fallback) {
  const Variant& argument = automation::argumentOrEmpty(arguments, index);
  return argument.isEmpty() ? fallback : argument.asBoolean();
}

}  // namespace dao
