#pragma once
// Shared by the server storage's tests: a database of its own per test on
// the throwaway server of tests/support/with_postgres.sh (which hands its
// address over in ZENMORA_TEST_POSTGRES), dropped again afterwards, and the
// engine's tables made on it.
#include <string>
#include <vector>

#include "platform/dao/database_builder.h"
#include "platform/postgres/postgres_connection.h"

namespace servertest {

// The throwaway server's connection string; a test failure when unset.
std::string testServer();

class ScratchDatabase {
 public:
  ScratchDatabase();
  ~ScratchDatabase();
  ScratchDatabase(const ScratchDatabase&) = delete;
  ScratchDatabase& operator=(const ScratchDatabase&) = delete;

  const std::string& name() const { return name_; }
  // A connection string reaching this database.
  std::string connectionString() const;
  postgres::PostgresConnection connect() const;

 private:
  std::string name_;
};

// Creates the engine's tables on `database` in one transaction.
void createServerDatabase(const ScratchDatabase& database, const std::vector<dao::TableDefinition>& tables);
// Fills enginetest::peopleTable() on the server with `count` rows named
// "P<n>", age n, code "C<n>", keys 1 to count.
void insertNumberedPeople(const ScratchDatabase& database, int count);

// The connection's server process, and ending it from another connection
// (as an administrator or a crashing server would).
int backendOf(postgres::PostgresConnection& connection);
void terminateBackend(int processId);

}  // namespace servertest
