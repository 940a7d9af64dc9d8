#include "framework/TFields.h"

#include "framework/TextRules.h"

namespace framework {

TField* TFields::FindField(std::string_view name) const noexcept {
  for (const auto& field : fields_) {
    if (SameName(field->FieldName(), name)) return field.get();
  }
  return nullptr;
}

TField& TFields::Add(std::unique_ptr<TField> field) { return *fields_.emplace_back(std::move(field)); }

}  // namespace framework
