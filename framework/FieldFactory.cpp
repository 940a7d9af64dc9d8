#include "framework/FieldFactory.h"

#include "framework/BlobFields.h"
#include "framework/ScalarFields.h"
#include "framework/TStringField.h"

namespace framework {

namespace {

std::unique_ptr<TField> MakeForType(TFieldType type) {
  switch (type) {
    case ftString: return std::make_unique<TStringField>();
    case ftSmallint: return std::make_unique<TSmallintField>();
    case ftInteger: return std::make_unique<TIntegerField>();
    case ftWord: return std::make_unique<TWordField>();
    case ftAutoInc: return std::make_unique<TAutoIncField>();
    case ftBoolean: return std::make_unique<TBooleanField>();
    case ftFloat: return std::make_unique<TFloatField>();
    case ftCurrency: return std::make_unique<TCurrencyField>();
    case ftDate:
    case ftTime:
    case ftDateTime: return std::make_unique<TDateTimeField>(type);
    case ftBlob: return std::make_unique<TBlobField>();
    case ftMemo: return std::make_unique<TMemoField>();
    case ftBytes:
    case ftUnknown: break;
  }
  return std::make_unique<TField>(type);
}

}  // namespace

std::unique_ptr<TField> CreateField(const TFieldDef& def) {
  auto field = MakeForType(def.DataType());
  field->SetFieldName(def.Name());
  field->SetSize(def.Size());
  field->SetRequired(def.Required());
  return field;
}

}  // namespace framework
