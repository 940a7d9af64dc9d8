#include "platform/dao/server/server_session.h"

#include "platform/dao/engine_error.h"
#include "platform/dao/file_format.h"
#include "platform/dao/server/server_errors.h"

namespace dao::server {

namespace {

using postgres::PostgresConnection;
using postgres::PostgresError;

// Every open of a server database holds this advisory lock, shared (or
// exclusive for an exclusive open), for as long as it is connected.
constexpr std::int64_t kOpenLockKey = 0x5A4E4D44;

// The field a unique violation names: the server's text quotes the index,
// "zen_ux_<table>_<ordinal>".
std::string fieldOfUniqueIndex(const PostgresError& failure, const TableSchema& table) {
  const std::string text = failure.what();
  const std::string prefix = "\"zen_ux_" + table.sqlName + "_";
  const auto start = text.find(prefix);
  if (start == std::string::npos) return {};
  std::size_t ordinal = 0;
  bool digits = false;
  for (std::size_t i = start + prefix.size(); i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    ordinal = ordinal * 10 + static_cast<std::size_t>(text[i] - '0');
    digits = true;
  }
  if (!digits || ordinal >= table.columns.size()) return {};
  return table.columns[ordinal].name;
}

}  // namespace

ServerSession::ServerSession(std::string connectionString, OpenSettings settings)
    : connectionString_(std::move(connectionString)), settings_(settings), server_(serverName(connectionString_)) {
  connect();
}

void ServerSession::connect() {
  try {
    connection_ = PostgresConnection::open(connectionString_);
  } catch (const PostgresError& failure) {
    // A first connect says what is wrong; a connect again after a loss is
    // the medium failing, as the storage's contract has it.
    if (connects_ == 0) raiseConnectFailure(failure, server_);
    throw EngineError(dao::error::diskFailure, connectionLostText(server_) + " " + failure.what());
  }
  ++connects_;
  try {
    // A post is acknowledged only once the server has its log on disk,
    // whatever the server's default (synchronous_commit = off would lose
    // acknowledged posts when the server crashes).
    connection_.execute("SET synchronous_commit = on; SET bytea_output = 'hex'; SET extra_float_digits = 1; "
                        "SET lock_timeout = " +
                        std::to_string(settings_.lockTimeoutMilliseconds > 0 ? settings_.lockTimeoutMilliseconds : 1) +
                        (settings_.readOnly ? "; SET default_transaction_read_only = on" : ""));
    const auto locked =
        connection_.query(settings_.exclusive ? "SELECT pg_try_advisory_lock($1::bigint)"
                                              : "SELECT pg_try_advisory_lock_shared($1::bigint)",
                          {std::to_string(kOpenLockKey)});
    if (locked.text(0, 0) != "t") {
      connection_.close();
      raise(dao::error::fileInUse, server_);
    }
  } catch (const PostgresError& failure) {
    raiseFailure(failure, nullptr);
  }
}

void ServerSession::close() noexcept {
  closed_ = true;
  connection_.close();
}

PostgresConnection& ServerSession::connection(int statements) {
  if (closed_) raise(dao::error::objectClosed);
  if (!connection_.isOpen()) connect();
  statements_ += statements;
  return connection_;
}

const ServerSession::Statement& ServerSession::statement(const std::string& sql) {
  auto [entry, added] = statementsByText_.try_emplace(sql);
  if (added) {
    entry->second.sql_ = sql;
    entry->second.name_ = "zen_s" + std::to_string(statementsByText_.size());
  }
  return entry->second;
}

postgres::PostgresResult ServerSession::run(const std::string& sql, const std::vector<postgres::Parameter>& parameters,
                                            const TableSchema* table) {
  return run(statement(sql), parameters, table);
}

postgres::PostgresResult ServerSession::run(const Statement& statement,
                                            const std::vector<postgres::Parameter>& parameters,
                                            const TableSchema* table) {
  PostgresConnection& connection = this->connection(1);
  try {
    postgres::PostgresResult result = connection.queryPreparedInOneTrip(statement.name_, statement.sql_, parameters);
    rowsReceived_ += result.rows();
    return result;
  } catch (const PostgresError& failure) {
    raiseFailure(failure, table);
  }
}

void ServerSession::raiseFailure(const PostgresError& failure, const TableSchema* table) {
  const std::string& state = failure.sqlState();
  // Text PostgreSQL cannot hold (a NUL character, bytes that are no UTF-8).
  if (state == "22021" || state == "22P05" || state == "22P02" || state == "22003")
    raise(state == "22003" ? dao::error::numericOverflow : dao::error::conversionFailed);
  if (state == "25006") raise(dao::error::readOnlyObject);
  if (state == "23505" && table != nullptr) raiseServerFailure(failure, server_, fieldOfUniqueIndex(failure, *table));
  raiseServerFailure(failure, server_, table != nullptr ? std::string_view(table->name) : std::string_view());
}

}  // namespace dao::server
