#pragma once
// The field class for each field type.
#include <memory>

#include "framework/TFieldDefs.h"
#include "framework/TField.h"

namespace framework {

// A new, unbound field of the class for the definition's type, carrying the
// definition's name, size and required flag. Unknown types get a plain TField
// that passes its text through.
std::unique_ptr<TField> CreateField(const TFieldDef& def);

}  // namespace framework
