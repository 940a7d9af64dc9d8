#include "platform/dao/column_value.h"

#include <cmath>
#include <limits>

#include "platform/automation/text_compare.h"
#include "platform/dao/engine_error.h"
#include "platform/dao/typelib/dao_typelib.h"

namespace dao {

using automation::Variant;
using automation::VariantType;

namespace {

// The value as a whole number in [low, high]; 3421 when it is none, 3349 when out of range.
std::int64_t wholeNumber(const Variant& value, double low, double high) {
  double number = 0;
  try {
    number = value.asDouble();
  } catch (const automation::VariantConversionError&) {
    raise(error::conversionFailed);
  }
  const double rounded = std::nearbyint(number);
  if (rounded < low || rounded > high) raise(error::numericOverflow);
  return static_cast<std::int64_t>(rounded);
}

double realNumber(const Variant& value) {
  try {
    return value.asDouble();
  } catch (const automation::VariantConversionError&) {
    raise(error::conversionFailed);
  }
}

template <class Conversion>
auto converted(Conversion conversion) -> decltype(conversion()) {
  try {
    return conversion();
  } catch (const automation::VariantConversionError&) {
    raise(error::conversionFailed);
  }
}

std::string unquoteDefault(std::string_view text) {
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
    std::string inner;
    const std::string_view body = text.substr(1, text.size() - 2);
    for (std::size_t i = 0; i < body.size(); ++i) {
      inner += body[i];
      if (body[i] == '"' && i + 1 < body.size() && body[i + 1] == '"') ++i;
    }
    return inner;
  }
  return std::string(text);
}

}  // namespace

std::size_t characterCount(std::string_view utf8) noexcept {
  std::size_t count = 0;
  for (char c : utf8) {
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
  }
  return count;
}

Variant toStoredValue(const Variant& value, const ColumnSchema& column) {
  if (value.isEmptyOrNull()) return Variant::null();
  if (value.type() == VariantType::Object) raise(error::conversionFailed);
  switch (column.daoType) {
    case dbBoolean: {
      const bool flag = converted([&] { return value.asBoolean(); });
      return Variant(flag);
    }
    case dbByte: return Variant(static_cast<std::int16_t>(wholeNumber(value, 0, 255)));
    case dbInteger:
      return Variant(static_cast<std::int16_t>(
          wholeNumber(value, std::numeric_limits<std::int16_t>::min(), std::numeric_limits<std::int16_t>::max())));
    case dbLong:
      return Variant(static_cast<int>(
          wholeNumber(value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max())));
    case dbCurrency: {
      const double amount = realNumber(value);
      if (std::fabs(amount) > 922337203685477.0) raise(error::numericOverflow);
      return Variant(automation::Currency{static_cast<std::int64_t>(std::nearbyint(amount * 10000.0))});
    }
    case dbSingle: {
      const double number = realNumber(value);
      if (std::fabs(number) > std::numeric_limits<float>::max()) raise(error::numericOverflow);
      return Variant(static_cast<double>(static_cast<float>(number)));
    }
    case dbDouble: return Variant(realNumber(value));
    case dbDate: return Variant(converted([&] { return value.asDate(); }));
    case dbBinary:
    case dbLongBinary: return Variant(converted([&] { return value.asBytes(); }));
    default: return Variant(converted([&] { return value.asText(); }));
  }
}

void checkStoredValue(const Variant& stored, const ColumnSchema& column) {
  if (stored.isNull()) {
    if (column.required) raise(error::valueRequired, column.name);
    return;
  }
  const int limit = column.textLimit();
  if (limit > 0) {
    if (const std::string* text = stored.textIf(); text != nullptr && characterCount(*text) > static_cast<std::size_t>(limit)) {
      raise(error::textTooLong, column.name);
    }
  }
  if (column.daoType == dbBinary && column.size > 0) {
    if (const auto* bytes = stored.bytesIf(); bytes != nullptr && bytes->size() > static_cast<std::size_t>(column.size)) {
      raise(error::textTooLong, column.name);
    }
  }
}

Variant defaultValueOf(const ColumnSchema& column) {
  const std::string_view text = column.defaultValue;
  if (text.empty() || automation::equalsIgnoringAsciiCase(text, "Null") || column.autoIncrement) return Variant::null();
  try {
    if (column.daoType == dbDate) {
      if (text.size() >= 2 && text.front() == '#' && text.back() == '#') {
        return toStoredValue(Variant(std::string(text.substr(1, text.size() - 2))), column);
      }
      return Variant::null();
    }
    if (column.daoType == dbBoolean) {
      if (automation::equalsIgnoringAsciiCase(text, "Yes") || automation::equalsIgnoringAsciiCase(text, "True")) return Variant(true);
      if (automation::equalsIgnoringAsciiCase(text, "No") || automation::equalsIgnoringAsciiCase(text, "False")) return Variant(false);
    }
    return toStoredValue(Variant(unquoteDefault(text)), column);
  } catch (const EngineError&) {
    return Variant::null();
  }
}

}  // namespace dao
