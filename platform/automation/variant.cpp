#include "platform/automation/variant.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "platform/automation/automation_object.h"
#include "platform/automation/text_compare.h"

namespace automation {

namespace {

std::string_view trimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// A number written in text: optional sign, digits with an optional fraction
// and exponent. Independent of the process locale (a Qt program sets the
// user's locale, whose decimal separator may be a comma).
bool parseNumber(std::string_view text, double& out) {
  text = trimBlanks(text);
  if (text.empty()) return false;
  if (text.front() == '+') {
    text.remove_prefix(1);
    if (text.empty() || text.front() == '+' || text.front() == '-') return false;
  }
  const auto result = std::from_chars(text.data(), text.data() + text.size(), out);
  return result.ec == std::errc() && result.ptr == text.data() + text.size() && std::isfinite(out);
}

std::string formatDouble(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
  return std::string(buffer, result.ptr);
}

std::string formatCurrency(Currency value) {
  const bool negative = value.scaled < 0;
  const std::uint64_t magnitude =
      negative ? 0 - static_cast<std::uint64_t>(value.scaled) : static_cast<std::uint64_t>(value.scaled);
  std::string text = std::to_string(magnitude / 10000);
  std::uint64_t fraction = magnitude % 10000;
  if (fraction != 0) {
    char digits[8];
    std::snprintf(digits, sizeof digits, "%04llu", static_cast<unsigned long long>(fraction));
    std::string fractionText(digits);
    while (fractionText.back() == '0') fractionText.pop_back();
    text += '.' + fractionText;
  }
  return negative ? '-' + text : text;
}

// Civil date from days since 1970-01-01 (H. Hinnant's algorithm).
void civilFromDays(std::int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

std::int64_t daysFromCivil(int year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const std::int64_t yoe = year - era * 400;
  const std::int64_t doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

constexpr std::int64_t kDaysFrom1899To1970 = 25569;

std::string formatDate(Date value) {
  const double wholeDays = std::floor(value.days);
  // COM's dates before 1899-12-30 keep a positive time fraction.
  const double fraction = std::fabs(value.days - std::trunc(value.days));
  const std::int64_t dayNumber = static_cast<std::int64_t>(value.days < 0 ? std::ceil(value.days) : wholeDays);
  int year = 0, month = 0, day = 0;
  civilFromDays(dayNumber - kDaysFrom1899To1970, year, month, day);
  char text[40];
  const long seconds = std::lround(fraction * 86400.0);
  if (seconds == 0) {
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
  } else {
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02ld:%02ld:%02ld", year, month, day, seconds / 3600,
                  (seconds / 60) % 60, seconds % 60);
  }
  return text;
}

// "yyyy-mm-dd", optionally followed by " hh:mm" or " hh:mm:ss".
bool parseDate(std::string_view text, Date& out) {
  const std::string copy(trimBlanks(text));
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  int consumed = 0;
  if (std::sscanf(copy.c_str(), "%4d-%2d-%2d%n", &year, &month, &day, &consumed) != 3) return false;
  std::size_t position = static_cast<std::size_t>(consumed);
  if (position < copy.size()) {
    consumed = 0;
    if (std::sscanf(copy.c_str() + position, " %2d:%2d%n", &hour, &minute, &consumed) != 2) return false;
    position += static_cast<std::size_t>(consumed);
    if (position < copy.size()) {
      consumed = 0;
      if (std::sscanf(copy.c_str() + position, ":%2d%n", &second, &consumed) != 1) return false;
      position += static_cast<std::size_t>(consumed);
    }
  }
  if (position != copy.size()) return false;
  if (month < 1 || month > 12 || day < 1 || day > 31) return false;
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59) return false;
  const std::int64_t days = daysFromCivil(year, month, day) + kDaysFrom1899To1970;
  const double time = (hour * 3600 + minute * 60 + second) / 86400.0;
  out.days = days >= 0 ? static_cast<double>(days) + time : static_cast<double>(days) - time;
  return true;
}

VariantType typeOfIndex(std::size_t index) {
  static constexpr VariantType kTypes[] = {VariantType::Empty,  VariantType::Null,   VariantType::Boolean,
                                           VariantType::Int16,  VariantType::Int32,  VariantType::Double,
                                           VariantType::Currency, VariantType::Date, VariantType::Text,
                                           VariantType::Bytes,  VariantType::Object, VariantType::Array};
  return kTypes[index];
}

}  // namespace

std::string_view variantTypeName(VariantType type) {
  switch (type) {
    case VariantType::Empty: return "Empty";
    case VariantType::Null: return "Null";
    case VariantType::Int16: return "Smallint";
    case VariantType::Int32: return "Integer";
    case VariantType::Double: return "Double";
    case VariantType::Currency: return "Currency";
    case VariantType::Date: return "Date";
    case VariantType::Text: return "String";
    case VariantType::Object: return "Dispatch";
    case VariantType::Boolean: return "Boolean";
    case VariantType::Bytes: return "Array Byte";
    case VariantType::Array: return "Array Variant";
  }
  return "Unknown";
}

Variant::Variant(ObjectRef object) : value_(std::move(object)) {}

Variant::Variant(VariantArray items) : value_(std::make_shared<const VariantArray>(std::move(items))) {}

Variant Variant::null() {
  Variant value;
  value.value_.emplace<NullTag>();
  return value;
}

void Variant::assignText(std::string_view text) {
  if (auto* held = std::get_if<std::string>(&value_)) {
    held->assign(text);
  } else {
    value_.emplace<std::string>(text);
  }
}

void Variant::assignNull() noexcept { value_.emplace<NullTag>(); }

VariantType Variant::type() const noexcept { return typeOfIndex(value_.index()); }

void Variant::failConversion(VariantType target) const {
  throw VariantConversionError("Could not convert variant of type (" + std::string(variantTypeName(type())) +
                               ") into type (" + std::string(variantTypeName(target)) + ")");
}

double Variant::numericValue(VariantType target) const {
  switch (type()) {
    case VariantType::Empty: return 0;
    case VariantType::Boolean: return std::get<bool>(value_) ? -1 : 0;
    case VariantType::Int16: return std::get<std::int16_t>(value_);
    case VariantType::Int32: return std::get<std::int32_t>(value_);
    case VariantType::Double: return std::get<double>(value_);
    case VariantType::Currency: return static_cast<double>(std::get<Currency>(value_).scaled) / 10000.0;
    case VariantType::Date: return std::get<Date>(value_).days;
    case VariantType::Text: {
      double number = 0;
      if (parseNumber(std::get<std::string>(value_), number)) return number;
      break;
    }
    default: break;
  }
  failConversion(target);
}

bool Variant::asBoolean() const {
  if (const auto* flag = std::get_if<bool>(&value_)) return *flag;
  if (const auto* text = std::get_if<std::string>(&value_)) {
    const std::string_view trimmed = trimBlanks(*text);
    if (equalsIgnoringAsciiCase(trimmed, "True")) return true;
    if (equalsIgnoringAsciiCase(trimmed, "False")) return false;
  }
  return numericValue(VariantType::Boolean) != 0;
}

std::int16_t Variant::asInt16() const {
  if (const auto* small = std::get_if<std::int16_t>(&value_)) return *small;
  const double rounded = std::nearbyint(numericValue(VariantType::Int16));
  if (rounded < std::numeric_limits<std::int16_t>::min() || rounded > std::numeric_limits<std::int16_t>::max()) {
    failConversion(VariantType::Int16);
  }
  return static_cast<std::int16_t>(rounded);
}

std::int32_t Variant::asInt32() const {
  if (const auto* whole = std::get_if<std::int32_t>(&value_)) return *whole;
  const double rounded = std::nearbyint(numericValue(VariantType::Int32));
  if (rounded < std::numeric_limits<std::int32_t>::min() || rounded > std::numeric_limits<std::int32_t>::max()) {
    failConversion(VariantType::Int32);
  }
  return static_cast<std::int32_t>(rounded);
}

double Variant::asDouble() const {
  if (const auto* number = std::get_if<double>(&value_)) return *number;
  return numericValue(VariantType::Double);
}

Currency Variant::asCurrency() const {
  if (const auto* amount = std::get_if<Currency>(&value_)) return *amount;
  const double scaled = std::nearbyint(numericValue(VariantType::Currency) * 10000.0);
  if (std::fabs(scaled) > 9.2e18) failConversion(VariantType::Currency);
  return Currency{static_cast<std::int64_t>(scaled)};
}

Date Variant::asDate() const {
  if (const auto* date = std::get_if<Date>(&value_)) return *date;
  if (const auto* text = std::get_if<std::string>(&value_)) {
    Date parsed;
    if (parseDate(*text, parsed)) return parsed;
  }
  return Date{numericValue(VariantType::Date)};
}

std::string Variant::asText() const {
  switch (type()) {
    case VariantType::Empty: return {};
    case VariantType::Boolean: return std::get<bool>(value_) ? "True" : "False";
    case VariantType::Int16: return std::to_string(std::get<std::int16_t>(value_));
    case VariantType::Int32: return std::to_string(std::get<std::int32_t>(value_));
    case VariantType::Double: return formatDouble(std::get<double>(value_));
    case VariantType::Currency: return formatCurrency(std::get<Currency>(value_));
    case VariantType::Date: return formatDate(std::get<Date>(value_));
    case VariantType::Text: return std::get<std::string>(value_);
    case VariantType::Bytes: {
      const ByteArray& bytes = std::get<ByteArray>(value_);
      return std::string(bytes.begin(), bytes.end());
    }
    default: failConversion(VariantType::Text);
  }
}

ByteArray Variant::asBytes() const {
  if (const auto* bytes = std::get_if<ByteArray>(&value_)) return *bytes;
  if (const auto* text = std::get_if<std::string>(&value_)) return ByteArray(text->begin(), text->end());
  failConversion(VariantType::Bytes);
}

ObjectRef Variant::asObject() const {
  if (const auto* object = std::get_if<ObjectRef>(&value_)) {
    if (*object) return *object;
  }
  failConversion(VariantType::Object);
}

bool operator==(const Variant& a, const Variant& b) {
  // Arrays compare by their items, not by the storage they share.
  const VariantArray* itemsA = a.arrayIf();
  const VariantArray* itemsB = b.arrayIf();
  if (itemsA != nullptr && itemsB != nullptr) return *itemsA == *itemsB;
  return a.value_ == b.value_;
}

std::string describe(const Variant& value) {
  switch (value.type()) {
    case VariantType::Empty: return "Empty";
    case VariantType::Null: return "Null";
    case VariantType::Object: return "Dispatch";
    case VariantType::Text: return "String \"" + value.asText() + "\"";
    case VariantType::Array: {
      std::string text = "Array Variant(";
      const VariantArray& items = *value.arrayIf();
      for (std::size_t i = 0; i < items.size(); ++i) text += (i == 0 ? "" : ", ") + describe(items[i]);
      return text + ")";
    }
    default: return std::string(variantTypeName(value.type())) + " " + value.asText();
  }
}

}  // namespace automation
