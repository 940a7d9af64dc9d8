#include "tools/dbcopy/copy_model.h"

#include <bit>
#include <cstring>

#include "platform/automation/text_compare.h"
#include "platform/dao/typelib/dao_typelib.h"

namespace dbcopy {

bool isSupportedType(int daoType) {
  switch (daoType) {
    case dao::dbBoolean:
    case dao::dbByte:
    case dao::dbInteger:
    case dao::dbLong:
    case dao::dbCurrency:
    case dao::dbSingle:
    case dao::dbDouble:
    case dao::dbDate:
    case dao::dbText:
    case dao::dbMemo:
    case dao::dbGUID:
    case dao::dbBinary:
    case dao::dbLongBinary: return true;
    default: return false;
  }
}

ValueClass valueClassOf(int daoType) {
  switch (daoType) {
    case dao::dbBoolean: return ValueClass::Boolean;
    case dao::dbByte:
    case dao::dbInteger: return ValueClass::SmallInteger;
    case dao::dbLong: return ValueClass::Integer;
    case dao::dbCurrency: return ValueClass::BigInteger;
    case dao::dbSingle: return ValueClass::Single;
    case dao::dbDouble:
    case dao::dbDate: return ValueClass::Double;
    case dao::dbBinary:
    case dao::dbLongBinary: return ValueClass::Bytes;
    default: return ValueClass::Text;
  }
}

bool Table::hiddenRowKey() const { return autoIncrementIndex() < 0; }

int Table::autoIncrementIndex() const {
  for (std::size_t i = 0; i < definition.columns.size(); ++i) {
    if (definition.columns[i].autoIncrement) return static_cast<int>(i);
  }
  return -1;
}

void TableChecksum::feed(const void* data, std::size_t size) noexcept {
  const auto* bytes = static_cast<const unsigned char*>(data);
  for (std::size_t i = 0; i < size; ++i) {
    hash_ ^= bytes[i];
    hash_ *= 0x100000001b3ULL;
  }
}

void TableChecksum::feedNumber(std::uint64_t number) noexcept {
  unsigned char bytes[8];
  for (int i = 0; i < 8; ++i) bytes[i] = static_cast<unsigned char>(number >> (8 * i));
  feed(bytes, sizeof bytes);
}

void TableChecksum::add(const Row& row) {
  ++rows_;
  feedNumber(static_cast<std::uint64_t>(row.key));
  feedNumber(static_cast<std::uint64_t>(row.version));
  feedNumber(row.values.size());
  for (const Value& value : row.values) {
    const auto kind = static_cast<unsigned char>(value.kind);
    feed(&kind, 1);
    switch (value.kind) {
      case Value::Kind::Null: break;
      case Value::Kind::Integer: feedNumber(static_cast<std::uint64_t>(value.integer)); break;
      case Value::Kind::Real: feedNumber(std::bit_cast<std::uint64_t>(value.real)); break;
      case Value::Kind::Text:
      case Value::Kind::Bytes:
        feedNumber(value.bytes.size());
        feed(value.bytes.data(), value.bytes.size());
        break;
    }
  }
}

std::string TableChecksum::hex() const {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text(16, '0');
  for (int i = 0; i < 16; ++i) text[15 - i] = kDigits[(hash_ >> (4 * i)) & 0xF];
  return text;
}

bool sameDefinition(const Table& a, const Table& b) {
  if (!automation::equalsIgnoringAsciiCase(a.definition.name, b.definition.name)) return false;
  if (a.attributes != b.attributes) return false;
  if (a.definition.columns.size() != b.definition.columns.size()) return false;
  for (std::size_t i = 0; i < a.definition.columns.size(); ++i) {
    const dao::ColumnDefinition& x = a.definition.columns[i];
    const dao::ColumnDefinition& y = b.definition.columns[i];
    if (!automation::equalsIgnoringAsciiCase(x.name, y.name) || x.type != y.type || x.size != y.size ||
        x.autoIncrement != y.autoIncrement || x.required != y.required || x.unique != y.unique ||
        x.indexed != y.indexed || x.defaultValue != y.defaultValue || x.format != y.format)
      return false;
  }
  return true;
}

}  // namespace dbcopy
