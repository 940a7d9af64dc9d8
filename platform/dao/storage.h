#pragma once
// Where the engine's rows are kept: the one interface between the DAO
// objects (Database, TableDefs, the dynaset with its keyset, row reader,
// edits and FindFirst) and a storage. The cursor, bookmark, conflict and
// search rules are written once above it; a storage only reads, writes and
// compiles. Two stand behind it: the database file (file_storage.h) and a
// database server, which answers every member in about one round trip.
//
// Numbers below are EngineError numbers (engine_error.h). Every member of
// an open storage may also fail with:
//  - 3420 after close() (the storage's, or any of its tables');
//  - 3218 when another writer holds a lock longer than the lock timeout;
//  - 3043 when the medium fails (disk, network, connection lost), with a
//    text naming the database; nothing is half-written then.
//
// Keys are the table's row keys: positive, handed out in ascending order
// and never reused, so a key above every key seen names a row added since.
// Values travel as the engine reports them (column_value.h: Long as Int32,
// Integer and Byte as Int16, Boolean, Currency, Date and Single/Double as
// Double, Text/Memo as UTF-8 text, binary as bytes; Null as Null).
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/automation/variant.h"
#include "platform/dao/table_schema.h"
#include "platform/dao/typelib/database_names.h"

namespace dao {

// How a database is opened (DBEngine.OpenDatabase's arguments and its
// LockTimeout).
struct OpenSettings {
  bool exclusive = false;
  bool readOnly = false;
  int lockTimeoutMilliseconds = 5000;
};

// One row as read: its key, its change counter, and its values in column
// order.
struct RowData {
  std::int64_t rowId = 0;
  std::int64_t version = 0;  // the row's change counter (0 where a table keeps none)
  std::vector<automation::Variant> values;
};

// A row's stored values exactly as the storage holds them, taken by
// StoredTable::readForEdit and handed back to StoredTable::update, which
// writes only if they are all still the same (a counter alone can be reset
// by a program that replaces the row). Only the storage that made it reads
// it.
class RowSnapshot {
 public:
  virtual ~RowSnapshot() = default;
};

// A criteria text compiled for one table by StoredTable::compileFind. It
// depends on the text and the table only, so a dynaset and its clones keep
// the last few for the texts they search again.
class CompiledFind {
 public:
  virtual ~CompiledFind() = default;
};

// What opening a dynaset reads in one go.
struct OpenedTable {
  std::int64_t highestKey = 0;  // the highest key now; 0 for an empty table
  std::vector<RowData> firstRows;  // the rows with the lowest keys, ascending
};

// The rows of one table. Made by Storage::openTable for a dynaset, shared
// with its clones; it keeps whatever the storage wants prepared for the
// table (statement texts, prepared statements), so each member costs about
// one statement. It must not outlive its Storage.
class StoredTable {
 public:
  virtual ~StoredTable() = default;
  const TableSchema& schema() const noexcept { return *schema_; }
  const std::shared_ptr<const TableSchema>& sharedSchema() const noexcept { return schema_; }

  // The highest key and the first `rows` rows, in one consistent read.
  virtual OpenedTable open(std::size_t rows) = 0;

  // Whether rows read ahead of the cursor can serve its next moves: only
  // where the storage tells cheaply that nobody committed since they were
  // read (Storage::contentStamp). Where it cannot, every landing reads its
  // row afresh anyway, and reading neighbours along would only make each
  // move's one read longer.
  virtual bool keepsRowsReadAhead() const noexcept { return true; }

  // How many keys a keyset asks for in its first read from either end
  // (later reads double it): few where a read costs little (a file), many
  // where each read is a round trip to a server, so that the keys of a table
  // of ordinary size come in one query.
  virtual std::size_t firstKeyChunk() const noexcept { return 256; }

  // Appends to `keys` the keys > `after` and <= `bound`, ascending, at most
  // `limit` of them.
  virtual void keysForward(std::int64_t after, std::int64_t bound, std::size_t limit,
                           std::vector<std::int64_t>& keys) = 0;
  // Appends to `keys` the keys > `after` and <= `bound`, descending (the
  // highest first), at most `limit` of them.
  virtual void keysBackward(std::int64_t after, std::int64_t bound, std::size_t limit,
                            std::vector<std::int64_t>& keys) = 0;
  // Every key in [low, high], ascending.
  virtual std::vector<std::int64_t> keysBetween(std::int64_t low, std::int64_t high) = 0;
  // How many keys lie in (after, bound]. Called with `after` low in the
  // table and `bound` high (the keys a keyset has not read yet), so a
  // storage may count the table and subtract the ends.
  virtual std::int64_t countKeys(std::int64_t after, std::int64_t bound) = 0;

  // Replaces the contents of `rows` (reusing their storage) with the rows
  // whose keys lie in [low, high], ascending; low == high asks for one row.
  virtual void readRows(std::int64_t low, std::int64_t high, std::vector<RowData>& rows) = 0;
  // The row `key` as stored now, with a snapshot of its stored values;
  // nullptr (and `row` unspecified) when there is no such row.
  virtual std::unique_ptr<RowSnapshot> readForEdit(std::int64_t key, RowData& row) = 0;

  // Writes values[i] for every i in `written` (indexes of columns; never the
  // auto-increment column) into row `key` and raises its change counter, in
  // one transaction, if the row's counter is still `version` and its stored
  // values are still those of `snapshot` (made by readForEdit on this
  // table). 3197 when the row was changed, replaced or deleted since
  // (nothing is written); 3022 when a unique column would hold a value
  // twice, 3314 when a required column would be Null, 3163 when a text is
  // too long for the column (naming the field where the text has a place
  // for it). `values` holds one value per column, already converted
  // (toStoredValue) and checked (checkStoredValue).
  virtual void update(std::int64_t key, const RowSnapshot& snapshot, std::int64_t version,
                      std::span<const std::size_t> written, std::span<const automation::Variant> values) = 0;
  // Adds a row with `values` (one per column; the auto-increment column's
  // is ignored, the storage hands out the key) in one transaction and
  // returns its key, higher than every key the table ever had. Errors as
  // update() (but never 3197).
  virtual std::int64_t insert(std::span<const automation::Variant> values) = 0;
  // Deletes row `key` in one transaction; 3167 when there is no such row.
  virtual void remove(std::int64_t key) = 0;

  // Compiles `criteria` (criteria.h) for this table; a name may be written
  // as the field alone or as table.field, letter case ignored. 3077 for text
  // that does not parse, 3070 (naming it) for a name that is no field.
  virtual std::shared_ptr<const CompiledFind> compileFind(std::string_view criteria) = 0;
  // The lowest key of a row that matches `compiled` (made by compileFind on
  // this table) and that `accept` accepts; nullopt when there is none.
  // `accept` is asked in ascending key order and must not use the storage.
  virtual std::optional<std::int64_t> findFirst(const CompiledFind& compiled,
                                                const std::function<bool(std::int64_t)>& accept) = 0;
  // findFirst, and where the storage can do so for much less than a read of
  // its own, the row found as well, read in the same snapshot as its key,
  // into `row`; row.rowId is the key found when it was read, 0 when not (and
  // when nothing was found).
  virtual std::optional<std::int64_t> findFirstWithRow(const CompiledFind& compiled,
                                                       const std::function<bool(std::int64_t)>& accept,
                                                       RowData& row) {
    row.rowId = 0;
    return findFirst(compiled, accept);
  }

 protected:
  explicit StoredTable(std::shared_ptr<const TableSchema> schema) : schema_(std::move(schema)) {}

 private:
  std::shared_ptr<const TableSchema> schema_;
};

// One open database.
class Storage {
 public:
  virtual ~Storage() = default;
  Storage(const Storage&) = delete;
  Storage& operator=(const Storage&) = delete;

  virtual bool isOpen() const noexcept = 0;
  // Opened read-only: every write fails with 3027 and nothing is written.
  virtual bool isReadOnly() const noexcept = 0;
  virtual bool isExclusive() const noexcept = 0;
  // What Database.Name reports: the file's path, or the server and database.
  virtual const std::string& displayName() const noexcept = 0;
  // The network or FUSE file system a database file lies on ("NFS",
  // "SMB2", ...); empty on a local disk and for a server.
  virtual std::string networkFileSystem() const = 0;
  // Database.Version ("3.0") and Database.CollatingOrder (1033).
  virtual std::string version() = 0;
  virtual std::int32_t collatingOrder() = 0;
  // Ends the connection; idempotent. Tables made by openTable fail with
  // 3420 from then on.
  virtual void close() noexcept = 0;

  // Every table (the engine's metadata tables listed as system tables after
  // the user's), in the order of creation.
  virtual std::vector<TableSummary> listTables() = 0;
  // The table of that name, letter case ignored: 3078 when there is none,
  // 3265 when a column the catalogue lists is missing from the table itself.
  virtual std::shared_ptr<const TableSchema> loadTableSchema(std::string_view tableName) = 0;
  // How many rows the table holds now (TableDef.RecordCount).
  virtual std::int64_t rowCount(const TableSchema& table) = 0;
  // The rows of a table loaded by loadTableSchema of this storage.
  virtual std::shared_ptr<StoredTable> openTable(std::shared_ptr<const TableSchema> table) = 0;

  // A number that differs from every earlier result whenever a writer
  // (this connection or another) may have committed since; equal results
  // mean nothing changed in between. Spurious changes are allowed, missed
  // ones are not: a storage that cannot tell cheaply returns a new number
  // on every call (rows are then read afresh every time).
  virtual std::uint64_t contentStamp() = 0;

 protected:
  Storage() = default;
};

// Opens the database `name` names: a database server's when the name is a
// connection string (typelib/database_names.h) and no file of that name exists,
// through the program's server storage (below; 3170 when it has none or its
// module cannot be loaded); otherwise the database file (file_storage.h, whose
// errors it raises: 3024, 3343, 3051, 3049, 3045). The single place where
// names of other storages are told from file names.
std::shared_ptr<Storage> openStorage(const std::string& name, const OpenSettings& settings);

// DBEngine.PrepareDatabase: for a server database whose storage is loaded
// on demand, the loading (the storage and the server's client library, some
// milliseconds) starts now on a thread of its own, so that it overlaps the
// program's other start-up work and the open later waits only for what is
// left of it. Nothing for a file name, or when the storage is there already;
// never fails (a load that fails is tried again, and reported, by the open).
void prepareDatabaseStorage(const std::string& name) noexcept;

// The server storage lives in a library of its own, because it needs the
// server's client library. A program gets it in one of two ways, both set up
// before main() runs:
//  - linking it (zen_dao_server): it registers its opener here
//    (server/server_registration.cpp);
//  - naming where its module lies (server/server_module_location.cpp): the
//    first server name opened loads the module (dlopen) and takes its opener
//    from it; file names never load it. The module is looked for at
//    `besideProgram`, a path relative to the folder of the running program
//    (the installed layout), and, for a program that lies inside the folder
//    `buildFolder`, at `built`. A module that cannot be loaded is looked for
//    again at the next server name.
using StorageOpener = std::shared_ptr<Storage> (*)(const std::string& name, const OpenSettings& settings);
void registerServerStorage(StorageOpener opener) noexcept;
// The three texts must live as long as the program (string literals).
void registerServerStorageModule(const char* besideProgram, const char* buildFolder, const char* built) noexcept;

// Why the server storage's module could not be loaded the last time it was
// tried (the loader's own texts, one per place looked at); empty when it
// was loaded or never tried. The engine's error stays 3170 with its
// standard text.
std::string serverStorageLoadFailure();

}  // namespace dao
