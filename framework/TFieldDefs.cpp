#include "framework/TFieldDefs.h"

#include "framework/TextRules.h"

namespace framework {

TFieldDef& TFieldDefs::Add(std::string name, TFieldType dataType, int size, bool required) {
  const int fieldNo = Count() + 1;
  return defs_.emplace_back(std::move(name), dataType, size, required, fieldNo);
}

int TFieldDefs::IndexOf(std::string_view name) const noexcept {
  for (std::size_t i = 0; i < defs_.size(); ++i) {
    if (SameName(defs_[i].Name(), name)) return static_cast<int>(i);
  }
  return -1;
}

const TFieldDef* TFieldDefs::Find(std::string_view name) const noexcept {
  const int index = IndexOf(name);
  return index < 0 ? nullptr : &defs_[static_cast<std::size_t>(index)];
}

}  // namespace framework
