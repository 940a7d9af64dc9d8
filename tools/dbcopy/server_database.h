#pragma once
// The server side of a copy: a PostgreSQL database laid out as the team
// server's schema describes (zen_info, zen_tables, zen_columns, one table
// per table with its row key, fields and "zen_version").
//
// Contract:
//  - The constructor connects (any libpq connection string; text always as
//    UTF-8) and throws CopyError naming the server and saying whether it is
//    unreachable, refused the login, or lacks the database.
//  - Everything a copy does runs in one transaction (begin ... commit);
//    the destructor of an uncommitted copy rolls back, and so does a
//    failure of any statement: nothing is half-written.
//  - Rows go in with COPY (text format) and come back with COPY (binary),
//    in key order, values in the canonical form of copy_model.h.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/postgres/postgres_connection.h"
#include "tools/dbcopy/copy_model.h"

namespace dbcopy {

// Whether a command-line argument names a server rather than a file: a
// postgresql:// or postgres:// URI, or key=value pairs such as service=name.
bool namesServer(const std::string& argument);

class ServerDatabase {
 public:
  explicit ServerDatabase(const std::string& connectionString);
  ~ServerDatabase();
  ServerDatabase(const ServerDatabase&) = delete;
  ServerDatabase& operator=(const ServerDatabase&) = delete;

  const std::string& name() const noexcept { return name_; }
  void beginWriting();
  void beginReading();  // one snapshot for everything read
  void commit();
  void rollback() noexcept;

  bool hasSchema();
  // The tables listed on the server; CopyError when the layout is not the
  // server storage's (another version or another program's zen_ tables).
  std::vector<Table> readTables();
  // Creates the metadata tables and every table (with its trigger and
  // indexes) as the server storage expects them.
  void createSchema(const std::vector<Table>& tables);
  // Locks the tables against other writers until the end of the transaction.
  void lockTables(const std::vector<Table>& tables);
  std::int64_t countRows(const Table& table);
  void emptyTable(const Table& table);
  // Lets the server's planner know the rows just copied (it would otherwise
  // plan a prefix search on a large table as if it were empty, until its
  // own statistics run catches up).
  void gatherStatistics(const Table& table);
  // New rows are numbered after max(highest key in the table, highestUsed).
  void setNextKey(const Table& table, std::int64_t highestUsed);
  // The highest key the table has handed out (0 when none).
  std::int64_t highestKeyUsed(const Table& table);

  // Sends rows with one COPY per table: start, add every row, end.
  void startRows(const Table& table);
  void addRow(const Row& row);
  std::int64_t endRows();

  void readRows(const Table& table, const std::function<void(const Row&)>& consume);

 private:
  [[noreturn]] void fail(const postgres::PostgresError& failure, const std::string& doing);
  void flushRows();

  postgres::PostgresConnection connection_;
  std::string name_;
  bool inTransaction_ = false;
  bool copying_ = false;
  std::string pending_;
  const Table* copyTable_ = nullptr;
};

}  // namespace dbcopy
