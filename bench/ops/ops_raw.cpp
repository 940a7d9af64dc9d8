#include "bench/ops/ops_raw.h"

#include <stdexcept>

namespace opsbench {

RawStatement::RawStatement(sqlite3* db, const std::string& sql) {
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement_, nullptr) != SQLITE_OK) {
    throw std::runtime_error(std::string("prepare failed: ") + sqlite3_errmsg(db) + " in " + sql);
  }
}

RawStatement::~RawStatement() { sqlite3_finalize(statement_); }

RawConnection::RawConnection(const std::string& path, const char* synchronous) {
  if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
    sqlite3_close(db_);
    throw std::runtime_error("cannot open " + path);
  }
  sqlite3_busy_timeout(db_, 5000);
  execute("PRAGMA journal_mode=WAL");
  execute(std::string("PRAGMA synchronous=") + synchronous);
}

RawConnection::~RawConnection() { sqlite3_close(db_); }

void RawConnection::execute(const std::string& sql) const {
  char* message = nullptr;
  if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
    const std::string text = message ? message : "unknown error";
    sqlite3_free(message);
    throw std::runtime_error(text + " in " + sql);
  }
}

std::string quoted(const std::string& name) { return "\"" + name + "\""; }

std::vector<std::int64_t> readKeyset(const RawConnection& db, const std::string& table) {
  RawStatement keys(db.get(), "SELECT rowid FROM " + quoted(table) + " ORDER BY rowid");
  std::vector<std::int64_t> result;
  while (sqlite3_step(keys.get()) == SQLITE_ROW) result.push_back(sqlite3_column_int64(keys.get(), 0));
  return result;
}

std::size_t readRow(const RawStatement& byKey, std::int64_t key) {
  sqlite3_stmt* statement = byKey.get();
  sqlite3_bind_int64(statement, 1, key);
  std::size_t total = 0;
  if (sqlite3_step(statement) == SQLITE_ROW) {
    const int columns = sqlite3_column_count(statement);
    for (int c = 0; c < columns; ++c) {
      if (sqlite3_column_type(statement, c) == SQLITE_TEXT) {
        total += std::string(reinterpret_cast<const char*>(sqlite3_column_text(statement, c)),
                             static_cast<std::size_t>(sqlite3_column_bytes(statement, c)))
                     .size();
      } else {
        total += static_cast<std::size_t>(sqlite3_column_int64(statement, c));
      }
    }
  }
  sqlite3_reset(statement);
  return total;
}

}  // namespace opsbench
