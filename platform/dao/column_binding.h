#pragma once
// Column values between SQLite statements and the engine, in the file's
// stored representation (file_format.h): Boolean as 0 / 1 (read: any
// non-zero is true), Byte, Integer and Long as integers, Currency as the
// amount x 10,000, Single and Double as reals, Date as the day number,
// Text and Memo as UTF-8 text, binary as blobs.
//
// Contract:
//  - readStoredValue() gives the column's value as the engine reports it
//    (column_value.h); Null as Null.
//  - bindStoredValue() binds a value made by toStoredValue() for the column.
#include <string_view>

#include "platform/automation/variant.h"
#include "platform/dao/sqlite_handle.h"
#include "platform/dao/table_schema.h"

namespace dao {

automation::Variant readStoredValue(const SqliteStatement& statement, int index, const ColumnSchema& column);
// As readStoredValue, into an existing value (reusing its text storage).
void readStoredValueInto(const SqliteStatement& statement, int index, const ColumnSchema& column,
                         automation::Variant& value);
void bindStoredValue(SqliteStatement& statement, int index, const automation::Variant& stored,
                     const ColumnSchema& column);

// SQLite's declared type for a column of that DAO type.
std::string_view sqlColumnType(int daoType) noexcept;

}  // namespace dao
