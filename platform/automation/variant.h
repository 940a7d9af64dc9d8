#pragma once
// The automation layer's VARIANT: one value of the kinds that late-bound
// calls carry between the program and an automation server.
//
// Text is held as UTF-8 and stands for COM's wide string (BSTR); it is
// carried unchanged, never normalised. A byte array stands for a SAFEARRAY
// of bytes. An object reference shares ownership of the object.
//
// Contract of the conversions (as*): Empty converts to 0, False or "" as COM
// does; Null and object references convert to nothing but themselves and
// throw VariantConversionError, as does text that is no number where a
// number is asked for, and a number that does not fit the target type.
// Numbers with a fraction are rounded to the nearest whole number, halves to
// the even one (COM's rule). Booleans are -1 (True) and 0 (False) as numbers
// and "True"/"False" as text.
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

namespace automation {

class AutomationObject;
using ObjectRef = std::shared_ptr<AutomationObject>;
using ByteArray = std::vector<std::uint8_t>;

// The kinds, numbered as COM's VARTYPE codes (a byte array is VT_ARRAY|VT_UI1,
// an array of values VT_ARRAY|VT_VARIANT).
enum class VariantType : int {
  Empty = 0,
  Null = 1,
  Int16 = 2,
  Int32 = 3,
  Double = 5,
  Currency = 6,
  Date = 7,
  Text = 8,
  Object = 9,
  Boolean = 11,
  Bytes = 0x2011,
  Array = 0x200C,
};

// Name of a kind as error texts show it, e.g. "Null", "Integer", "String".
std::string_view variantTypeName(VariantType type);

// A currency amount in units of 1/10000, as COM's CY.
struct Currency {
  std::int64_t scaled = 0;
  friend bool operator==(const Currency&, const Currency&) = default;
};

// A point in time as COM's DATE: days since 30 December 1899, the time of
// day as the fraction.
struct Date {
  double days = 0;
  friend bool operator==(const Date&, const Date&) = default;
};

class VariantConversionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class Variant;
// The items of an array value, in order.
using VariantArray = std::vector<Variant>;

class Variant {
 public:
  Variant() = default;  // Empty
  Variant(bool value) : value_(value) {}
  Variant(std::int16_t value) : value_(value) {}
  Variant(int value) : value_(static_cast<std::int32_t>(value)) {}
  Variant(double value) : value_(value) {}
  Variant(Currency value) : value_(value) {}
  Variant(Date value) : value_(value) {}
  Variant(std::string text) : value_(std::move(text)) {}
  Variant(std::string_view text) : value_(std::string(text)) {}
  Variant(const char* text) : value_(std::string(text)) {}
  Variant(ByteArray bytes) : value_(std::move(bytes)) {}
  // An array of values; copies of the Variant share the items, which never change.
  explicit Variant(VariantArray items);
  Variant(ObjectRef object);
  // Any object handle (shared_ptr to a class derived from AutomationObject).
  template <class T>
    requires(!std::is_same_v<T, AutomationObject>)
  Variant(std::shared_ptr<T> object) : Variant(ObjectRef(std::move(object))) {}

  static Variant null();

  // Replace the value in place; text reuses the storage of text held before
  // (for buffers refilled row after row).
  void assignText(std::string_view text);
  void assignNull() noexcept;

  VariantType type() const noexcept;
  bool isEmpty() const noexcept { return type() == VariantType::Empty; }
  bool isNull() const noexcept { return type() == VariantType::Null; }
  // Empty or Null: "no value" in either of COM's two senses.
  bool isEmptyOrNull() const noexcept { return isEmpty() || isNull(); }

  bool asBoolean() const;
  std::int16_t asInt16() const;
  std::int32_t asInt32() const;
  double asDouble() const;
  Currency asCurrency() const;
  Date asDate() const;
  std::string asText() const;
  ByteArray asBytes() const;
  ObjectRef asObject() const;

  // Direct access without conversion; nullptr when the kind differs.
  const std::string* textIf() const noexcept { return std::get_if<std::string>(&value_); }
  const ByteArray* bytesIf() const noexcept { return std::get_if<ByteArray>(&value_); }
  const VariantArray* arrayIf() const noexcept {
    const auto* items = std::get_if<std::shared_ptr<const VariantArray>>(&value_);
    return items != nullptr ? items->get() : nullptr;
  }

  // Same kind and same value; objects compare by identity.
  friend bool operator==(const Variant& a, const Variant& b);

 private:
  struct NullTag {
    friend bool operator==(NullTag, NullTag) { return true; }
  };
  using Storage = std::variant<std::monostate, NullTag, bool, std::int16_t, std::int32_t, double,
                               Currency, Date, std::string, ByteArray, ObjectRef,
                               std::shared_ptr<const VariantArray>>;
  [[noreturn]] void failConversion(VariantType target) const;
  double numericValue(VariantType target) const;

  Storage value_;
};

// Shown in test failures and error texts: the kind and the value.
std::string describe(const Variant& value);

}  // namespace automation
