#include "tests/platform/dao/server/server_test_support.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>

#include "platform/dao/server/server_schema.h"

namespace servertest {

std::string testServer() {
  const char* address = std::getenv("ZENMORA_TEST_POSTGRES");
  if (address == nullptr || *address == '\0') {
    ADD_FAILURE() << "ZENMORA_TEST_POSTGRES is not set: run this test through tests/support/with_postgres.sh";
    return "host=/nonexistent";
  }
  return address;
}

namespace {

std::atomic<int> scratchCounter{0};

}  // namespace

ScratchDatabase::ScratchDatabase()
    : name_("zen_scratch_" + std::to_string(::getpid()) + "_" + std::to_string(++scratchCounter)) {
  postgres::PostgresConnection administration = postgres::PostgresConnection::open(testServer());
  administration.execute("CREATE DATABASE " + postgres::PostgresConnection::quoteIdentifier(name_) +
                         " TEMPLATE template0 ENCODING 'UTF8'");
}

ScratchDatabase::~ScratchDatabase() {
  try {
    postgres::PostgresConnection administration = postgres::PostgresConnection::open(testServer());
    administration.execute("DROP DATABASE IF EXISTS " + postgres::PostgresConnection::quoteIdentifier(name_) +
                           " WITH (FORCE)");
  } catch (const std::exception&) {
    // The server itself is thrown away after the run.
  }
}

std::string ScratchDatabase::connectionString() const { return testServer() + " dbname=" + name_; }

postgres::PostgresConnection ScratchDatabase::connect() const {
  return postgres::PostgresConnection::open(connectionString());
}

}  // namespace servertest

namespace servertest {

void createServerDatabase(const ScratchDatabase& database, const std::vector<dao::TableDefinition>& tables) {
  postgres::PostgresConnection connection = database.connect();
  connection.execute("BEGIN");
  dao::server::createServerSchema(connection, tables);
  connection.execute("COMMIT");
}

void insertNumberedPeople(const ScratchDatabase& database, int count) {
  postgres::PostgresConnection connection = database.connect();
  connection.query(
      "INSERT INTO \"People\" (\"Name\", \"Age\", \"Code\") SELECT 'P' || n, n, 'C' || n FROM generate_series(1, "
      "$1::integer) n ORDER BY n",
      {std::to_string(count)});
}

int backendOf(postgres::PostgresConnection& connection) {
  return static_cast<int>(connection.query("SELECT pg_backend_pid()").integer(0, 0));
}

void terminateBackend(int processId) {
  postgres::PostgresConnection administration = postgres::PostgresConnection::open(testServer());
  administration.query(
      "SELECT pg_terminate_backend($1::integer, 10000)", {std::to_string(processId)});
}

}  // namespace servertest
