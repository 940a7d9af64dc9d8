#include "framework/TStringField.h"

#include "platform/big5/big5.h"

namespace framework {

void TStringField::SetAsString(const std::string& value) {
  if (Size() > 0 && value.size() > static_cast<std::size_t>(Size())) {
    TField::SetAsString(std::string(big5::cutToBytes(value, static_cast<std::size_t>(Size()))));
    return;
  }
  TField::SetAsString(value);
}

}  // namespace framework
