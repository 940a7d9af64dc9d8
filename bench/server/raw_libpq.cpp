#include "bench/server/raw_libpq.h"

#include <stdexcept>

namespace serverbench {

RawConnection::RawConnection(const std::string& connectionString) {
  // Text as UTF-8 and commits acknowledged once durable: what the engine's
  // session asks for too, so both pay the same for a commit.
  const char* keys[] = {"dbname", "client_encoding", "options", nullptr};
  const char* values[] = {connectionString.c_str(), "UTF8", "-c synchronous_commit=on", nullptr};
  connection_ = PQconnectdbParams(keys, values, 1);
  ++roundTrips_;
  if (PQstatus(connection_) != CONNECTION_OK) {
    const std::string message = PQerrorMessage(connection_);
    PQfinish(connection_);
    throw std::runtime_error("raw libpq: cannot connect: " + message);
  }
}

RawConnection::~RawConnection() { PQfinish(connection_); }

Result RawConnection::check(PGresult* result) {
  ++roundTrips_;
  Result owned(result);
  const ExecStatusType status = PQresultStatus(result);
  if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
    throw std::runtime_error(std::string("raw libpq: ") + PQerrorMessage(connection_));
  }
  return owned;
}

void RawConnection::prepare(const std::string& name, const std::string& sql) {
  check(PQprepare(connection_, name.c_str(), sql.c_str(), 0, nullptr));
}

Result RawConnection::run(const std::string& name, const std::vector<std::optional<std::string>>& parameters) {
  std::vector<const char*> values;
  values.reserve(parameters.size());
  for (const std::optional<std::string>& parameter : parameters)
    values.push_back(parameter ? parameter->c_str() : nullptr);
  return check(PQexecPrepared(connection_, name.c_str(), static_cast<int>(values.size()), values.data(), nullptr,
                              nullptr, 0));
}

Result RawConnection::execute(const std::string& sql) { return check(PQexec(connection_, sql.c_str())); }

std::string quoteIdentifier(const std::string& name) {
  std::string quoted = "\"";
  for (const char c : name) {
    quoted += c;
    if (c == '"') quoted += '"';
  }
  return quoted + "\"";
}

std::size_t consumeRows(const PGresult* result) {
  std::size_t bytes = 0;
  std::string text;
  for (int row = 0; row < PQntuples(result); ++row) {
    for (int column = 0; column < PQnfields(result); ++column) {
      if (PQgetisnull(result, row, column)) continue;
      text.assign(PQgetvalue(result, row, column), static_cast<std::size_t>(PQgetlength(result, row, column)));
      bytes += text.size();
    }
  }
  return bytes;
}

}  // namespace serverbench
