#pragma once
// The connection of one open server database, as the server storage and its
// tables use it: statements prepared once per connection and run with bound
// parameters, every server failure turned into the engine's error
// (server_errors.h), and a lost connection made again at the next
// statement.
//
// Contract:
//  - open() connects and sets the session up: commits acknowledged only
//    once durable (synchronous_commit on), text as UTF-8, bytea in hex,
//    floating-point numbers as their shortest exact text, the lock timeout,
//    read-only transactions for a read-only open. It holds the database
//    shared (exclusively for an exclusive open) for as long as it is
//    connected: 3045 when another connection holds it the other way.
//  - run() is one round trip; a statement outside a transaction is its own
//    transaction, so a failure (the connection lost included) leaves
//    nothing of it behind.
//  - After the connection was lost, run() connects again first (3043 naming
//    the server when that fails). After close() every run() throws 3420.
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/dao/storage.h"
#include "platform/postgres/postgres_connection.h"

namespace dao::server {

class ServerSession {
 public:
  // A statement of this session: its text and the name it is prepared
  // under on every connection the session makes. Handles live as long as
  // the session, so a table keeps its own and a run looks nothing up.
  class Statement {
   public:
    const std::string& sql() const noexcept { return sql_; }

   private:
    friend class ServerSession;
    std::string sql_;
    std::string name_;
  };

  ServerSession(std::string connectionString, OpenSettings settings);
  ServerSession(const ServerSession&) = delete;
  ServerSession& operator=(const ServerSession&) = delete;

  // "dbname on host:port": how messages name the server.
  const std::string& server() const noexcept { return server_; }
  const OpenSettings& settings() const noexcept { return settings_; }
  bool isOpen() const noexcept { return !closed_; }
  void close() noexcept;

  // Runs `sql` as a statement prepared on this connection. Failures become
  // engine errors naming `table` (3078) or the field of its unique index
  // that a value would repeat (3022).
  postgres::PostgresResult run(const std::string& sql, const std::vector<postgres::Parameter>& parameters,
                               const TableSchema* table = nullptr);
  postgres::PostgresResult run(const Statement& statement, const std::vector<postgres::Parameter>& parameters,
                               const TableSchema* table = nullptr);
  // The handle of `sql`: the same one for the same text.
  const Statement& statement(const std::string& sql);
  // The connection itself, for the schema functions (connected first);
  // `statements` is what they will run on it, for statements().
  postgres::PostgresConnection& connection(int statements = 0);

  // Connections made so far (1 after open; more after losses), and
  // statements run through run(): each one round trip to the server.
  int connects() const noexcept { return connects_; }
  std::int64_t statements() const noexcept { return statements_; }
  // Rows the server sent in answer to run(), for the same tests.
  std::int64_t rowsReceived() const noexcept { return rowsReceived_; }

 private:
  void connect();
  [[noreturn]] void raiseFailure(const postgres::PostgresError& failure, const TableSchema* table);

  std::string connectionString_;
  OpenSettings settings_;
  std::string server_;
  postgres::PostgresConnection connection_;
  std::unordered_map<std::string, Statement> statementsByText_;
  bool closed_ = false;
  int connects_ = 0;
  std::int64_t statements_ = 0;
  std::int64_t rowsReceived_ = 0;
};

}  // namespace dao::server
