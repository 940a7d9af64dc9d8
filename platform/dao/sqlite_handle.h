#pragma once
// Owning wrappers of SQLite's connection and prepared statement, for the
// engine's own use. Failures throw SqliteError carrying SQLite's extended
// result code; the engine turns them into its own errors.
#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace dao {

class SqliteError : public std::runtime_error {
 public:
  SqliteError(int code, const std::string& message) : std::runtime_error(message), code_(code) {}
  // Extended result code (e.g. SQLITE_BUSY_SNAPSHOT); primaryCode() without the extension.
  int code() const noexcept { return code_; }
  int primaryCode() const noexcept { return code_ & 0xFF; }

 private:
  int code_;
};

class SqliteStatement;

class SqliteConnection {
 public:
  SqliteConnection() = default;
  // flags as sqlite3_open_v2; throws SqliteError (the handle is closed again).
  SqliteConnection(const std::string& path, int flags);
  ~SqliteConnection();
  SqliteConnection(SqliteConnection&& other) noexcept;
  SqliteConnection& operator=(SqliteConnection&& other) noexcept;
  SqliteConnection(const SqliteConnection&) = delete;
  SqliteConnection& operator=(const SqliteConnection&) = delete;

  sqlite3* handle() const noexcept { return db_; }
  bool isOpen() const noexcept { return db_ != nullptr; }
  void close() noexcept;

  void execute(const std::string& sql);
  SqliteStatement prepare(std::string_view sql);
  // The first column of the first row of `sql`, as integer (0 without rows).
  std::int64_t queryInteger(const std::string& sql);
  std::string queryText(const std::string& sql);
  std::int64_t changes() const noexcept;
  std::int64_t lastInsertRowId() const noexcept;

  [[noreturn]] void fail(int code) const;

 private:
  sqlite3* db_ = nullptr;
};

class SqliteStatement {
 public:
  SqliteStatement() = default;
  SqliteStatement(sqlite3* db, sqlite3_stmt* statement) : db_(db), statement_(statement) {}
  ~SqliteStatement();
  SqliteStatement(SqliteStatement&& other) noexcept;
  SqliteStatement& operator=(SqliteStatement&& other) noexcept;
  SqliteStatement(const SqliteStatement&) = delete;
  SqliteStatement& operator=(const SqliteStatement&) = delete;

  bool isPrepared() const noexcept { return statement_ != nullptr; }
  sqlite3_stmt* handle() const noexcept { return statement_; }

  // Parameters are numbered from 1.
  void bindNull(int index);
  void bindInteger(int index, std::int64_t value);
  void bindDouble(int index, double value);
  void bindText(int index, std::string_view text);
  void bindBlob(int index, const void* data, std::size_t size);
  // A value exactly as SQLite holds it (type and bytes), e.g. one kept with StoredValue.
  void bindValue(int index, const sqlite3_value* value);

  // True while a row is available; false when done. Throws SqliteError.
  bool step();
  // Ends the statement's use (releases its read lock) and clears bindings.
  void reset() noexcept;

  int columnCount() const noexcept { return sqlite3_column_count(statement_); }
  int columnType(int column) const noexcept { return sqlite3_column_type(statement_, column); }
  bool isNull(int column) const noexcept { return columnType(column) == SQLITE_NULL; }
  std::int64_t integer(int column) const noexcept { return sqlite3_column_int64(statement_, column); }
  double real(int column) const noexcept { return sqlite3_column_double(statement_, column); }
  std::string_view text(int column) const noexcept;
  std::string_view blob(int column) const noexcept;

 private:
  sqlite3* db_ = nullptr;
  sqlite3_stmt* statement_ = nullptr;
};

// A column value copied out of a statement's row, exactly as stored.
struct StoredValueFree {
  void operator()(sqlite3_value* value) const noexcept { sqlite3_value_free(value); }
};
using StoredValue = std::unique_ptr<sqlite3_value, StoredValueFree>;
StoredValue copyColumnValue(const SqliteStatement& statement, int column);

// Resets a statement when leaving a scope, so no read lock outlives its use.
class StatementUse {
 public:
  explicit StatementUse(SqliteStatement& statement) noexcept : statement_(statement) {}
  ~StatementUse() { statement_.reset(); }
  StatementUse(const StatementUse&) = delete;
  StatementUse& operator=(const StatementUse&) = delete;

 private:
  SqliteStatement& statement_;
};

// "name" with inner double quotes doubled: an SQL identifier for any name.
std::string quoteIdentifier(std::string_view name);

}  // namespace dao
