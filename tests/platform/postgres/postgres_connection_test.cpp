// Runs against the throwaway server of tests/support/with_postgres.sh, which
// hands its address over in ZENMORA_TEST_POSTGRES.
#include "platform/postgres/postgres_connection.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

using postgres::PostgresConnection;
using postgres::PostgresError;

std::string testServer() {
  const char* address = std::getenv("ZENMORA_TEST_POSTGRES");
  if (address == nullptr || *address == '\0') {
    ADD_FAILURE() << "ZENMORA_TEST_POSTGRES is not set: run this test through tests/support/with_postgres.sh";
    return "host=/nonexistent";
  }
  return address;
}

PostgresError::Kind connectFailureKind(const std::string& connectionString) {
  try {
    PostgresConnection::open(connectionString);
  } catch (const PostgresError& failure) {
    EXPECT_FALSE(std::string(failure.what()).empty());
    return failure.kind();
  }
  ADD_FAILURE() << "connected to " << connectionString;
  return PostgresError::Kind::Other;
}

TEST(PostgresConnection, TextTravelsAsUtf8WhateverTheEnvironmentAsks) {
  // A user's PGCLIENTENCODING=BIG5 would make the server convert with its
  // own Big5 table, which differs from code page 950.
  ::setenv("PGCLIENTENCODING", "BIG5", 1);
  PostgresConnection connection = PostgresConnection::open(testServer());
  ::unsetenv("PGCLIENTENCODING");
  EXPECT_EQ(connection.serverSetting("client_encoding"), "UTF8");
  EXPECT_EQ(connection.serverSetting("server_encoding"), "UTF8");

  // € (code page 950's A3E1) and a private-use character are exactly what
  // the server's own Big5 conversion gets wrong or lacks.
  const std::string text = "\xE2\x82\xAC \xEE\x80\x80 \xE4\xB8\xAD";
  const auto result = connection.query("SELECT $1::text, octet_length($1::text)", {text});
  ASSERT_EQ(result.rows(), 1);
  EXPECT_EQ(result.text(0, 0), text);
  EXPECT_EQ(result.integer(0, 1), static_cast<std::int64_t>(text.size()));
}

TEST(PostgresConnection, ParametersAreValuesNeverSql) {
  PostgresConnection connection = PostgresConnection::open(testServer());
  connection.execute("CREATE TEMP TABLE t (id integer PRIMARY KEY, v text)");
  const std::string hostile = "x'); DROP TABLE t; --";
  connection.query("INSERT INTO t VALUES ($1, $2)", {"1", hostile});
  connection.query("INSERT INTO t VALUES ($1, $2)", {"2", std::nullopt});
  connection.query("INSERT INTO t VALUES ($1, $2)", {"3", std::string()});
  const auto rows = connection.query("SELECT id, v FROM t ORDER BY id");
  ASSERT_EQ(rows.rows(), 3);
  EXPECT_EQ(rows.text(0, 1), hostile);
  EXPECT_TRUE(rows.isNull(1, 1));
  EXPECT_FALSE(rows.isNull(2, 1));
  EXPECT_EQ(rows.text(2, 1), "");

  const auto changed = connection.queryPrepared("touch", "UPDATE t SET v = $1 WHERE id >= $2", {"new", "2"});
  EXPECT_EQ(changed.affectedRows(), 2);
  // Prepared once per connection; the second use runs the same plan.
  EXPECT_EQ(connection.queryPrepared("touch", "UPDATE t SET v = $1 WHERE id >= $2", {"again", "3"}).affectedRows(), 1);
}

TEST(PostgresConnection, QueryFailuresCarryTheSqlState) {
  PostgresConnection connection = PostgresConnection::open(testServer());
  connection.execute("CREATE TEMP TABLE u (id integer PRIMARY KEY)");
  connection.query("INSERT INTO u VALUES (1)");
  try {
    connection.query("INSERT INTO u VALUES (1)");
    FAIL() << "a duplicate key was accepted";
  } catch (const PostgresError& failure) {
    EXPECT_EQ(failure.kind(), PostgresError::Kind::Query);
    EXPECT_EQ(failure.sqlState(), "23505");
    EXPECT_NE(std::string(failure.what()).find("duplicate key"), std::string::npos) << failure.what();
  }
  connection.execute("ROLLBACK");  // harmless outside a transaction; the connection stays usable
  EXPECT_EQ(connection.query("SELECT count(*) FROM u").integer(0, 0), 1);
}

TEST(PostgresConnection, ConnectFailuresSayWhatWentWrong) {
  EXPECT_EQ(connectFailureKind("host=/nonexistent-socket-folder port=5432 connect_timeout=2"),
            PostgresError::Kind::Unreachable);
  EXPECT_EQ(connectFailureKind(testServer() + " dbname=no_such_database"), PostgresError::Kind::DatabaseMissing);
  EXPECT_EQ(connectFailureKind(testServer() + " user=no_such_role"), PostgresError::Kind::Authentication);
  EXPECT_EQ(connectFailureKind("postgresql://[not a uri"), PostgresError::Kind::Other);
}

TEST(PostgresConnection, ALostConnectionIsReportedAsSuch) {
  PostgresConnection victim = PostgresConnection::open(testServer());
  PostgresConnection other = PostgresConnection::open(testServer());
  const std::string pid = std::string(victim.query("SELECT pg_backend_pid()").text(0, 0));
  other.query("SELECT pg_terminate_backend($1::integer)", {pid});
  try {
    victim.query("SELECT 1");
    FAIL() << "a query ran on a terminated connection";
  } catch (const PostgresError& failure) {
    EXPECT_EQ(failure.kind(), PostgresError::Kind::ConnectionLost) << failure.what();
  }
  EXPECT_FALSE(victim.isOpen());
}

TEST(PostgresConnection, IdentifiersAreQuotedWhole) {
  EXPECT_EQ(PostgresConnection::quoteIdentifier("0_Data_Input"), "\"0_Data_Input\"");
  EXPECT_EQ(PostgresConnection::quoteIdentifier("a\"b"), "\"a\"\"b\"");
}

}  // namespace
