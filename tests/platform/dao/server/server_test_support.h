#pragma once
// Shared by the server storage's tests: a database of its own per test on
// the throwaway server of tests/support/with_postgres.sh (which hands its
// address over in ZENMORA_TEST_POSTGRES), dropped again afterwards.
#include <string>

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

}  // namespace servertest
