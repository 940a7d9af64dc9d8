#pragma once
// PostgreSQL's COPY data formats, as the copy uses them:
//  - rows go to the server in the text format (one line per row, fields
//    separated by tabs, \N for Null), which the server parses by the
//    target column's own type;
//  - rows come back in the binary format from a SELECT that casts every
//    field to a fixed type, so doubles, text and bytes arrive bit for bit.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/dbcopy/copy_model.h"

namespace dbcopy {

// Appends one field in COPY's text format: backslash, tab, newline and
// carriage return escaped; whole numbers in decimal; doubles in the
// shortest text that reads back to the same double (Infinity, -Infinity
// and NaN by name); bytes as bytea's hex form.
void appendCopyText(std::string& line, const Value& value);

// The SQL type a field is read back as, and how its bytes are read.
enum class WireType { BigInt, Real, Double, Text, Bytes };
WireType wireTypeOf(ValueClass valueClass);
std::string_view sqlTypeOf(WireType type);

// Reads the binary COPY stream in whatever pieces it arrives; hands every
// complete row over as one value per field. Throws CopyError on data that
// is not the format or not the expected fields.
class BinaryCopyDecoder {
 public:
  using RowHandler = std::function<void(const std::vector<Value>&)>;
  BinaryCopyDecoder(std::vector<WireType> fields, RowHandler handler);
  void feed(std::string_view data);
  // Throws unless the stream ended with its trailer.
  void finish() const;

 private:
  bool parseHeader();
  bool parseRow();

  std::vector<WireType> fields_;
  RowHandler handler_;
  std::string buffer_;
  std::size_t position_ = 0;
  bool headerRead_ = false;
  bool ended_ = false;
  std::vector<Value> row_;
};

}  // namespace dbcopy
