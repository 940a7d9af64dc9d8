#pragma once
// What every object of the engine's automation surface shares: the engine's
// error list (DBEngine.Errors) and the rule that a failed call leaves as
// EOleException carrying the engine's number and description, after
// recording them in that list.
//
// The error list holds the errors of the last failed call; calls that
// succeed leave it alone (as DAO does).
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/automation/automation_object.h"
#include "platform/dao/typelib/dao_typelib.h"

namespace dao {

struct ErrorRecord {
  std::int32_t number = 0;
  std::string source;
  std::string description;
  std::string helpFile;
  std::int32_t helpContext = 0;
};

class ErrorLog {
 public:
  void replace(ErrorRecord record) { errors_.assign(1, std::move(record)); }
  const std::vector<ErrorRecord>& errors() const noexcept { return errors_; }

 private:
  std::vector<ErrorRecord> errors_;
};

class DaoObject : public automation::AutomationObject {
 public:
  explicit DaoObject(std::shared_ptr<ErrorLog> errors) : errors_(std::move(errors)) {}
  const std::shared_ptr<ErrorLog>& errorLog() const noexcept { return errors_; }

 protected:
  // EngineError: recorded, then EOleException(description, 0x800A0000 |
  // number, "DAO.<type>", "", number). A value of the wrong kind among the
  // arguments is the engine's 3421.
  [[noreturn]] void raiseFailure(std::exception_ptr failure, std::string_view member) override;

 private:
  std::shared_ptr<ErrorLog> errors_;
};

// A DAO collection (Fields, Errors, TableDefs, ...): Count, Item(index or
// name; 3265 when there is none), Refresh, and Append/Delete where the
// collection has them (3251 otherwise).
struct CollectionAccess {
  std::function<std::size_t()> count;
  std::function<automation::ObjectRef(std::size_t)> item;
  std::function<std::optional<std::size_t>(std::string_view)> find;  // by name, letter case ignored
  std::function<void()> refresh;
  std::function<void(const automation::ObjectRef&)> append;
  std::function<void(std::string_view)> remove;
};

class DaoCollection final : public DaoObject {
 public:
  DaoCollection(std::string typeName, std::shared_ptr<ErrorLog> errors, CollectionAccess access);
  std::string_view typeName() const noexcept override { return typeName_; }
  automation::ObjectRef item(const automation::Variant& key);

 protected:
  const automation::DispatchTable& dispatchTable() const override;

 private:
  std::string typeName_;
  CollectionAccess access_;
};

// One entry of a Properties collection: Name, Value, Type, Inherited.
class DaoProperty final : public DaoObject {
 public:
  DaoProperty(std::shared_ptr<ErrorLog> errors, std::string name, std::function<automation::Variant()> value);
  std::string_view typeName() const noexcept override { return "Property"; }

 protected:
  const automation::DispatchTable& dispatchTable() const override;

 private:
  std::string name_;
  std::function<automation::Variant()> value_;
};

// A Properties collection over named values read when asked for.
using PropertyList = std::vector<std::pair<std::string, std::function<automation::Variant()>>>;
std::shared_ptr<DaoCollection> makeProperties(const std::shared_ptr<ErrorLog>& errors,
                                              std::function<PropertyList()> list);
// An empty collection whose Refresh does nothing (QueryDefs, Relations, ...).
std::shared_ptr<DaoCollection> makeEmptyCollection(std::string typeName, const std::shared_ptr<ErrorLog>& errors);

// Arguments of engine calls: a missing (Empty) argument gives the fallback.
std::string textArgument(const automation::Arguments& arguments, std::size_t index, std::string fallback = {});
std::int32_t integerArgument(const automation::Arguments& arguments, std::size_t index, std::int32_t fallback);
bool booleanArgument(const automation::Arguments& arguments, std::size_t index, bool fallback);

}  // namespace dao
