// FindFirst on every storage with the criteria the table dataset builds for
// Locate, and its limits: the recordset's keyset, the position on no match,
// bad criteria.
#include "tests/platform/dao/conformance/storage_conformance.h"

using namespace enginetest;
using automation::ObjectRef;
using automation::Variant;

namespace {

const std::vector<Person> kPeople = {{"Ann", 1, "A440"}, {"Bob", 2, "a441"}, {"Cy", 3, "B5A4"}, {"Dee", 4, "A4*1"},
                                     {"Eve", 5, "A4[1"}, {"Fay", 6, "A4_1"}, {"Gus", 7, std::string()}};

// Locate's way: a clone, MoveFirst, FindFirst; the ID found or 0.
int locate(const ObjectRef& recordset, const std::string& criteria) {
  ObjectRef clone = recordset->getObject("Clone");
  clone->call("MoveFirst");
  clone->call("FindFirst", {criteria});
  const int found = clone->get("NoMatch").asBoolean() ? 0 : fieldValue(clone, "ID").asInt32();
  clone->call("Close");
  return found;
}

}  // namespace

TEST_P(StorageFindFirst, PrefixSearchIgnoresCase) {
  createPeople(kPeople);
  ObjectRef recordset = openTable();
  EXPECT_EQ(locate(recordset, "([Code]  LIKE LCASE(\"a44*\"))"), 1);
  EXPECT_EQ(locate(recordset, "([Code]  LIKE LCASE(\"A441*\"))"), 2);
  EXPECT_EQ(locate(recordset, "([Code]  LIKE LCASE(\"b5*\"))"), 3);
  EXPECT_EQ(locate(recordset, "([Code]  LIKE LCASE(\"c*\"))"), 0);
}

TEST_P(StorageFindFirst, WildcardCharactersInBracketsAreLiteral) {
  createPeople(kPeople);
  ObjectRef recordset = openTable();
  EXPECT_EQ(locate(recordset, "([Code]  LIKE LCASE(\"a4[*]*\"))"), 4);
  EXPECT_EQ(locate(recordset, "([Code]  LIKE LCASE(\"a4[[]*\"))"), 5);
  EXPECT_EQ(locate(recordset, "([Code]  LIKE LCASE(\"a4_*\"))"), 6);
}

TEST_P(StorageFindFirst, NullSearchesAndEqualities) {
  createPeople(kPeople);
  ObjectRef recordset = openTable();
  EXPECT_EQ(locate(recordset, "([Code] IS NULL)"), 7);
  EXPECT_EQ(locate(recordset, "([Name]  = LCASE(\"cy\"))"), 3);
  EXPECT_EQ(locate(recordset, "([Age]  = 5)"), 5);
  EXPECT_EQ(locate(recordset, "([Name]  LIKE LCASE(\"*\")) AND ([Age]  = 6)"), 6);
}

TEST_P(StorageFindFirst, FindsTheFirstMatchInRecordsetOrderAndLandsOnIt) {
  createPeople(kPeople);
  ObjectRef recordset = openTable();
  recordset->call("MoveLast");
  recordset->call("FindFirst", {"[Code] LIKE \"A4*\""});
  EXPECT_FALSE(recordset->get("NoMatch").asBoolean());
  EXPECT_EQ(fieldValue(recordset, "Name").asText(), "Ann");
  EXPECT_EQ(recordset->get("AbsolutePosition").asInt32(), 0);
  recordset->call("MoveNext");
  EXPECT_EQ(fieldValue(recordset, "Name").asText(), "Bob");
}

TEST_P(StorageFindFirst, NoMatchLeavesTheCursorWhereItWas) {
  createPeople(kPeople);
  ObjectRef recordset = openTable();
  recordset->call("Move", {2});
  recordset->call("FindFirst", {"[Name] = \"Nobody\""});
  EXPECT_TRUE(recordset->get("NoMatch").asBoolean());
  EXPECT_EQ(fieldValue(recordset, "Name").asText(), "Cy");
  recordset->call("FindFirst", {"[Name] = \"Cy\""});
  EXPECT_FALSE(recordset->get("NoMatch").asBoolean());
}

TEST_P(StorageFindFirst, OnlyRowsOfTheKeysetAreFound) {
  createPeople(kPeople);
  ObjectRef recordset = openTable();
  recordset->call("Delete");  // Ann, through this recordset
  EXPECT_EQ(locate(recordset, "([Code]  LIKE LCASE(\"a44*\"))"), 2);
  ObjectRef other = openTable();
  other->call("AddNew");
  setField(other, "Name", "Hal");
  setField(other, "Code", "ZZ");
  other->call("Update");
  EXPECT_EQ(locate(recordset, "[Code] = \"ZZ\""), 0);
  EXPECT_EQ(locate(recordset, "[Name] = \"Ann\""), 0);
}

TEST_P(StorageFindFirst, ChangesOfOthersAreSearched) {
  createPeople(kPeople);
  ObjectRef recordset = openTable();
  ObjectRef other = openTable();
  other->call("MoveLast");
  other->call("Edit");
  setField(other, "Code", "NEW");
  other->call("Update");
  EXPECT_EQ(locate(recordset, "([Code]  LIKE LCASE(\"new*\"))"), 7);
}

// The table's cursor moved to the row a clone found (Locate's way) shows the
// row as it is at that moment: a change another program made after the find,
// or one made through another recordset, is seen; without a change the row
// is the one found.
TEST_P(StorageFindFirst, TheRowFoundIsAsFreshAtTheLandingAsARead) {
  createPeople(kPeople);
  ObjectRef recordset = openTable();
  const auto foundBy = [&](const std::string& criteria) {
    ObjectRef clone = recordset->getObject("Clone");
    clone->call("MoveFirst");
    clone->call("FindFirst", {criteria});
    EXPECT_FALSE(clone->get("NoMatch").asBoolean());
    const Variant bookmark = clone->get("Bookmark");
    clone->call("Close");
    return bookmark;
  };
  Variant found = foundBy("([Code]  LIKE LCASE(\"b5*\"))");
  database->execute("UPDATE \"People\" SET \"Name\" = 'Cyd' WHERE \"ID\" = 3");
  recordset->put("Bookmark", found);
  EXPECT_EQ(fieldValue(recordset, "Name").asText(), "Cyd");

  found = foundBy("[Name] = \"Dee\"");
  ObjectRef other = openTable();
  other->call("FindFirst", {"[Name] = \"Dee\""});
  other->call("Edit");
  setField(other, "Age", 40);
  other->call("Update");
  recordset->put("Bookmark", found);
  EXPECT_EQ(fieldValue(recordset, "Age").asInt32(), 40);

  found = foundBy("[Name] = \"Eve\"");
  recordset->put("Bookmark", found);
  EXPECT_EQ(fieldValue(recordset, "Name").asText(), "Eve");
  EXPECT_EQ(fieldValue(recordset, "Code").asText(), "A4[1");
  // Deleted by another program after the find: the landing reports it.
  found = foundBy("[Name] = \"Fay\"");
  database->execute("DELETE FROM \"People\" WHERE \"ID\" = 6");
  expectEngineError([&] { recordset->put("Bookmark", found); }, 3167, "Record is deleted.");
}

TEST_P(StorageFindFirst, BadCriteriaAreEngineErrors) {
  createPeople(kPeople);
  ObjectRef recordset = openTable();
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

TEST_P(StorageFindFirst, TableQualifiedNamesAreFields) {
  createPeople(kPeople);
  ObjectRef recordset = openTable();
  EXPECT_EQ(locate(recordset, "[People].[Name] = \"Eve\""), 5);
}

