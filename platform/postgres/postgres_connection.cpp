#include "platform/postgres/postgres_connection.h"

#include <cstdlib>

#include <libpq-fe.h>

#include <algorithm>
#include <charconv>
#include <exception>
#include <utility>

namespace postgres {

namespace {

// libpq's messages end in a newline and may carry a hint on further lines.
std::string firstLine(const char* message) {
  std::string text = message != nullptr ? message : "";
  if (const auto end = text.find('\n'); end != std::string::npos) text.erase(end);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\r')) text.pop_back();
  return text;
}

bool contains(const std::string& text, std::string_view part) { return text.find(part) != std::string::npos; }

// A failed connect has no SQLSTATE; what went wrong is in libpq's message.
// When the server answered, the message carries the server's "FATAL:" line;
// when it never answered, it is libpq's own socket or host error.
PostgresError connectFailure(pg_conn* connection) {
  const std::string whole = connection != nullptr ? PQerrorMessage(connection) : "out of memory";
  std::string message = firstLine(whole.c_str());
  if (message.empty()) message = "could not connect to the database server";
  using Kind = PostgresError::Kind;
  if (connection != nullptr && PQconnectionNeedsPassword(connection)) return {Kind::Authentication, "", message};
  if (contains(whole, "FATAL:")) {
    if (contains(whole, "database \"") && contains(whole, "does not exist")) return {Kind::DatabaseMissing, "", message};
    if (contains(whole, "authentication") || contains(whole, "pg_hba.conf") || contains(whole, "role \"") ||
        contains(whole, "password"))
      return {Kind::Authentication, "", message};
    return {Kind::Other, "", message};
  }
  if (contains(whole, "connection to server") || contains(whole, "could not translate host name") ||
      contains(whole, "could not connect") || contains(whole, "timeout expired"))
    return {Kind::Unreachable, "", message};
  return {Kind::Other, "", message};
}

}  // namespace

PostgresResult::~PostgresResult() {
  if (result_ != nullptr) PQclear(result_);
}

PostgresResult::PostgresResult(PostgresResult&& other) noexcept : result_(std::exchange(other.result_, nullptr)) {}

PostgresResult& PostgresResult::operator=(PostgresResult&& other) noexcept {
  if (this != &other) {
    if (result_ != nullptr) PQclear(result_);
    result_ = std::exchange(other.result_, nullptr);
  }
  return *this;
}

int PostgresResult::rows() const noexcept { return result_ != nullptr ? PQntuples(result_) : 0; }

int PostgresResult::columns() const noexcept { return result_ != nullptr ? PQnfields(result_) : 0; }

bool PostgresResult::isNull(int row, int column) const noexcept { return PQgetisnull(result_, row, column) != 0; }

std::string_view PostgresResult::text(int row, int column) const noexcept {
  return {PQgetvalue(result_, row, column), static_cast<std::size_t>(PQgetlength(result_, row, column))};
}

std::int64_t PostgresResult::integer(int row, int column) const {
  const std::string_view value = text(row, column);
  std::int64_t number = 0;
  const auto [end, failure] = std::from_chars(value.data(), value.data() + value.size(), number);
  if (failure != std::errc() || end != value.data() + value.size())
    throw std::invalid_argument("not a whole number: " + std::string(value));
  return number;
}

std::int64_t PostgresResult::affectedRows() const noexcept {
  const char* count = result_ != nullptr ? PQcmdTuples(result_) : "";
  std::int64_t number = 0;
  std::from_chars(count, count + std::char_traits<char>::length(count), number);
  return number;
}

PostgresConnection PostgresConnection::open(const std::string& connectionString, const std::string& applicationName) {
  // expand_dbname lets "dbname" carry a whole URI or key=value string; the
  // keys after it override what it says (the encoding is not negotiable),
  // the key before it is overridden by it. A server that does not answer
  // would otherwise keep the program waiting for as long as the system's
  // TCP retries last (minutes), so a connect gives up after 10 s unless the
  // string or PGCONNECT_TIMEOUT says otherwise.
  const bool timeoutGiven = std::getenv("PGCONNECT_TIMEOUT") != nullptr;
  const char* keys[] = {"connect_timeout", "dbname", "client_encoding", "fallback_application_name", nullptr};
  const char* values[] = {"10", connectionString.c_str(), "UTF8", applicationName.c_str(), nullptr};
  const int first = timeoutGiven ? 1 : 0;
  pg_conn* connection = PQconnectdbParams(keys + first, values + first, 1);
  if (connection == nullptr || PQstatus(connection) != CONNECTION_OK) {
    PostgresError failure = connectFailure(connection);
    if (connection != nullptr) PQfinish(connection);
    throw failure;
  }
  return PostgresConnection(connection);
}

PostgresConnection::~PostgresConnection() { close(); }

PostgresConnection::PostgresConnection(PostgresConnection&& other) noexcept
    : connection_(std::exchange(other.connection_, nullptr)), prepared_(std::move(other.prepared_)) {}

PostgresConnection& PostgresConnection::operator=(PostgresConnection&& other) noexcept {
  if (this != &other) {
    close();
    connection_ = std::exchange(other.connection_, nullptr);
    prepared_ = std::move(other.prepared_);
  }
  return *this;
}

bool PostgresConnection::isOpen() const noexcept {
  return connection_ != nullptr && PQstatus(connection_) == CONNECTION_OK;
}

void PostgresConnection::close() noexcept {
  if (connection_ != nullptr) PQfinish(std::exchange(connection_, nullptr));
  prepared_.clear();
}

PostgresResult PostgresConnection::check(pg_result* raw) {
  PostgresResult result(raw);
  const ExecStatusType status = raw != nullptr ? PQresultStatus(raw) : PGRES_FATAL_ERROR;
  if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) return result;
  const char* state = raw != nullptr ? PQresultErrorField(raw, PG_DIAG_SQLSTATE) : nullptr;
  const char* message = raw != nullptr ? PQresultErrorMessage(raw) : nullptr;
  std::string text = firstLine(message != nullptr && *message != '\0' ? message : PQerrorMessage(connection_));
  if (text.rfind("ERROR:  ", 0) == 0) text.erase(0, 8);
  if (PQstatus(connection_) != CONNECTION_OK) {
    prepared_.clear();
    throw PostgresError(PostgresError::Kind::ConnectionLost, state != nullptr ? state : "",
                        text.empty() ? "the connection to the database server was lost" : text);
  }
  throw PostgresError(PostgresError::Kind::Query, state != nullptr ? state : "", text);
}

PostgresResult PostgresConnection::execute(const std::string& sql) {
  if (connection_ == nullptr) throw PostgresError(PostgresError::Kind::ConnectionLost, "", "the connection is closed");
  return check(PQexec(connection_, sql.c_str()));
}

namespace {

struct ParameterArrays {
  std::vector<const char*> values;
  std::vector<int> lengths;
  explicit ParameterArrays(const std::vector<Parameter>& parameters) {
    values.reserve(parameters.size());
    lengths.reserve(parameters.size());
    for (const Parameter& parameter : parameters) {
      values.push_back(parameter ? parameter->c_str() : nullptr);
      lengths.push_back(parameter ? static_cast<int>(parameter->size()) : 0);
    }
  }
};

}  // namespace

PostgresResult PostgresConnection::query(const std::string& sql, const std::vector<Parameter>& parameters) {
  if (connection_ == nullptr) throw PostgresError(PostgresError::Kind::ConnectionLost, "", "the connection is closed");
  const ParameterArrays arrays(parameters);
  return check(PQexecParams(connection_, sql.c_str(), static_cast<int>(parameters.size()), nullptr,
                            arrays.values.data(), arrays.lengths.data(), nullptr, 0));
}

PostgresResult PostgresConnection::queryPrepared(const std::string& name, const std::string& sql,
                                                 const std::vector<Parameter>& parameters) {
  if (connection_ == nullptr) throw PostgresError(PostgresError::Kind::ConnectionLost, "", "the connection is closed");
  if (std::find(prepared_.begin(), prepared_.end(), name) == prepared_.end()) {
    check(PQprepare(connection_, name.c_str(), sql.c_str(), static_cast<int>(parameters.size()), nullptr));
    prepared_.push_back(name);
  }
  const ParameterArrays arrays(parameters);
  return check(PQexecPrepared(connection_, name.c_str(), static_cast<int>(parameters.size()), arrays.values.data(),
                              arrays.lengths.data(), nullptr, 0));
}

std::string PostgresConnection::serverSetting(const std::string& name) const {
  const char* value = connection_ != nullptr ? PQparameterStatus(connection_, name.c_str()) : nullptr;
  return value != nullptr ? value : "";
}

std::string PostgresConnection::databaseName() const {
  const char* name = connection_ != nullptr ? PQdb(connection_) : nullptr;
  return name != nullptr ? name : "";
}

std::string PostgresConnection::quoteIdentifier(std::string_view name) {
  std::string quoted = "\"";
  for (const char c : name) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  quoted += '"';
  return quoted;
}

namespace {

// The value of `key` among libpq's connection options, or empty.
std::string optionValue(const PQconninfoOption* options, std::string_view key) {
  for (const PQconninfoOption* option = options; option != nullptr && option->keyword != nullptr; ++option) {
    if (key == option->keyword && option->val != nullptr) return option->val;
  }
  return "";
}

}  // namespace

std::string PostgresConnection::describeServer(const std::string& connectionString) {
  char* failure = nullptr;
  PQconninfoOption* given = PQconninfoParse(connectionString.c_str(), &failure);
  if (failure != nullptr) PQfreemem(failure);
  PQconninfoOption* defaults = PQconndefaults();
  const auto value = [&](std::string_view key) {
    std::string found = optionValue(given, key);
    return found.empty() ? optionValue(defaults, key) : found;
  };
  const std::string service = optionValue(given, "service");
  std::string host = value("host");
  if (host.empty()) host = value("hostaddr");
  std::string port = value("port");
  std::string database = value("dbname");
  if (database.empty()) database = value("user");
  if (given != nullptr) PQconninfoFree(given);
  if (defaults != nullptr) PQconninfoFree(defaults);
  // What a service file says overrides the environment: name the service.
  if (!service.empty()) return "service " + service;
  if (host.empty()) host = "localhost";
  if (port.empty()) port = "5432";
  return (database.empty() ? std::string("the default database") : database) + " on " + host + ":" + port;
}

std::string PostgresConnection::describe() const {
  if (connection_ == nullptr) return "";
  const char* host = PQhost(connection_);
  const char* port = PQport(connection_);
  return databaseName() + " on " + (host != nullptr ? host : "") + ":" + (port != nullptr ? port : "");
}

PostgresResult PostgresConnection::queryPreparedInOneTrip(const std::string& name, const std::string& sql,
                                                          const std::vector<Parameter>& parameters) {
  if (connection_ == nullptr) throw PostgresError(PostgresError::Kind::ConnectionLost, "", "the connection is closed");
  if (std::find(prepared_.begin(), prepared_.end(), name) != prepared_.end()) return queryPrepared(name, sql, parameters);
  const ParameterArrays arrays(parameters);
  const int count = static_cast<int>(parameters.size());
  if (PQenterPipelineMode(connection_) != 1 ||
      PQsendPrepare(connection_, name.c_str(), sql.c_str(), count, nullptr) != 1 ||
      PQsendQueryPrepared(connection_, name.c_str(), count, arrays.values.data(), arrays.lengths.data(), nullptr, 0) !=
          1 ||
      PQpipelineSync(connection_) != 1) {
    // Nothing was sent, or the connection broke while sending.
    PQexitPipelineMode(connection_);
    return check(nullptr);
  }
  // The prepare's result, the query's, then the end of the exchange; each
  // command's results end with a null pointer.
  pg_result* prepared = PQgetResult(connection_);
  while (pg_result* extra = PQgetResult(connection_)) PQclear(extra);
  pg_result* executed = prepared != nullptr ? PQgetResult(connection_) : nullptr;
  if (executed != nullptr) {
    while (pg_result* extra = PQgetResult(connection_)) PQclear(extra);
    for (pg_result* rest = PQgetResult(connection_); rest != nullptr; rest = PQgetResult(connection_)) {
      const bool synced = PQresultStatus(rest) == PGRES_PIPELINE_SYNC;
      PQclear(rest);
      if (synced) break;
    }
  }
  PQexitPipelineMode(connection_);
  const ExecStatusType preparing = prepared != nullptr ? PQresultStatus(prepared) : PGRES_FATAL_ERROR;
  if (preparing != PGRES_COMMAND_OK) {
    if (executed != nullptr) PQclear(executed);
    check(prepared);
  }
  PQclear(prepared);
  prepared_.push_back(name);
  return check(executed);
}

}  // namespace postgres

namespace postgres {

namespace {

void drainResults(pg_conn* connection) noexcept {
  while (pg_result* rest = PQgetResult(connection)) PQclear(rest);
}

}  // namespace

void PostgresConnection::beginCopyIn(const std::string& sql) {
  if (connection_ == nullptr) throw PostgresError(PostgresError::Kind::ConnectionLost, "", "the connection is closed");
  pg_result* raw = PQexec(connection_, sql.c_str());
  if (raw != nullptr && PQresultStatus(raw) == PGRES_COPY_IN) {
    PQclear(raw);
    return;
  }
  check(raw);
  throw PostgresError(PostgresError::Kind::Query, "", "the statement is no COPY FROM STDIN");
}

void PostgresConnection::putCopyData(std::string_view data) {
  if (connection_ == nullptr) throw PostgresError(PostgresError::Kind::ConnectionLost, "", "the connection is closed");
  if (data.empty()) return;
  if (PQputCopyData(connection_, data.data(), static_cast<int>(data.size())) != 1) {
    // The server may have refused the data already; its error is in the result.
    PQputCopyEnd(connection_, "the client could not send the data");
    check(PQgetResult(connection_));
    drainResults(connection_);
    throw PostgresError(PostgresError::Kind::ConnectionLost, "", firstLine(PQerrorMessage(connection_)));
  }
}

std::int64_t PostgresConnection::endCopyIn() {
  if (connection_ == nullptr) throw PostgresError(PostgresError::Kind::ConnectionLost, "", "the connection is closed");
  if (PQputCopyEnd(connection_, nullptr) != 1) {
    drainResults(connection_);
    throw PostgresError(PostgresError::Kind::ConnectionLost, "", firstLine(PQerrorMessage(connection_)));
  }
  pg_result* raw = PQgetResult(connection_);
  std::int64_t rows = 0;
  try {
    const PostgresResult result = check(raw);
    rows = result.affectedRows();
  } catch (...) {
    drainResults(connection_);
    throw;
  }
  drainResults(connection_);
  return rows;
}

void PostgresConnection::abortCopyIn(const std::string& reason) noexcept {
  if (connection_ == nullptr) return;
  PQputCopyEnd(connection_, reason.c_str());
  drainResults(connection_);
}

void PostgresConnection::copyOut(const std::string& sql, const std::function<void(std::string_view)>& consume) {
  if (connection_ == nullptr) throw PostgresError(PostgresError::Kind::ConnectionLost, "", "the connection is closed");
  pg_result* raw = PQexec(connection_, sql.c_str());
  if (raw == nullptr || PQresultStatus(raw) != PGRES_COPY_OUT) {
    check(raw);
    throw PostgresError(PostgresError::Kind::Query, "", "the statement is no COPY TO STDOUT");
  }
  PQclear(raw);
  std::exception_ptr failure;
  for (;;) {
    char* buffer = nullptr;
    const int length = PQgetCopyData(connection_, &buffer, 0);
    if (length < 0) break;
    if (!failure) {
      try {
        consume(std::string_view(buffer, static_cast<std::size_t>(length)));
      } catch (...) {
        failure = std::current_exception();
      }
    }
    PQfreemem(buffer);
  }
  pg_result* end = PQgetResult(connection_);
  if (failure) {
    if (end != nullptr) PQclear(end);
    drainResults(connection_);
    std::rethrow_exception(failure);
  }
  try {
    check(end);
  } catch (...) {
    drainResults(connection_);
    throw;
  }
  drainResults(connection_);
}

}  // namespace postgres
