#pragma once
// What a copy between a database file and a server database moves: the
// tables as the engine describes them and their rows in key order, each
// value in one canonical form whichever side it was read from, so both
// sides can be compared by row count and checksum.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/dao/database_builder.h"

namespace dbcopy {

// One field's value. Boolean is 0 or -1 (True) on both sides; Byte,
// Integer, Long and Currency (amount x 10,000) are whole numbers; Single,
// Double and Date (the day number) are doubles; Text, Memo and GUID are
// UTF-8 bytes exactly as stored; binary fields their bytes.
struct Value {
  enum class Kind { Null, Integer, Real, Text, Bytes };
  Kind kind = Kind::Null;
  std::int64_t integer = 0;
  double real = 0;
  std::string bytes;  // Text and Bytes

  static Value null() { return {}; }
  static Value ofInteger(std::int64_t number) { return {Kind::Integer, number, 0, {}}; }
  static Value ofReal(double number) { return {Kind::Real, 0, number, {}}; }
  static Value ofText(std::string_view text) { return {Kind::Text, 0, 0, std::string(text)}; }
  static Value ofBytes(std::string_view data) { return {Kind::Bytes, 0, 0, std::string(data)}; }
  friend bool operator==(const Value&, const Value&) = default;
};

// How a field's values are kept, from its DAO type.
enum class ValueClass { Boolean, SmallInteger, Integer, BigInteger, Single, Double, Text, Bytes };
ValueClass valueClassOf(int daoType);
bool isSupportedType(int daoType);

struct Table {
  dao::TableDefinition definition;  // fields in stored order
  std::string rowKey;                // the auto-increment field, or the hidden key
  std::int32_t attributes = 0;
  bool hiddenRowKey() const;
  // Where the auto-increment field is among the fields; -1 without one.
  int autoIncrementIndex() const;
};

struct Row {
  std::int64_t key = 0;
  std::int64_t version = 0;
  std::vector<Value> values;  // one per field in stored order (the auto-increment one holds the key)
};

// A table's rows folded, in key order, into a 64-bit checksum (FNV-1a over
// the key, the version and every value with its kind and length), so two
// tables agree only when every row agrees.
class TableChecksum {
 public:
  void add(const Row& row);
  std::int64_t rows() const noexcept { return rows_; }
  std::uint64_t value() const noexcept { return hash_; }
  std::string hex() const;
  friend bool operator==(const TableChecksum& a, const TableChecksum& b) noexcept {
    return a.rows_ == b.rows_ && a.hash_ == b.hash_;
  }

 private:
  void feed(const void* data, std::size_t size) noexcept;
  void feedNumber(std::uint64_t number) noexcept;
  std::uint64_t hash_ = 0xcbf29ce484222325ULL;
  std::int64_t rows_ = 0;
};

// Two tables' definitions agree (names without regard to letter case, types,
// sizes, flags, defaults, formats and order of fields).
bool sameDefinition(const Table& a, const Table& b);

}  // namespace dbcopy
