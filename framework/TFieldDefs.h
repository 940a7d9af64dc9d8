#pragma once
// Field definitions: what a dataset's cursor reports about its columns, in
// column order. The dataset's fields are created from them when it opens.
#include <string>
#include <string_view>
#include <vector>

#include "framework/DbTypes.h"

namespace framework {

class TFieldDef {
 public:
  TFieldDef(std::string name, TFieldType dataType, int size, bool required, int fieldNo)
      : name_(std::move(name)), dataType_(dataType), size_(size), required_(required), fieldNo_(fieldNo) {}

  const std::string& Name() const noexcept { return name_; }
  TFieldType DataType() const noexcept { return dataType_; }
  // Bytes for string and byte fields, the declared size for memo and blob
  // fields, 0 for the others.
  int Size() const noexcept { return size_; }
  // A post of a row where this field is Null fails.
  bool Required() const noexcept { return required_; }
  // 1-based position among the definitions.
  int FieldNo() const noexcept { return fieldNo_; }

 private:
  std::string name_;
  TFieldType dataType_;
  int size_;
  bool required_;
  int fieldNo_;
};

class TFieldDefs {
 public:
  void Clear() noexcept { defs_.clear(); }
  // Appends a definition; its FieldNo is its 1-based position.
  TFieldDef& Add(std::string name, TFieldType dataType, int size = 0, bool required = false);

  int Count() const noexcept { return static_cast<int>(defs_.size()); }
  const TFieldDef& operator[](int index) const { return defs_.at(static_cast<std::size_t>(index)); }
  // Index of the definition with this name (letter case ignored), or -1.
  int IndexOf(std::string_view name) const noexcept;
  const TFieldDef* Find(std::string_view name) const noexcept;

  auto begin() const noexcept { return defs_.begin(); }
  auto end() const noexcept { return defs_.end(); }

 private:
  std::vector<TFieldDef> defs_;
};

}  // namespace framework
