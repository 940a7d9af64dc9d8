#include "platform/dao/sqlite_handle.h"

#include <utility>

namespace dao {

SqliteConnection::SqliteConnection(const std::string& path, int flags) {
  sqlite3* db = nullptr;
  const int code = sqlite3_open_v2(path.c_str(), &db, flags | SQLITE_OPEN_EXRESCODE, nullptr);
  if (code != SQLITE_OK) {
    const std::string message = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(code);
    sqlite3_close_v2(db);
    throw SqliteError(code, message);
  }
  // A double-quoted name that matches no column must fail, not be read as
  // the text of the name (which would show a column name as data).
  sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
  sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
  db_ = db;
}

SqliteConnection::~SqliteConnection() { close(); }

SqliteConnection::SqliteConnection(SqliteConnection&& other) noexcept : db_(std::exchange(other.db_, nullptr)) {}

SqliteConnection& SqliteConnection::operator=(SqliteConnection&& other) noexcept {
  if (this != &other) {
    close();
    db_ = std::exchange(other.db_, nullptr);
  }
  return *this;
}

void SqliteConnection::close() noexcept {
  if (db_ != nullptr) sqlite3_close_v2(std::exchange(db_, nullptr));
}

void SqliteConnection::fail(int code) const {
  throw SqliteError(code, db_ != nullptr ? sqlite3_errmsg(db_) : sqlite3_errstr(code));
}

void SqliteConnection::execute(const std::string& sql) {
  const int code = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr);
  if (code != SQLITE_OK) fail(sqlite3_extended_errcode(db_));
}

SqliteStatement SqliteConnection::prepare(std::string_view sql) {
  sqlite3_stmt* statement = nullptr;
  const int code = sqlite3_prepare_v3(db_, sql.data(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT,
                                      &statement, nullptr);
  if (code != SQLITE_OK) fail(sqlite3_extended_errcode(db_));
  return SqliteStatement(db_, statement);
}

std::int64_t SqliteConnection::queryInteger(const std::string& sql) {
  SqliteStatement statement = prepare(sql);
  return statement.step() ? statement.integer(0) : 0;
}

std::string SqliteConnection::queryText(const std::string& sql) {
  SqliteStatement statement = prepare(sql);
  return statement.step() ? std::string(statement.text(0)) : std::string();
}

std::int64_t SqliteConnection::changes() const noexcept { return sqlite3_changes64(db_); }

std::int64_t SqliteConnection::lastInsertRowId() const noexcept { return sqlite3_last_insert_rowid(db_); }

SqliteStatement::~SqliteStatement() {
  if (statement_ != nullptr) sqlite3_finalize(statement_);
}

SqliteStatement::SqliteStatement(SqliteStatement&& other) noexcept
    : db_(std::exchange(other.db_, nullptr)), statement_(std::exchange(other.statement_, nullptr)) {}

SqliteStatement& SqliteStatement::operator=(SqliteStatement&& other) noexcept {
  if (this != &other) {
    if (statement_ != nullptr) sqlite3_finalize(statement_);
    db_ = std::exchange(other.db_, nullptr);
    statement_ = std::exchange(other.statement_, nullptr);
  }
  return *this;
}

namespace {

void check(sqlite3* db, int code) {
  if (code != SQLITE_OK) throw SqliteError(sqlite3_extended_errcode(db), sqlite3_errmsg(db));
}

}  // namespace

void SqliteStatement::bindNull(int index) { check(db_, sqlite3_bind_null(statement_, index)); }

void SqliteStatement::bindInteger(int index, std::int64_t value) {
  check(db_, sqlite3_bind_int64(statement_, index, value));
}

void SqliteStatement::bindDouble(int index, double value) { check(db_, sqlite3_bind_double(statement_, index, value)); }

void SqliteStatement::bindText(int index, std::string_view text) {
  check(db_, sqlite3_bind_text64(statement_, index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8));
}

void SqliteStatement::bindBlob(int index, const void* data, std::size_t size) {
  check(db_, sqlite3_bind_blob64(statement_, index, size == 0 ? "" : data, size, SQLITE_TRANSIENT));
}

void SqliteStatement::bindValue(int index, const sqlite3_value* value) {
  check(db_, sqlite3_bind_value(statement_, index, value));
}

StoredValue copyColumnValue(const SqliteStatement& statement, int column) {
  StoredValue copy(sqlite3_value_dup(sqlite3_column_value(statement.handle(), column)));
  if (!copy) throw SqliteError(SQLITE_NOMEM, "out of memory");
  return copy;
}

bool SqliteStatement::step() {
  const int code = sqlite3_step(statement_);
  if (code == SQLITE_ROW) return true;
  if (code == SQLITE_DONE) return false;
  const int extended = sqlite3_extended_errcode(db_);
  const std::string message = sqlite3_errmsg(db_);
  sqlite3_reset(statement_);
  throw SqliteError(extended, message);
}

void SqliteStatement::reset() noexcept {
  if (statement_ != nullptr) {
    sqlite3_reset(statement_);
    sqlite3_clear_bindings(statement_);
  }
}

std::string_view SqliteStatement::text(int column) const noexcept {
  const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
  if (data == nullptr) return {};
  return std::string_view(data, static_cast<std::size_t>(sqlite3_column_bytes(statement_, column)));
}

std::string_view SqliteStatement::blob(int column) const noexcept {
  const auto* data = static_cast<const char*>(sqlite3_column_blob(statement_, column));
  if (data == nullptr) return {};
  return std::string_view(data, static_cast<std::size_t>(sqlite3_column_bytes(statement_, column)));
}

std::string quoteIdentifier(std::string_view name) {
  std::string quoted = "\"";
  for (char c : name) {
    quoted += c;
    if (c == '"') quoted += '"';
  }
  quoted += '"';
  return quoted;
}

}  // namespace dao

