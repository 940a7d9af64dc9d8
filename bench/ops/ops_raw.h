#pragma once
// Raw SQLite doing the work of the data layer's operations, for
// ops_bench.cpp: a connection as the engine makes one (WAL, busy timeout),
// the keyset of a table (its row keys in order) and reading a whole row by
// its key.
#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <vector>

namespace opsbench {

class RawStatement {
 public:
  RawStatement(sqlite3* db, const std::string& sql);
  ~RawStatement();
  RawStatement(const RawStatement&) = delete;
  RawStatement& operator=(const RawStatement&) = delete;
  sqlite3_stmt* get() const noexcept { return statement_; }
  void reset() const noexcept { sqlite3_reset(statement_); }

 private:
  sqlite3_stmt* statement_ = nullptr;
};

class RawConnection {
 public:
  // synchronous: the value of PRAGMA synchronous ("NORMAL" or "FULL").
  explicit RawConnection(const std::string& path, const char* synchronous = "NORMAL");
  ~RawConnection();
  RawConnection(const RawConnection&) = delete;
  RawConnection& operator=(const RawConnection&) = delete;
  sqlite3* get() const noexcept { return db_; }
  void execute(const std::string& sql) const;

 private:
  sqlite3* db_ = nullptr;
};

std::string quoted(const std::string& name);

// The row keys of a table in order (the engine's keyset).
std::vector<std::int64_t> readKeyset(const RawConnection& db, const std::string& table);

// Reads every column of the row with key `key` with a statement
// "SELECT * FROM table WHERE rowid=?1"; the sum of the text lengths (so the
// compiler keeps the reads).
std::size_t readRow(const RawStatement& byKey, std::int64_t key);

}  // namespace opsbench
