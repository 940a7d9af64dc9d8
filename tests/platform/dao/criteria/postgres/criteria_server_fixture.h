#pragma once
// One table of awkward rows, created alike in an in-memory SQLite database
// (with the engine's criteria functions) and on the throwaway PostgreSQL
// server of tests/support/with_postgres.sh (with postgresCriteriaFunctionsSql),
// each in its storage's own representation; and running compiled criteria on
// either, so that the row sets can be compared.
//
// Without ZENMORA_TEST_POSTGRES the tests skip with the reason (a plain local
// ctest run); with it, an unreachable server is a failure.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/dao/criteria/criteria.h"
#include "platform/postgres/postgres_connection.h"
#include "tests/platform/dao/criteria/criteria_test_support.h"

namespace criteria_server_test {

// The outcome of one query: the matching IDs in order, or "error: ..." with
// the kind of error (an invalid LIKE pattern read from a field, or other).
std::string runOnSqlite(sqlite3* db, const std::string& table, const dao::criteria::CompiledCriteria& compiled);
std::string runOnServer(postgres::PostgresConnection& server, const std::string& table,
                        const dao::criteria::CompiledCriteria& compiled);

// Connects to the test server, or returns nullopt after GTEST_SKIP (no
// server configured) or a test failure (configured but unreachable).
std::optional<postgres::PostgresConnection> connectToTestServer(std::string& skipReason);

// The columns of the awkward table: name -> column and engine type.
dao::criteria::ColumnResolver awkwardColumns();

// Creates "awkward" in both databases (the server one in a schema of its own,
// set as the search path, with the criteria functions installed).
void createAwkwardTable(sqlite3* db, postgres::PostgresConnection& server);

}  // namespace criteria_server_test
