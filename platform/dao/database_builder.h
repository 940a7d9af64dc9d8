#pragma once
// Creating a database file in the engine's own format, outside the
// automation interface. Used by the build-time tool that makes the bundled
// "Lexora_Concept.mdb" and by tests that need a database of their own.
//
// Contract:
//  - createNew() refuses a path where anything already exists (a file there
//    is somebody's work); it throws dao::EngineError (number 3204,
//    "Database already exists.") in that case.
//  - Text values are UTF-8 here; the engine stores and returns them unchanged
//    (no normalisation). std::nullopt stores Null.
//  - Nothing is visible to other connections before commit(); a builder that
//    is destroyed without commit() removes the half-built file.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace dao {

// DAO field type codes, as the engine reports them in Field.Type.
enum FieldTypeCode : int {
  dbBoolean = 1, dbByte = 2, dbInteger = 3, dbLong = 4, dbCurrency = 5,
  dbSingle = 6, dbDouble = 7, dbDate = 8, dbBinary = 9, dbText = 10,
  dbLongBinary = 11, dbMemo = 12, dbGUID = 15, dbBigInt = 16,
  dbVarBinary = 17, dbChar = 18, dbNumeric = 19, dbDecimal = 20, dbFloat = 21,
};

struct ColumnDefinition {
  std::string name;
  int type = dbText;          // a FieldTypeCode
  int size = 0;               // characters for dbText; 0 where the type has none
  bool autoIncrement = false; // only with dbLong; the engine numbers new rows
  bool required = false;
  bool unique = false;
  std::string defaultValue;   // as DAO reports it, e.g. "\"abc\"" or "0"; empty for none
  bool indexed = false;       // the engine keeps a case-insensitive index that criteria
                              // searches (FindFirst) on this column can use
};

struct TableDefinition {
  std::string name;
  std::vector<ColumnDefinition> columns;  // in stored order
};

using CellValue = std::optional<std::string>;  // UTF-8 text or decimal number; nullopt = Null

class DatabaseBuilder {
 public:
  static DatabaseBuilder createNew(const std::string& path);
  DatabaseBuilder(DatabaseBuilder&&) noexcept;
  DatabaseBuilder& operator=(DatabaseBuilder&&) noexcept;
  ~DatabaseBuilder();

  void createTable(const TableDefinition& table);
  // Appends rows in the given order; `columns` names a subset of the table's
  // columns (never the auto-increment one), each row holds one cell per name.
  void insertRows(const std::string& table, const std::vector<std::string>& columns,
                  const std::vector<std::vector<CellValue>>& rows);
  void commit();

 private:
  struct Impl;
  explicit DatabaseBuilder(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace dao
