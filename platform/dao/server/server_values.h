#pragma once
// Values between the engine and a server table's columns, as PostgreSQL's
// text format carries them. The stored representation is the file's
// (server_schema.h), so a value read back is the value written, bit for bit:
// floating-point numbers travel as their shortest exact decimal text, a
// Single as the float it is stored as.
//
// Contract:
//  - toServerText() takes a value already converted for the column
//    (toStoredValue); Null gives std::nullopt (SQL NULL). Text holding a
//    NUL character throws EngineError 3421 (the server's text cannot hold
//    it; the file's can).
//  - fromServerText() gives the value as the engine reports it
//    (column_value.h's readStoredValue); text the column's type cannot hold
//    throws EngineError 3421.
#include <optional>
#include <string>
#include <string_view>

#include "platform/automation/variant.h"
#include "platform/dao/table_schema.h"

namespace dao::server {

std::optional<std::string> toServerText(const automation::Variant& stored, const ColumnSchema& column);

void fromServerText(std::string_view text, const ColumnSchema& column, automation::Variant& value);

}  // namespace dao::server
