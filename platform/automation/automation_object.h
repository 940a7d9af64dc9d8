#pragma once
// An object reached by late binding: its properties and methods are found by
// name at the time of the call, as COM's IDispatch does.
//
// Contract:
//  - Member names match without regard to letter case ("movenext" reaches
//    MoveNext). An unknown name throws EOleException (DISP_E_UNKNOWNNAME).
//  - get() reads a property, or calls a method when the name is a method, as
//    a late-bound call whose result is used does. call() calls a method, or
//    reads a property.
//  - A property that takes no arguments, read with arguments, gives its
//    value's default member ("Item" for collections) called with those
//    arguments: get("Fields", {3}) is Fields.Item(3), get("Errors", {0}) is
//    Errors.Item(0).
//  - put() assigns a property; a read-only property or a method throws
//    EOleException (DISP_E_MEMBERNOTFOUND).
//  - Too few or too many arguments throw EOleException (DISP_E_BADPARAMCOUNT);
//    an argument of a kind that cannot be converted throws EOleException
//    (DISP_E_TYPEMISMATCH).
//  - Every call through get/put/call is reported to the call observers
//    (call_observer.h) before it runs, failing calls included.
//  - Every failure leaves as EOleException; a class decides how its own
//    failures are described (raiseFailure).
#include <cstdint>
#include <memory>
#include <string_view>
#include <type_traits>
#include <vector>

#include "platform/automation/ole_exception.h"
#include "platform/automation/variant.h"

namespace automation {

using Arguments = std::vector<Variant>;

enum class InvokeKind { PropertyGet, PropertyPut, Method };

class AutomationObject;

struct MemberEntry {
  using Read = Variant (*)(AutomationObject&, const Arguments&);
  using Write = void (*)(AutomationObject&, const Arguments&, const Variant&);
  std::string_view name;
  bool isMethod = false;
  int minArguments = 0;
  int maxArguments = 0;
  Read read = nullptr;    // property read or method call
  Write write = nullptr;  // nullptr: read-only
};

// The members of one automation class, looked up by name ignoring case.
class DispatchTable {
 public:
  template <class T>
  class Builder;

  const MemberEntry* find(std::string_view name) const noexcept;
  std::vector<std::string_view> memberNames() const;

 private:
  explicit DispatchTable(std::vector<MemberEntry> members);
  const MemberEntry* findByHash(std::string_view name) const noexcept;
  std::vector<MemberEntry> members_;  // sorted by name, ignoring case
  // Open-addressing hash of the names (letter case ignored): slot -> member
  // position + 1, 0 for an empty slot. Lookups run on every late-bound call.
  std::vector<std::uint16_t> slots_;
};

class AutomationObject : public std::enable_shared_from_this<AutomationObject> {
 public:
  virtual ~AutomationObject() = default;
  AutomationObject() = default;
  AutomationObject(const AutomationObject&) = delete;
  AutomationObject& operator=(const AutomationObject&) = delete;

  Variant get(std::string_view name, const Arguments& arguments = {});
  void put(std::string_view name, const Variant& value);
  void put(std::string_view name, const Arguments& arguments, const Variant& value);
  Variant call(std::string_view name, const Arguments& arguments = {});

  // Shorthand for get(...).asObject(): the object a property or method returns.
  ObjectRef getObject(std::string_view name, const Arguments& arguments = {});

  // The class's name as call records and error texts show it, e.g. "Recordset".
  virtual std::string_view typeName() const noexcept = 0;

 protected:
  virtual const DispatchTable& dispatchTable() const = 0;
  // The default member used by get() with arguments on a property that takes none.
  virtual std::string_view defaultMemberName() const noexcept { return "Item"; }
  // Rethrows the failure of `member` as EOleException. The default lets
  // EOleException pass, reports VariantConversionError as a type mismatch and
  // any other exception as E_FAIL with its text.
  [[noreturn]] virtual void raiseFailure(std::exception_ptr failure, std::string_view member);

 private:
  Variant invoke(InvokeKind kind, std::string_view name, const Arguments& arguments, const Variant* value);
  Variant runMember(const MemberEntry& member, InvokeKind kind, const Arguments& arguments, const Variant* value);
};

// Builds a DispatchTable for class T (derived from AutomationObject). Every
// handler is a lambda without captures (the table stores plain function
// pointers, as late-bound calls run them very often) receiving the object
// as T&.
template <class T>
class DispatchTable::Builder {
 public:
  // A read-only property without arguments: get(T&) returning anything a Variant holds.
  template <class Get>
  Builder& property(std::string_view name, Get) {
    return add(name, false, 0, 0, &readProperty<Get>, nullptr);
  }
  // A read/write property without arguments: get(T&), void put(T&, const Variant&).
  template <class Get, class Put>
  Builder& property(std::string_view name, Get, Put) {
    return add(name, false, 0, 0, &readProperty<Get>, &writeProperty<Put>);
  }
  // A read-only property with arguments: get(T&, const Arguments&).
  template <class Get>
  Builder& indexedProperty(std::string_view name, int minArguments, int maxArguments, Get) {
    return add(name, false, minArguments, maxArguments, &callMember<Get>, nullptr);
  }
  // A method: call(T&, const Arguments&), with or without a result.
  template <class Call>
  Builder& method(std::string_view name, int minArguments, int maxArguments, Call) {
    return add(name, true, minArguments, maxArguments, &callMember<Call>, nullptr);
  }
  DispatchTable build() { return DispatchTable(std::move(members_)); }

 private:
  template <class Get>
  static Variant readProperty(AutomationObject& object, const Arguments&) {
    static_assert(std::is_default_constructible_v<Get>, "handlers must not capture");
    return Variant(Get{}(static_cast<T&>(object)));
  }
  template <class Put>
  static void writeProperty(AutomationObject& object, const Arguments&, const Variant& value) {
    static_assert(std::is_default_constructible_v<Put>, "handlers must not capture");
    Put{}(static_cast<T&>(object), value);
  }
  template <class Call>
  static Variant callMember(AutomationObject& object, const Arguments& arguments) {
    static_assert(std::is_default_constructible_v<Call>, "handlers must not capture");
    T& self = static_cast<T&>(object);
    if constexpr (std::is_void_v<decltype(Call{}(self, arguments))>) {
      Call{}(self, arguments);
      return Variant();
    } else {
      return Variant(Call{}(self, arguments));
    }
  }
  Builder& add(std::string_view name, bool isMethod, int minArguments, int maxArguments, MemberEntry::Read read,
               MemberEntry::Write write) {
    members_.push_back(MemberEntry{name, isMethod, minArguments, maxArguments, read, write});
    return *this;
  }
  std::vector<MemberEntry> members_;
};

// The argument at `index`, or Empty when the caller passed fewer (an
// optional argument left out).
const Variant& argumentOrEmpty(const Arguments& arguments, std::size_t index);

}  // namespace automation
