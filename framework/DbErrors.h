#pragma once
// Errors of the dataset framework.
//
// EDatabaseError carries the framework's fixed English texts. Texts raised
// for a component are preceded by the component's name and ": " (nothing is
// put in front when the component has no name), so the user can tell which
// table refused. EConvertError reports a text that a field cannot turn into
// its type. EAbort is the application's silent exception (the exception
// display swallows it); an event handler raises it with Abort() to stop the
// operation it was called from without a message.
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/sysutils/EAbort.h"

namespace framework {

class TComponent;

class EDatabaseError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class EConvertError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

using ::EAbort;

// The framework's message texts; "%s" marks where FormatText puts a value.
inline constexpr std::string_view SRecordNotFound = "Record not found";
inline constexpr std::string_view SDataSetReadOnly = "Cannot modify a read-only dataset";
inline constexpr std::string_view SDataSetEmpty = "Cannot perform this operation on an empty dataset";
inline constexpr std::string_view SDataSetClosed = "Cannot perform this operation on a closed dataset";
inline constexpr std::string_view SDataSetOpen = "Cannot perform this operation on an open dataset";
inline constexpr std::string_view SNotEditing = "Dataset not in edit or insert mode";
inline constexpr std::string_view SFieldNotFound = "Field '%s' not found";
inline constexpr std::string_view SFieldRequired = "Field '%s' must have a value";
inline constexpr std::string_view SFieldAccessError = "Cannot access field '%s' as type %s";
inline constexpr std::string_view SFieldRangeError =
    "%s is not a valid value for field '%s'. The allowed range is %s to %s";
inline constexpr std::string_view SInvalidIntegerValue = "'%s' is not a valid integer value";
inline constexpr std::string_view SInvalidFloatValue = "'%s' is not a valid floating point value";
inline constexpr std::string_view SInvalidBoolValue = "'%s' is not a valid boolean value";
inline constexpr std::string_view SNotSupported = "Operation not supported";
inline constexpr std::string_view SDataSetMissing = "Field '%s' has no dataset";

// Puts the arguments in place of the pattern's "%s" markers, in order; "%%"
// gives one "%". Missing arguments leave the marker empty, extra ones are
// ignored.
std::string FormatText(std::string_view pattern, std::initializer_list<std::string_view> args);

// Throws EDatabaseError with the message, preceded by "<name>: " when a
// component with a non-empty name is given.
[[noreturn]] void DatabaseError(std::string_view message, const TComponent* component = nullptr);

// As DatabaseError, with the message built by FormatText.
[[noreturn]] void DatabaseErrorFmt(std::string_view pattern, std::initializer_list<std::string_view> args,
                                   const TComponent* component = nullptr);

// Throws the silent EAbort.
[[noreturn]] void Abort();

}  // namespace framework
