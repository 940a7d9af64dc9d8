#include "app/controls/Big5Validator.h"

#include "platform/big5/big5.h"

namespace controls {

QValidator::State Big5Validator::validate(QString& input, int& /*pos*/) const {
  const std::optional<std::string> bytes = big5::tryFromUtf8(input.toStdString());
  const bool fits = bytes && (byteLimit_ == 0 || bytes->size() <= static_cast<std::size_t>(byteLimit_));
  if (!fits) refused_ = true;
  return fits ? Acceptable : Invalid;
}

}  // namespace controls
