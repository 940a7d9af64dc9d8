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
//    is destroyed without commit() removes the half-built file. The file is
//    built under a temporary name beside `path` and appears at `path` only
//    when commit() succeeds, so an interrupted build leaves nothing there.
//  - createTable() refuses an existing table name (3010), reserved names
//    (beginning with "zen_", "sqlite_" or "ZSys": 3001), a field name given
//    twice (3191, letter case ignored), an unsupported type or an
//    auto-increment column that is not dbLong or not the only one (3259).
//    A table without an auto-increment column gets a hidden row key.
//  - insertRows() converts and checks every cell as the engine's Update
//    does: a field the table lacks 3265, the auto-increment field 3164, text
//    longer than the size in characters 3163, Null where a value is required
//    3314, a duplicate in a unique field 3022, text that is no number for a
//    number field 3421. Fields not named get their DefaultValue. A failing
//    call inserts none of its rows.
//  - After commit() the builder is finished; any further call throws 3420.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/automation/variant.h"
#include "platform/dao/engine_error.h"
#include "platform/dao/typelib/dao_typelib.h"

namespace dao {

struct ColumnDefinition {
  std::string name;
  int type = dbText;          // a FieldTypeCode
  int size = 0;               // characters for dbText; 0 where the type has none
  bool autoIncrement = false; // only with dbLong; the engine numbers new rows
  bool required = false;
  bool unique = false;
  std::string defaultValue{}; // as DAO reports it, e.g. "\"abc\"" or "0"; empty for none
  bool indexed = false;       // the engine keeps a case-insensitive index that criteria
                              // searches (FindFirst) on this column can use
  std::string format{};       // the field's "Format" property (e.g. "Short Time"); empty for none
};

struct TableDefinition {
  std::string name;
  std::vector<ColumnDefinition> columns;  // in stored order
  bool systemTable = false;  // TableDefs reports it with the system-object attributes (0x80000002)
};

using CellValue = std::optional<std::string>;  // UTF-8 text or decimal number; nullopt = Null

// A row as another copy of the database holds it: its row key (the
// auto-increment field's number, or the hidden key of a table without one),
// its row version, and one value per field in stored order, each of the kind
// the engine keeps for the field's type (Boolean bool, Byte and Integer
// Int16, Long Int32, Currency, Single and Double Double, Date, Text and Memo
// text, binary bytes; Null). The auto-increment field's value is the key.
struct CopiedRow {
  std::int64_t key = 0;
  std::int64_t version = 0;
  std::vector<automation::Variant> values;
};

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
  // As insertRows, but `columns` may name the auto-increment field, whose
  // given whole numbers become the rows' numbers (a copied table keeps its
  // IDs; later rows are numbered after the highest). A Null there lets the
  // engine number the row; a number given twice fails with 3022.
  void insertRowsKeepingKeys(const std::string& table, const std::vector<std::string>& columns,
                             const std::vector<std::vector<CellValue>>& rows);
  // How commit() leaves the file: synced to the disk before it is given its
  // name (the default), or not synced, for a caller that syncs the file
  // itself before relying on it or naming it anything lasting (the import
  // gives it a temporary name and syncs it while it checks it).
  enum class Sync { beforeNaming, byCaller };
  void commit(Sync sync = Sync::beforeNaming);

 private:
  struct Impl;
  explicit DatabaseBuilder(std::unique_ptr<Impl> impl);
  void insert(const std::string& table, const std::vector<std::string>& columns,
              const std::vector<std::vector<CellValue>>& rows, bool keepKeys);
  std::unique_ptr<Impl> impl_;

 public:
  // Appends rows keeping their keys and row versions exactly (a database
  // copied from elsewhere). Values are checked as insertRows checks them;
  // a row key given twice fails with 3022, a row with the wrong number of
  // values with 3001. A failing call inserts none of its rows.
  void insertCopiedRows(const std::string& table, const std::vector<CopiedRow>& rows);
  // New rows of the table are numbered after `highestUsed` even when no
  // row holds that key any more (keys of deleted rows are never reused).
  void keepKeysAbove(const std::string& table, std::int64_t highestUsed);
};

}  // namespace dao
