#include "framework/TField.h"

#include <limits>

#include "framework/DbErrors.h"
#include "framework/TDataSet.h"
#include "framework/TextRules.h"

namespace framework {

TField::TField(TFieldType dataType) : dataType_(dataType) {}

TField::~TField() = default;

bool TField::CanModify() const { return !readOnly_ && dataSet_ != nullptr && dataSet_->CanModify(); }

bool TField::IsNull() const {
  std::string text;
  return !GetText(text);
}

std::string TField::AsString() const {
  std::string text;
  GetText(text);
  return text;
}

void TField::SetAsString(const std::string& value) { SetText(value.empty() ? nullptr : &value); }

int TField::AsInteger() const {
  std::string text;
  if (!GetText(text)) return 0;
  const auto value = ParseInteger(text);
  if (!value || *value < std::numeric_limits<int>::min() || *value > std::numeric_limits<int>::max()) {
    throw EConvertError(FormatText(SInvalidIntegerValue, {text}));
  }
  return static_cast<int>(*value);
}

void TField::SetAsInteger(int value) { SetAsString(std::to_string(value)); }

double TField::AsFloat() const {
  std::string text;
  if (!GetText(text)) return 0.0;
  const auto value = ParseFloat(text);
  if (!value) throw EConvertError(FormatText(SInvalidFloatValue, {text}));
  return *value;
}

void TField::SetAsFloat(double value) { SetAsString(FloatToText(value)); }

bool TField::AsBoolean() const {
  std::string text;
  if (!GetText(text)) return false;
  if (SameName(text, "True")) return true;
  if (SameName(text, "False")) return false;
  throw EConvertError(FormatText(SInvalidBoolValue, {text}));
}

void TField::SetAsBoolean(bool value) { SetAsString(value ? "True" : "False"); }

void TField::Clear() { SetText(nullptr); }

void TField::FocusControl() { CheckedDataSet().FocusFieldControl(*this); }

void TField::Validate(const std::string* newText) {
  if (OnValidate) OnValidate(*this, newText);
}

void TField::Change() {
  if (OnChange) OnChange(*this);
}

bool TField::GetText(std::string& text) const { return CheckedDataSet().GetFieldData(*this, &text); }

void TField::SetText(const std::string* text) { CheckedDataSet().SetFieldData(*this, text); }

void TField::AccessError(TFieldType asType) const {
  DatabaseErrorFmt(SFieldAccessError, {DisplayName(), FieldTypeName(asType)});
}

TDataSet& TField::CheckedDataSet() const {
  if (dataSet_ == nullptr) DatabaseErrorFmt(SDataSetMissing, {DisplayName()});
  return *dataSet_;
}

}  // namespace framework
