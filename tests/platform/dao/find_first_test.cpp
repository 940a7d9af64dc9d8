// FindFirst on the database file: the index of an indexed column serves
// the prefix searches Locate builds.
#include <sqlite3.h>

#include "platform/dao/criteria/criteria.h"
#include "tests/platform/dao/engine_test_support.h"

using namespace enginetest;

TEST(FindFirstIndex, APrefixSearchOnAnIndexedColumnUsesTheIndex) {
  TemporaryFolder folder;
  const std::string path = folder.file("index.mdb");
  createNumberedPeople(path, 10);
  // The statement FindFirst runs for the criteria Locate builds, planned by SQLite.
  const auto compiled = dao::criteria::compileCriteria("([Code]  LIKE LCASE(\"c5*\"))", [](const std::string& name) {
    return dao::criteria::ResolvedColumn{name == "Code" ? "Code" : name, dao::dbText};
  });
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
  dao::criteria::registerCriteriaFunctions(db);
  const std::string sql = "EXPLAIN QUERY PLAN SELECT \"ID\" FROM \"People\" WHERE (" + compiled.whereSql + ") ORDER BY \"ID\"";
  sqlite3_stmt* plan = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &plan, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
  std::string details;
  while (sqlite3_step(plan) == SQLITE_ROW) details += reinterpret_cast<const char*>(sqlite3_column_text(plan, 3)) + std::string("\n");
  sqlite3_finalize(plan);
  sqlite3_close(db);
  EXPECT_NE(details.find("INDEX zen_ux_People_3"), std::string::npos) << details;
}
