#pragma once
// The texts of the application's error boxes, computed without any toolkit so
// that they can be checked on their own. Texts are UTF-8.
#include <cstdint>
#include <string>
#include <string_view>
#include <typeinfo>

namespace gui {

// The text of an error box: the message with a full stop appended when its
// last character sorts after "." ("abc" → "abc.", "abc." and "abc!" stay).
// Characters are compared by code point, so any non-ASCII last character
// (such as a Chinese one) gets the full stop. An empty text stays empty.
std::string withFullStop(std::string_view message);

// The unqualified, demangled name of a class as the user sees it in the
// "Application Error" box: "EDatabaseError" for zen::data::EDatabaseError.
// Template arguments are kept ("Box<int>"). Falls back to the raw name when
// the name cannot be demangled.
std::string exceptionClassName(const std::type_info& type);

// The text of the last-resort box shown when the main form cannot be
// created: "Exception <class> in module <module> at <address>." followed by
// a line break and the message (with the full-stop rule). The address is
// written as 8 uppercase hexadecimal digits (its low 32 bits).
std::string applicationErrorText(std::string_view className, std::string_view moduleName,
                                 std::uintptr_t address, std::string_view message);

// A code address that names the place of the failure for the box above and
// stays the same from run to run: the offset of the given code within its
// loaded module (address space layout randomisation is taken out).
std::uintptr_t stableCodeAddress(const void* code) noexcept;

}  // namespace gui
