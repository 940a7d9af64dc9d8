#include "framework/ScalarFields.h"

#include <cmath>
#include <limits>

#include "framework/DbErrors.h"
#include "framework/TextRules.h"

namespace framework {

// ---- TIntegerField ----

std::string TIntegerField::AsString() const {
  if (IsNull()) return {};
  return std::to_string(AsInteger());
}

void TIntegerField::SetAsString(const std::string& value) {
  if (value.empty()) {
    Clear();
    return;
  }
  const auto number = ParseInteger(value);
  if (!number) throw EConvertError(FormatText(SInvalidIntegerValue, {value}));
  StoreChecked(*number);
}

int TIntegerField::AsInteger() const {
  std::string text;
  if (!GetText(text)) return 0;
  const auto number = ParseRoundedInteger(text);
  if (!number || *number < std::numeric_limits<int>::min() || *number > std::numeric_limits<int>::max()) return 0;
  return static_cast<int>(*number);
}

void TIntegerField::SetAsInteger(int value) { StoreChecked(value); }

void TIntegerField::SetAsFloat(double value) {
  const double rounded = std::nearbyint(value);
  if (!(rounded >= static_cast<double>(min_) && rounded <= static_cast<double>(max_))) {
    DatabaseErrorFmt(SFieldRangeError,
                     {FloatToText(value), DisplayName(), std::to_string(min_), std::to_string(max_)});
  }
  StoreChecked(static_cast<long long>(rounded));
}

void TIntegerField::StoreChecked(long long value) {
  if (value < min_ || value > max_) {
    DatabaseErrorFmt(SFieldRangeError,
                     {std::to_string(value), DisplayName(), std::to_string(min_), std::to_string(max_)});
  }
  const std::string text = std::to_string(value);
  SetText(&text);
}

// ---- TFloatField ----

std::string TFloatField::AsString() const {
  if (IsNull()) return {};
  return FloatToText(AsFloat());
}

void TFloatField::SetAsString(const std::string& value) {
  if (value.empty()) {
    Clear();
    return;
  }
  const auto number = ParseFloat(value);
  if (!number) throw EConvertError(FormatText(SInvalidFloatValue, {value}));
  SetAsFloat(*number);
}

double TFloatField::AsFloat() const {
  std::string text;
  if (!GetText(text)) return 0.0;
  return ParseFloat(text).value_or(0.0);
}

void TFloatField::SetAsFloat(double value) {
  const std::string text = FloatToText(value);
  SetText(&text);
}

int TFloatField::AsInteger() const {
  const double rounded = std::nearbyint(AsFloat());
  if (!(rounded >= std::numeric_limits<int>::min() && rounded <= std::numeric_limits<int>::max())) {
    throw EConvertError(FormatText(SInvalidIntegerValue, {AsString()}));
  }
  return static_cast<int>(rounded);
}

// ---- TBooleanField ----

std::string TBooleanField::AsString() const {
  if (IsNull()) return {};
  return AsBoolean() ? "True" : "False";
}

void TBooleanField::SetAsString(const std::string& value) {
  if (value.empty()) {
    Clear();
    return;
  }
  for (const char* yes : {"True", "T", "Yes", "Y"}) {
    if (SameName(value, yes)) return SetAsBoolean(true);
  }
  for (const char* no : {"False", "F", "No", "N"}) {
    if (SameName(value, no)) return SetAsBoolean(false);
  }
  throw EConvertError(FormatText(SInvalidBoolValue, {value}));
}

void TBooleanField::SetAsBoolean(bool value) {
  const std::string text = value ? "True" : "False";
  SetText(&text);
}

}  // namespace framework
