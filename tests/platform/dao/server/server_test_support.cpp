#include "tests/platform/dao/server/server_test_support.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>

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
