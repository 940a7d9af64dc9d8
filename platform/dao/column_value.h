#pragma once
// Values between the automation caller and the stored columns.
//
// Contract:
//  - toStoredValue() turns a value assigned to Field.Value into the value the
//    column keeps: Empty and Null become Null; numbers given as text are
//    parsed (a fraction rounds to the nearest whole number, halves to the
//    even one); a value that cannot become the column's type throws
//    EngineError 3421, a number outside the type's range 3349. Text is kept
//    byte for byte. Length and required checks are not made here (Update
//    makes them, see checkStoredValue).
//  - checkStoredValue() throws 3163 for a text longer than the column's size
//    in characters (code points) and 3314 for Null in a required column.
//  - Values read are reported as: Long as Int32, Integer and Byte as Int16,
//    Boolean as Boolean, Currency, Date, Single/Double as Double, Text/Memo
//    as text, binary as bytes (column_binding.h reads them from the file).
//  - defaultValueOf() evaluates a column's DefaultValue text ("\"abc\"" is
//    abc, "0" is 0, "Null" or empty is Null, "#2024-01-31#" a date); a
//    default it cannot evaluate gives Null.
#include <cstddef>
#include <string_view>

#include "platform/automation/variant.h"
#include "platform/dao/table_schema.h"

namespace dao {

automation::Variant toStoredValue(const automation::Variant& value, const ColumnSchema& column);
void checkStoredValue(const automation::Variant& stored, const ColumnSchema& column);
automation::Variant defaultValueOf(const ColumnSchema& column);

// Code points in UTF-8 text (bytes that do not continue a sequence).
std::size_t characterCount(std::string_view utf8) noexcept;

}  // namespace dao
