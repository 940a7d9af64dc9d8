#pragma once
// Owning wrappers of libpq's connection and query result, for the engine's
// server storage. No Qt, no engine types: failures throw PostgresError with
// PostgreSQL's SQLSTATE (where the server sent one) and what kind of failure
// it is, and the storage turns them into the engine's own errors.
//
// Contract:
//  - PostgresConnection::open takes anything libpq takes as a connection
//    string: a URI (postgresql://user@host:port/db), key=value pairs, or
//    "service=name"; ~/.pgpass, pg_service.conf and the PG* environment
//    variables apply as in every libpq program. Text always travels as UTF-8
//    (client_encoding is fixed at connect time), so the server never
//    converts text with its own character set tables.
//  - A failed connect throws PostgresError whose kind() tells unreachable
//    server, failed authentication, missing database or other, and whose
//    text is libpq's own message (first line, trimmed).
//  - Every query is one round trip. Parameters travel separately from the
//    SQL text (never spliced into it); std::nullopt is SQL NULL.
//  - A query failure throws PostgresError with the SQLSTATE; when the
//    connection itself broke, kind() is ConnectionLost and isOpen() is false
//    afterwards.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

struct pg_conn;
struct pg_result;

namespace postgres {

class PostgresError : public std::runtime_error {
 public:
  enum class Kind { Unreachable, Authentication, DatabaseMissing, ConnectionLost, Query, Other };
  PostgresError(Kind kind, std::string sqlState, const std::string& message)
      : std::runtime_error(message), kind_(kind), sqlState_(std::move(sqlState)) {}
  Kind kind() const noexcept { return kind_; }
  // Five characters, e.g. "23505" for a unique violation; empty when the
  // server sent none (connect failures, a broken connection).
  const std::string& sqlState() const noexcept { return sqlState_; }

 private:
  Kind kind_;
  std::string sqlState_;
};

using Parameter = std::optional<std::string>;

class PostgresResult {
 public:
  PostgresResult() = default;
  explicit PostgresResult(pg_result* result) noexcept : result_(result) {}
  ~PostgresResult();
  PostgresResult(PostgresResult&& other) noexcept;
  PostgresResult& operator=(PostgresResult&& other) noexcept;
  PostgresResult(const PostgresResult&) = delete;
  PostgresResult& operator=(const PostgresResult&) = delete;

  int rows() const noexcept;
  int columns() const noexcept;
  bool isNull(int row, int column) const noexcept;
  std::string_view text(int row, int column) const noexcept;
  // The value as a whole number; throws std::invalid_argument when it is not one.
  std::int64_t integer(int row, int column) const;
  // Rows changed by an INSERT, UPDATE or DELETE.
  std::int64_t affectedRows() const noexcept;

 private:
  pg_result* result_ = nullptr;
};

class PostgresConnection {
 public:
  static PostgresConnection open(const std::string& connectionString, const std::string& applicationName = "zenmora");
  PostgresConnection() = default;
  ~PostgresConnection();
  PostgresConnection(PostgresConnection&& other) noexcept;
  PostgresConnection& operator=(PostgresConnection&& other) noexcept;
  PostgresConnection(const PostgresConnection&) = delete;
  PostgresConnection& operator=(const PostgresConnection&) = delete;

  bool isOpen() const noexcept;
  void close() noexcept;

  // Runs `sql` (one or more statements, no parameters).
  PostgresResult execute(const std::string& sql);
  // Runs one statement with $1..$n bound to `parameters` as text.
  PostgresResult query(const std::string& sql, const std::vector<Parameter>& parameters = {});
  // Prepares `sql` under `name` once per connection; runs it.
  PostgresResult queryPrepared(const std::string& name, const std::string& sql,
                               const std::vector<Parameter>& parameters);

  // Settings the server reported at connect time (e.g. "server_encoding").
  std::string serverSetting(const std::string& name) const;
  std::string databaseName() const;

  // "name" with inner double quotes doubled: an SQL identifier for any name.
  static std::string quoteIdentifier(std::string_view name);

 private:
  explicit PostgresConnection(pg_conn* connection) noexcept : connection_(connection) {}
  PostgresResult check(pg_result* result);

  pg_conn* connection_ = nullptr;
  std::vector<std::string> prepared_;

 public:
  // The server a connection string reaches, for messages: "dbname on
  // host:port" (a Unix socket's folder as the host), from the string and
  // libpq's defaults (PG* environment variables); "service NAME" when a
  // service file names the server. Never contains a password; needs no
  // connection.
  static std::string describeServer(const std::string& connectionString);
  // The same for the server this connection reached (empty when closed).
  std::string describe() const;
  // As queryPrepared, in one round trip also the first time: the statement
  // is prepared and run in one exchange (libpq's pipeline mode).
  PostgresResult queryPreparedInOneTrip(const std::string& name, const std::string& sql,
                                        const std::vector<Parameter>& parameters);
  // Bulk transfer with COPY. beginCopyIn runs a "COPY ... FROM STDIN"
  // statement; putCopyData then hands over its data in any pieces; endCopyIn
  // ends it and returns the rows the server took, or throws PostgresError
  // when the server refused any of it (nothing of this COPY is kept then).
  // abortCopyIn ends it with the server discarding everything sent; it never
  // throws, so it can run while another failure is on its way.
  void beginCopyIn(const std::string& sql);
  void putCopyData(std::string_view data);
  std::int64_t endCopyIn();
  void abortCopyIn(const std::string& reason) noexcept;
  // Runs a "COPY ... TO STDOUT" statement and passes its data to `consume`
  // in the pieces libpq delivers (one row each). When `consume` throws, the
  // rest of the data is read and dropped, so the connection stays usable,
  // and the exception goes on.
  void copyOut(const std::string& sql, const std::function<void(std::string_view)>& consume);
};

}  // namespace postgres
