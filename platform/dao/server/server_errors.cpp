#include "platform/dao/server/server_errors.h"

#include "platform/dao/engine_error.h"

namespace dao::server {

namespace {

bool startsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

// Class 08 (connection exception) and the shutdown states of class 57 end
// the session: what was not committed is gone, on the server as here.
bool endsSession(const postgres::PostgresError& failure) {
  const std::string& state = failure.sqlState();
  return failure.kind() == postgres::PostgresError::Kind::ConnectionLost || startsWith(state, "08") ||
         state == "57P01" || state == "57P02" || state == "57P03";
}

}  // namespace

std::string serverName(const std::string& connectionString) {
  return postgres::PostgresConnection::describeServer(connectionString);
}

std::string connectionLostText(std::string_view server) {
  return "The connection to the database server (" + std::string(server) +
         ") was lost; the change in progress was not saved.";
}

void raiseConnectFailure(const postgres::PostgresError& failure, std::string_view server) {
  const std::string name(server);
  const std::string reason = failure.what();
  using Kind = postgres::PostgresError::Kind;
  switch (failure.kind()) {
    case Kind::Unreachable:
      throw EngineError(error::serverUnreachable,
                        "Cannot reach the database server (" + name + "): " + reason);
    case Kind::Authentication:
      throw EngineError(dao::error::invalidAccount,
                        "The database server (" + name + ") refused the user name or password: " + reason);
    case Kind::DatabaseMissing:
      throw EngineError(dao::error::fileNotFound,
                        "The database server has no such database (" + name + "): " + reason);
    default:
      throw EngineError(error::serverUnreachable,
                        "Cannot connect to the database server (" + name + "): " + reason);
  }
}

void raiseServerFailure(const postgres::PostgresError& failure, std::string_view server, std::string_view subject) {
  if (endsSession(failure)) throw EngineError(dao::error::diskFailure, connectionLostText(server));
  const std::string& state = failure.sqlState();
  if (state == "23505") raise(dao::error::duplicateValue, subject);
  if (state == "23502") raise(dao::error::valueRequired, subject);
  if (state == "22001") raise(dao::error::textTooLong, subject);
  if (state == "55P03" || state == "40P01") raise(dao::error::recordLocked);
  if (state == "42P01") raise(dao::error::tableNotFound, subject);
  raise(dao::error::unexpected, std::string(failure.what()) + " (" + std::string(server) + ")");
}

}  // namespace dao::server
