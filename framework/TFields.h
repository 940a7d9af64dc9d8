#pragma once
// TFields: the field objects of an open dataset, in field-definition order.
// The collection owns them.
#include <memory>
#include <string_view>
#include <vector>

#include "framework/TField.h"

namespace framework {

class TFields {
 public:
  int Count() const noexcept { return static_cast<int>(fields_.size()); }
  TField& operator[](int index) const { return *fields_.at(static_cast<std::size_t>(index)); }
  // The field with this name (letter case ignored), or nullptr.
  TField* FindField(std::string_view name) const noexcept;

  TField& Add(std::unique_ptr<TField> field);
  void Clear() noexcept { fields_.clear(); }

  class Iterator {
   public:
    using Inner = std::vector<std::unique_ptr<TField>>::const_iterator;
    explicit Iterator(Inner inner) : inner_(inner) {}
    TField& operator*() const { return **inner_; }
    Iterator& operator++() {
      ++inner_;
      return *this;
    }
    bool operator==(const Iterator& other) const = default;

   private:
    Inner inner_;
  };
  Iterator begin() const { return Iterator(fields_.begin()); }
  Iterator end() const { return Iterator(fields_.end()); }

 private:
  std::vector<std::unique_ptr<TField>> fields_;
};

}  // namespace framework
