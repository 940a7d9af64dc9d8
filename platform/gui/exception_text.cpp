#include "platform/gui/exception_text.h"

#include <cxxabi.h>
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace gui {

namespace {

// Start of the last UTF-8 character: step back over continuation bytes.
std::size_t lastCharacterStart(std::string_view text) {
  std::size_t i = text.size() - 1;
  while (i > 0 && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) --i;
  return i;
}

// "a::b<c::d>::E" → "E"; "a::Box<c::d>" → "Box<c::d>": only qualifiers at
// the outermost template depth are removed.
std::string withoutQualifiers(std::string_view name) {
  int depth = 0;
  std::size_t start = 0;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const char c = name[i];
    if (c == '<') ++depth;
    if (c == '>') --depth;
    if (depth == 0 && c == ':' && i + 1 < name.size() && name[i + 1] == ':') start = i + 2;
  }
  return std::string(name.substr(start));
}

}  // namespace

std::string withFullStop(std::string_view message) {
  std::string text(message);
  if (text.empty()) return text;
  // A lead byte of a multi-byte UTF-8 character is >= 0xC2, so comparing the
  // first byte of the last character compares its code point with '.'.
  const auto last = static_cast<unsigned char>(text[lastCharacterStart(text)]);
  if (last > static_cast<unsigned char>('.')) text += '.';
  return text;
}

std::string exceptionClassName(const std::type_info& type) {
  int status = 0;
  std::unique_ptr<char, decltype(&std::free)> demangled(
      abi::__cxa_demangle(type.name(), nullptr, nullptr, &status), &std::free);
  if (status != 0 || !demangled) return type.name();
  return withoutQualifiers(demangled.get());
}

std::string applicationErrorText(std::string_view className, std::string_view moduleName,
                                 std::uintptr_t address, std::string_view message) {
  char hex[9];
  std::snprintf(hex, sizeof hex, "%08X", static_cast<unsigned>(address & 0xFFFFFFFFu));
  std::string text = "Exception ";
  text.append(className).append(" in module ").append(moduleName).append(" at ").append(hex);
  text.append(".\n").append(withFullStop(message));
  return text;
}

std::uintptr_t stableCodeAddress(const void* code) noexcept {
  Dl_info info{};
  const auto address = reinterpret_cast<std::uintptr_t>(code);
  if (dladdr(code, &info) != 0 && info.dli_fbase != nullptr)
    return address - reinterpret_cast<std::uintptr_t>(info.dli_fbase);
  return address;
}

}  // namespace gui
