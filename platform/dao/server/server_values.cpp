#include "platform/dao/server/server_values.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "platform/dao/engine_error.h"

namespace dao::server {

namespace {

using automation::Variant;

template <class Number>
std::string shortestText(Number number) {
  if (std::isnan(number)) return "NaN";
  if (std::isinf(number)) return number < 0 ? "-Infinity" : "Infinity";
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, number);
  return std::string(buffer, result.ptr);
}

template <class Number>
Number parseNumber(std::string_view text) {
  if constexpr (std::is_floating_point_v<Number>) {
    if (text == "NaN") return std::numeric_limits<Number>::quiet_NaN();
    if (text == "Infinity") return std::numeric_limits<Number>::infinity();
    if (text == "-Infinity") return -std::numeric_limits<Number>::infinity();
  }
  Number number{};
  const auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (failure != std::errc() || end != text.data() + text.size()) raise(dao::error::conversionFailed);
  return number;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  raise(dao::error::conversionFailed);
}

}  // namespace

std::optional<std::string> toServerText(const Variant& stored, const ColumnSchema& column) {
  if (stored.isNull() || stored.type() == automation::VariantType::Empty) return std::nullopt;
  switch (column.daoType) {
    case dbBoolean: return stored.asBoolean() ? "-1" : "0";
    case dbByte:
    case dbInteger:
    case dbLong: return std::to_string(stored.asInt32());
    case dbCurrency: return std::to_string(stored.asCurrency().scaled);
    case dbSingle: return shortestText(static_cast<float>(stored.asDouble()));
    case dbDouble: return shortestText(stored.asDouble());
    case dbDate: return shortestText(stored.asDate().days);
    case dbBinary:
    case dbLongBinary: {
      static constexpr char digits[] = "0123456789abcdef";
      const automation::ByteArray bytes = stored.asBytes();
      std::string text = "\\x";
      text.reserve(2 + bytes.size() * 2);
      for (const std::uint8_t byte : bytes) {
        text += digits[byte >> 4];
        text += digits[byte & 0x0F];
      }
      return text;
    }
    default: {
      std::string text = stored.textIf() != nullptr ? *stored.textIf() : stored.asText();
      // libpq ends a text parameter at its first NUL: the rest would be
      // lost without a word. The server's text cannot hold one anyway.
      if (text.find('\0') != std::string::npos) raise(dao::error::conversionFailed);
      return text;
    }
  }
}

void fromServerText(std::string_view text, const ColumnSchema& column, Variant& value) {
  switch (column.daoType) {
    case dbBoolean: value = Variant(parseNumber<std::int64_t>(text) != 0); return;
    case dbByte:
    case dbInteger: value = Variant(static_cast<std::int16_t>(parseNumber<std::int64_t>(text))); return;
    case dbLong: value = Variant(static_cast<int>(parseNumber<std::int64_t>(text))); return;
    case dbCurrency: value = Variant(automation::Currency{parseNumber<std::int64_t>(text)}); return;
    case dbSingle: value = Variant(static_cast<double>(parseNumber<float>(text))); return;
    case dbDouble: value = Variant(parseNumber<double>(text)); return;
    case dbDate: value = Variant(automation::Date{parseNumber<double>(text)}); return;
    case dbBinary:
    case dbLongBinary: {
      // bytea's hex output: "\x" and two digits per byte.
      if (text.size() < 2 || text[0] != '\\' || text[1] != 'x' || text.size() % 2 != 0)
        raise(dao::error::conversionFailed);
      automation::ByteArray bytes;
      bytes.reserve((text.size() - 2) / 2);
      for (std::size_t i = 2; i < text.size(); i += 2)
        bytes.push_back(static_cast<std::uint8_t>(hexDigit(text[i]) * 16 + hexDigit(text[i + 1])));
      value = Variant(std::move(bytes));
      return;
    }
    default: value.assignText(text); return;
  }
}

}  // namespace dao::server
