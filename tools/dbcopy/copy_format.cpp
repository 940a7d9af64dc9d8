#include "tools/dbcopy/copy_format.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "tools/dbcopy/copy_error.h"

namespace dbcopy {

namespace {

constexpr std::string_view kSignature("PGCOPY\n\377\r\n\0", 11);

std::uint64_t bigEndian(const char* data, int bytes) {
  std::uint64_t number = 0;
  for (int i = 0; i < bytes; ++i) number = (number << 8) | static_cast<unsigned char>(data[i]);
  return number;
}

}  // namespace

void appendCopyText(std::string& line, const Value& value) {
  switch (value.kind) {
    case Value::Kind::Null: line += "\\N"; return;
    case Value::Kind::Integer: line += std::to_string(value.integer); return;
    case Value::Kind::Real: {
      if (std::isnan(value.real)) {
        line += "NaN";
      } else if (std::isinf(value.real)) {
        line += value.real < 0 ? "-Infinity" : "Infinity";
      } else {
        char digits[32];
        const auto result = std::to_chars(digits, digits + sizeof digits, value.real);
        line.append(digits, result.ptr);
      }
      return;
    }
    case Value::Kind::Text:
      for (const char c : value.bytes) {
        switch (c) {
          case '\\': line += "\\\\"; break;
          case '\t': line += "\\t"; break;
          case '\n': line += "\\n"; break;
          case '\r': line += "\\r"; break;
          default: line += c;
        }
      }
      return;
    case Value::Kind::Bytes: {
      static constexpr char kDigits[] = "0123456789abcdef";
      line += "\\\\x";
      for (const char c : value.bytes) {
        const auto byte = static_cast<unsigned char>(c);
        line += kDigits[byte >> 4];
        line += kDigits[byte & 0xF];
      }
      return;
    }
  }
}

WireType wireTypeOf(ValueClass valueClass) {
  switch (valueClass) {
    case ValueClass::Single: return WireType::Real;
    case ValueClass::Double: return WireType::Double;
    case ValueClass::Text: return WireType::Text;
    case ValueClass::Bytes: return WireType::Bytes;
    default: return WireType::BigInt;
  }
}

std::string_view sqlTypeOf(WireType type) {
  switch (type) {
    case WireType::BigInt: return "bigint";
    case WireType::Real: return "real";
    case WireType::Double: return "double precision";
    case WireType::Text: return "text";
    case WireType::Bytes: return "bytea";
  }
  return "text";
}

BinaryCopyDecoder::BinaryCopyDecoder(std::vector<WireType> fields, RowHandler handler)
    : fields_(std::move(fields)), handler_(std::move(handler)), row_(fields_.size()) {}

void BinaryCopyDecoder::feed(std::string_view data) {
  if (ended_) {
    if (!data.empty()) throw CopyError("the server sent data after the end of a COPY");
    return;
  }
  buffer_.append(data);
  if (!headerRead_ && !parseHeader()) return;
  while (!ended_ && parseRow()) {
  }
  buffer_.erase(0, position_);
  position_ = 0;
}

void BinaryCopyDecoder::finish() const {
  if (!ended_) throw CopyError("the server's COPY data ended early");
}

bool BinaryCopyDecoder::parseHeader() {
  if (buffer_.size() < kSignature.size() + 8) return false;
  if (std::string_view(buffer_).substr(0, kSignature.size()) != kSignature)
    throw CopyError("the server's COPY data is not in the binary format");
  const auto extension = bigEndian(buffer_.data() + kSignature.size() + 4, 4);
  const std::size_t size = kSignature.size() + 8 + extension;
  if (buffer_.size() < size) return false;
  position_ = size;
  headerRead_ = true;
  return true;
}

bool BinaryCopyDecoder::parseRow() {
  const char* data = buffer_.data();
  const std::size_t available = buffer_.size();
  std::size_t at = position_;
  if (available - at < 2) return false;
  const auto count = static_cast<std::int16_t>(bigEndian(data + at, 2));
  at += 2;
  if (count == -1) {
    ended_ = true;
    position_ = at;
    return false;
  }
  if (count != static_cast<std::int16_t>(fields_.size()))
    throw CopyError("the server sent " + std::to_string(count) + " fields per row instead of " +
                    std::to_string(fields_.size()));
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    if (available - at < 4) return false;
    const auto length = static_cast<std::int32_t>(bigEndian(data + at, 4));
    at += 4;
    Value& value = row_[i];
    if (length < 0) {
      value = Value::null();
      continue;
    }
    if (available - at < static_cast<std::size_t>(length)) return false;
    const char* field = data + at;
    const auto expect = [&](std::int32_t size) {
      if (length != size) throw CopyError("the server sent a field of unexpected length");
    };
    switch (fields_[i]) {
      case WireType::BigInt:
        expect(8);
        value = Value::ofInteger(static_cast<std::int64_t>(bigEndian(field, 8)));
        break;
      case WireType::Real:
        expect(4);
        value = Value::ofReal(std::bit_cast<float>(static_cast<std::uint32_t>(bigEndian(field, 4))));
        break;
      case WireType::Double:
        expect(8);
        value = Value::ofReal(std::bit_cast<double>(bigEndian(field, 8)));
        break;
      case WireType::Text: value = Value::ofText(std::string_view(field, static_cast<std::size_t>(length))); break;
      case WireType::Bytes: value = Value::ofBytes(std::string_view(field, static_cast<std::size_t>(length))); break;
    }
    at += static_cast<std::size_t>(length);
  }
  position_ = at;
  handler_(row_);
  return true;
}

}  // namespace dbcopy
