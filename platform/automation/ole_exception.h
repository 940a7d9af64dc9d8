#pragma once
// EOleException: the failure of a late-bound call, as the automation server
// reported it. what() is the server's description, unchanged.
//
// errorCode() is the HRESULT of the failure. An automation server's own
// errors use the facility FACILITY_CONTROL (0x800A0000 | number);
// errorNumber() gives that number (e.g. 3021), or the whole HRESULT for
// failures of other facilities.
#include <cstdint>
#include <stdexcept>
#include <string>

namespace automation {

using HResult = std::int32_t;

namespace hresult {
constexpr HResult ok = 0;                                        // S_OK
constexpr HResult alreadyInitialized = 1;                        // S_FALSE
constexpr HResult failure = static_cast<HResult>(0x80004005);   // E_FAIL
constexpr HResult unknownName = static_cast<HResult>(0x80020006);  // DISP_E_UNKNOWNNAME
constexpr HResult memberNotFound = static_cast<HResult>(0x80020003);  // DISP_E_MEMBERNOTFOUND
constexpr HResult typeMismatch = static_cast<HResult>(0x80020005);   // DISP_E_TYPEMISMATCH
constexpr HResult badParameterCount = static_cast<HResult>(0x8002000E);  // DISP_E_BADPARAMCOUNT
constexpr HResult invalidClassString = static_cast<HResult>(0x800401F3);  // CO_E_CLASSSTRING
constexpr HResult notInitialized = static_cast<HResult>(0x800401F0);     // CO_E_NOTINITIALIZED
constexpr HResult changedMode = static_cast<HResult>(0x80010106);        // RPC_E_CHANGED_MODE

// The HRESULT by which an automation server reports its own error number.
constexpr HResult fromServerError(std::int32_t number) {
  return static_cast<HResult>(0x800A0000u | (static_cast<std::uint32_t>(number) & 0xFFFFu));
}
}  // namespace hresult

class EOleException : public std::runtime_error {
 public:
  EOleException(const std::string& description, HResult errorCode, std::string source = {},
                std::string helpFile = {}, std::int32_t helpContext = 0);

  HResult errorCode() const noexcept { return errorCode_; }
  std::int32_t errorNumber() const noexcept;
  const std::string& source() const noexcept { return source_; }
  const std::string& helpFile() const noexcept { return helpFile_; }
  std::int32_t helpContext() const noexcept { return helpContext_; }

 private:
  HResult errorCode_;
  std::string source_;
  std::string helpFile_;
  std::int32_t helpContext_;
};

}  // namespace automation
