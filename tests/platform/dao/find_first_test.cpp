// FindFirst with the criteria the table dataset builds for Locate, and its
// limits: the recordset's keyset, the position on no match, bad criteria,
// and the index of an indexed column serving prefix searches.
#include <sqlite3.h>

#include "platform/dao/criteria/criteria.h"
#include "tests/platform/dao/engine_test_support.h"

using namespace enginetest;
using automation::ObjectRef;
using automation::Variant;

namespace {

class FindFirst : public ::testing::Test {
 protected:
  FindFirst() {
    createPeopleDatabase(path, {{"Ann", 1, "A440"}, {"Bob", 2, "a441"}, {"Cy", 3, "B5A4"}, {"Dee", 4, "A4*1"},
                                {"Eve", 5, "A4[1"}, {"Fay", 6, "A4_1"}, {"Gus", 7, std::string()}});
    session = std::make_unique<EngineSession>(path);
    recordset = session->openTable();
  }
  // Locate's way: a clone, MoveFirst, FindFirst; the ID found or 0.
  int locate(const std::string& criteria) {
    ObjectRef clone = recordset->getObject("Clone");
    clone->call("MoveFirst");
    clone->call("FindFirst", {criteria});
    const int found = clone->get("NoMatch").asBoolean() ? 0 : fieldValue(clone, "ID").asInt32();
    clone->call("Close");
    return found;
  }

  TemporaryFolder folder;
  std::string path = folder.file("people.mdb");
  std::unique_ptr<EngineSession> session;
  ObjectRef recordset;
};

}  // namespace

TEST_F(FindFirst, PrefixSearchIgnoresCase) {
  EXPECT_EQ(locate("([Code]  LIKE LCASE(\"a44*\"))"), 1);
  EXPECT_EQ(locate("([Code]  LIKE LCASE(\"A441*\"))"), 2);
  EXPECT_EQ(locate("([Code]  LIKE LCASE(\"b5*\"))"), 3);
  EXPECT_EQ(locate("([Code]  LIKE LCASE(\"c*\"))"), 0);
}

TEST_F(FindFirst, WildcardCharactersInBracketsAreLiteral) {
  EXPECT_EQ(locate("([Code]  LIKE LCASE(\"a4[*]*\"))"), 4);
  EXPECT_EQ(locate("([Code]  LIKE LCASE(\"a4[[]*\"))"), 5);
  EXPECT_EQ(locate("([Code]  LIKE LCASE(\"a4_*\"))"), 6);
}

TEST_F(FindFirst, NullSearchesAndEqualities) {
  EXPECT_EQ(locate("([Code] IS NULL)"), 7);
  EXPECT_EQ(locate("([Name]  = LCASE(\"cy\"))"), 3);
  EXPECT_EQ(locate("([Age]  = 5)"), 5);
  EXPECT_EQ(locate("([Name]  LIKE LCASE(\"*\")) AND ([Age]  = 6)"), 6);
}

TEST_F(FindFirst, FindsTheFirstMatchInRecordsetOrderAndLandsOnIt) {
  recordset->call("MoveLast");
  recordset->call("FindFirst", {"[Code] LIKE \"A4*\""});
  EXPECT_FALSE(recordset->get("NoMatch").asBoolean());
  EXPECT_EQ(fieldValue(recordset, "Name").asText(), "Ann");
  EXPECT_EQ(recordset->get("AbsolutePosition").asInt32(), 0);
  recordset->call("MoveNext");
  EXPECT_EQ(fieldValue(recordset, "Name").asText(), "Bob");
}

TEST_F(FindFirst, NoMatchLeavesTheCursorWhereItWas) {
  recordset->call("Move", {2});
  recordset->call("FindFirst", {"[Name] = \"Nobody\""});
  EXPECT_TRUE(recordset->get("NoMatch").asBoolean());
  EXPECT_EQ(fieldValue(recordset, "Name").asText(), "Cy");
  recordset->call("FindFirst", {"[Name] = \"Cy\""});
  EXPECT_FALSE(recordset->get("NoMatch").asBoolean());
}

TEST_F(FindFirst, OnlyRowsOfTheKeysetAreFound) {
  recordset->call("Delete");  // Ann, through this recordset
  EXPECT_EQ(locate("([Code]  LIKE LCASE(\"a44*\"))"), 2);
  ObjectRef other = EngineSession(path).openTable();
  other->call("AddNew");
  setField(other, "Name", "Hal");
  setField(other, "Code", "ZZ");
  other->call("Update");
  EXPECT_EQ(locate("[Code] = \"ZZ\""), 0);
  EXPECT_EQ(locate("[Name] = \"Ann\""), 0);
}

TEST_F(FindFirst, ChangesOfOthersAreSearched) {
  ObjectRef other = EngineSession(path).openTable();
  other->call("MoveLast");
  other->call("Edit");
  setField(other, "Code", "NEW");
  other->call("Update");
  EXPECT_EQ(locate("([Code]  LIKE LCASE(\"new*\"))"), 7);
}

TEST_F(FindFirst, BadCriteriaAreEngineErrors) {
  expectEngineError([&] { recordset->call("FindFirst", {"[Nope] = 1"}); }, 3070,
                    "The criteria name 'Nope' is not a field of this recordset.");
  try {
    recordset->call("FindFirst", {"([Name] = \"x\""});
    FAIL();
  } catch (const automation::EOleException& error) {
    EXPECT_EQ(error.errorNumber(), 3077);
    EXPECT_EQ(std::string(error.what()).rfind("Syntax error in criteria: ", 0), 0u) << error.what();
  }
  EXPECT_EQ(fieldValue(recordset, "Name").asText(), "Ann");
}

TEST_F(FindFirst, TableQualifiedNamesAreFields) {
  EXPECT_EQ(locate("[People].[Name] = \"Eve\""), 5);
}

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
