#pragma once
// The engine's type library: the numbers and names that both sides of the
// automation interface agree on. The engine defines its objects with them;
// a client (the data layer) reaches those objects by ProgID and member name
// and reads these codes back. One home for each value, so that a code can be
// followed from the client's call to the engine's answer.
//
// Dependency-free on purpose: a client includes it without linking the engine.

namespace dao {

// Field type codes, as the engine reports them in Field.Type.
enum FieldTypeCode : int {
  dbBoolean = 1, dbByte = 2, dbInteger = 3, dbLong = 4, dbCurrency = 5,
  dbSingle = 6, dbDouble = 7, dbDate = 8, dbBinary = 9, dbText = 10,
  dbLongBinary = 11, dbMemo = 12, dbGUID = 15, dbBigInt = 16,
  dbVarBinary = 17, dbChar = 18, dbNumeric = 19, dbDecimal = 20, dbFloat = 21,
};

}  // namespace dao
