#pragma once
// TField: one column of a dataset, read and written through the dataset's
// active record buffer.
//
// Contract:
//  - Fields are created by their dataset when it opens (one per field
//    definition, FieldFactory.h) and destroyed when it closes; a pointer to
//    a field is valid only while its dataset is open, and data links drop
//    theirs when the dataset goes inactive.
//  - Values travel as texts (TRecordBuffer): reading asks the dataset's
//    GetFieldData, writing its SetFieldData. An empty text is Null. Typed
//    accessors (AsInteger, AsFloat, AsBoolean) convert from and to that text;
//    the field classes refine the conversions for their types.
//  - Writing a field stores the text in the active record buffer with its
//    changed flag and tells the dataset's links that the field changed
//    (controls bound to it reload at once), then runs OnChange. Writing in
//    browse state is not refused: the text stays in the buffer until the
//    next re-read. A read-only field ignores writes. OnValidate runs before
//    a value is stored and may refuse it by throwing.
#include <functional>
#include <string>

#include "framework/DbTypes.h"

namespace framework {

class TDataSet;

class TField {
 public:
  explicit TField(TFieldType dataType = ftUnknown);
  virtual ~TField();
  TField(const TField&) = delete;
  TField& operator=(const TField&) = delete;

  const std::string& FieldName() const noexcept { return fieldName_; }
  void SetFieldName(std::string name) { fieldName_ = std::move(name); }
  // 1-based position in the dataset's record buffers; 0 while unbound.
  int FieldNo() const noexcept { return fieldNo_; }
  TFieldType DataType() const noexcept { return dataType_; }
  // Bytes for text fields (writes are cut to it), declared size otherwise.
  int Size() const noexcept { return size_; }
  void SetSize(int size) noexcept { size_ = size; }
  bool Required() const noexcept { return required_; }
  void SetRequired(bool required) noexcept { required_ = required; }
  bool ReadOnly() const noexcept { return readOnly_; }
  void SetReadOnly(bool readOnly) noexcept { readOnly_ = readOnly; }
  // The name shown to the user: the display label, else the field name.
  const std::string& DisplayName() const noexcept { return displayLabel_.empty() ? fieldName_ : displayLabel_; }
  void SetDisplayLabel(std::string label) { displayLabel_ = std::move(label); }
  // An expression whose value a dataset puts into new rows (its meaning is
  // the concrete dataset's); empty when there is none.
  const std::string& DefaultExpression() const noexcept { return defaultExpression_; }
  void SetDefaultExpression(std::string expression) { defaultExpression_ = std::move(expression); }
  TDataSet* DataSet() const noexcept { return dataSet_; }
  // The dataset can modify and the field is not read-only.
  bool CanModify() const;
  // Memo and blob fields, whose values go through a blob stream.
  virtual bool IsBlob() const noexcept { return false; }

  bool IsNull() const;
  // The value as text; "" when Null.
  virtual std::string AsString() const;
  // Stores the text; "" stores Null.
  virtual void SetAsString(const std::string& value);
  // Null reads as 0. Throws EConvertError when the text is no whole number.
  virtual int AsInteger() const;
  virtual void SetAsInteger(int value);
  // Null reads as 0. Throws EConvertError when the text is no number.
  virtual double AsFloat() const;
  virtual void SetAsFloat(double value);
  // "True"/"False" in any letter case; Null reads as false. Throws
  // EConvertError for other texts.
  virtual bool AsBoolean() const;
  virtual void SetAsBoolean(bool value);
  // The text a control shows; AsString unless a field class says otherwise.
  virtual std::string DisplayText() const { return AsString(); }
  // Stores Null.
  void Clear();
  // Asks the dataset's links to focus the control of this field.
  void FocusControl();

  std::function<void(TField&)> OnChange;
  // Receives the text about to be stored (nullptr for Null); throwing
  // refuses the value.
  std::function<void(TField&, const std::string* newText)> OnValidate;

  // Called by the dataset around a write.
  void Validate(const std::string* newText);
  void Change();

 protected:
  // The stored text; false when Null.
  bool GetText(std::string& text) const;
  // Hands a text (nullptr = Null) to the dataset.
  void SetText(const std::string* text);
  [[noreturn]] void AccessError(TFieldType asType) const;

 private:
  friend class TDataSet;
  void Bind(TDataSet* dataSet, int fieldNo) noexcept {
    dataSet_ = dataSet;
    fieldNo_ = fieldNo;
  }
  TDataSet& CheckedDataSet() const;

  std::string fieldName_;
  std::string displayLabel_;
  std::string defaultExpression_;
  TDataSet* dataSet_ = nullptr;
  int fieldNo_ = 0;
  TFieldType dataType_;
  int size_ = 0;
  bool required_ = false;
  bool readOnly_ = false;
};

}  // namespace framework
