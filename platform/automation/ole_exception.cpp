#include "platform/automation/ole_exception.h"

namespace automation {

EOleException::EOleException(const std::string& description, HResult errorCode, std::string source,
                             std::string helpFile, std::int32_t helpContext)
    : std::runtime_error(description),
      errorCode_(errorCode),
      source_(std::move(source)),
      helpFile_(std::move(helpFile)),
      helpContext_(helpContext) {}

std::int32_t EOleException::errorNumber() const noexcept {
  const auto code = static_cast<std::uint32_t>(errorCode_);
  if ((code & 0xFFFF0000u) == 0x800A0000u) return static_cast<std::int32_t>(code & 0xFFFFu);
  return errorCode_;
}

}  // namespace automation
