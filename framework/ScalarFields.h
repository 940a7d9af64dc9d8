#pragma once
// The scalar field classes: whole numbers, floating-point numbers,
// Booleans and dates. Their values are stored as texts (TRecordBuffer); each
// class reads its text in its own way and writes its canonical text.
#include "framework/TField.h"

namespace framework {

// Whole numbers. A stored text that is a decimal number reads as the nearest
// whole number, halves to the even one ("12.6" reads as 13); a text that is
// no number at all reads as 0. Writing checks the range of the type.
class TIntegerField : public TField {
 public:
  TIntegerField() : TIntegerField(ftInteger, -2147483648LL, 2147483647LL) {}

  long long MinValue() const noexcept { return min_; }
  long long MaxValue() const noexcept { return max_; }

  // "" for Null, else the decimal text of AsInteger.
  std::string AsString() const override;
  // "" stores Null; anything but a whole number throws EConvertError; a
  // number outside the range throws EDatabaseError.
  void SetAsString(const std::string& value) override;
  int AsInteger() const override;
  void SetAsInteger(int value) override;
  double AsFloat() const override { return AsInteger(); }
  // Rounds halves to even, then as SetAsInteger.
  void SetAsFloat(double value) override;
  bool AsBoolean() const override { AccessError(ftBoolean); }
  void SetAsBoolean(bool) override { AccessError(ftBoolean); }

 protected:
  TIntegerField(TFieldType type, long long min, long long max) : TField(type), min_(min), max_(max) {}

 private:
  void StoreChecked(long long value);

  long long min_;
  long long max_;
};

class TSmallintField : public TIntegerField {
 public:
  TSmallintField() : TIntegerField(ftSmallint, -32768, 32767) {}
};

class TWordField : public TIntegerField {
 public:
  TWordField() : TIntegerField(ftWord, 0, 65535) {}
};

// A number the database assigns to new rows; read-only from the start.
class TAutoIncField : public TIntegerField {
 public:
  TAutoIncField() : TIntegerField(ftAutoInc, -2147483648LL, 2147483647LL) { SetReadOnly(true); }
};

class TFloatField : public TField {
 public:
  TFloatField() : TField(ftFloat) {}

  // "" for Null, else the shortest text of AsFloat.
  std::string AsString() const override;
  // "" stores Null; a text that is no number throws EConvertError.
  void SetAsString(const std::string& value) override;
  // Null and unreadable texts read as 0.
  double AsFloat() const override;
  void SetAsFloat(double value) override;
  // Rounds halves to even; throws EConvertError outside the int range.
  int AsInteger() const override;
  void SetAsInteger(int value) override { SetAsFloat(value); }
  bool AsBoolean() const override { AccessError(ftBoolean); }
  void SetAsBoolean(bool) override { AccessError(ftBoolean); }

 protected:
  explicit TFloatField(TFieldType type) : TField(type) {}
};

class TCurrencyField : public TFloatField {
 public:
  TCurrencyField() : TFloatField(ftCurrency) {}
};

// Stored as "True" or "False".
class TBooleanField : public TField {
 public:
  TBooleanField() : TField(ftBoolean) {}

  std::string AsString() const override;
  // "" stores Null; "True"/"False" (also "T"/"F", "Yes"/"No", any case)
  // store the value; other texts throw EConvertError.
  void SetAsString(const std::string& value) override;
  void SetAsBoolean(bool value) override;
  int AsInteger() const override { AccessError(ftInteger); }
  void SetAsInteger(int) override { AccessError(ftInteger); }
  double AsFloat() const override { AccessError(ftFloat); }
  void SetAsFloat(double) override { AccessError(ftFloat); }
};

// Dates and times. The text form is the concrete dataset's; the field passes
// it through unchanged.
class TDateTimeField : public TField {
 public:
  explicit TDateTimeField(TFieldType type = ftDateTime) : TField(type) {}
};

}  // namespace framework
