// Two programs on one database, on every storage: optimistic locking, rows
// changed, replaced or deleted by another connection, rows added meanwhile.
#include "tests/platform/dao/conformance/storage_conformance.h"

using namespace enginetest;
using automation::ObjectRef;
using automation::Variant;

namespace {

const std::string kConflict =
    "Write conflict: another user changed or deleted this record after you began editing it; your changes were "
    "not saved.";

}  // namespace

TEST_P(StorageTwoPrograms, SecondUpdateOfTheSameRowIsAWriteConflict) {
  createNumberedPeople(5);
  const std::vector<Row> before = storedRows();
  ObjectRef a = openTable();
  ObjectRef b = openTable();
  a->call("Move", {1});
  b->call("Move", {1});
  a->call("Edit");
  b->call("Edit");
  setField(a, "Name", "From A");
  a->call("Update");
  setField(b, "Name", "From B");
  setField(b, "Age", 99);
  expectEngineError([&] { b->call("Update"); }, 3197, kConflict);
  EXPECT_EQ(b->get("EditMode").asInt32(), 1);

  std::vector<Row> expected = before;
  expected[1].name = "From A";
  EXPECT_EQ(storedRows(), expected);

  // Starting again from the stored row succeeds.
  b->call("CancelUpdate");
  b->call("Edit");
  EXPECT_EQ(fieldValue(b, "Name").asText(), "From A");
  setField(b, "Age", 99);
  b->call("Update");
  expected[1].age = 99;
  EXPECT_EQ(storedRows(), expected);
}

TEST_P(StorageTwoPrograms, EditOfARowDeletedMeanwhileIsAWriteConflict) {
  createNumberedPeople(5);
  ObjectRef a = openTable();
  ObjectRef b = openTable();
  a->call("Edit");
  b->call("Delete");
  setField(a, "Name", "Gone");
  expectEngineError([&] { a->call("Update"); }, 3197, kConflict);
  EXPECT_EQ(storedRows().size(), 4u);
}

TEST_P(StorageTwoPrograms, ChangesOfOthersAreSeenWhenTheCursorLandsOnTheRow) {
  createNumberedPeople(5);
  ObjectRef a = openTable();
  ObjectRef b = openTable();
  EXPECT_EQ(fieldValue(a, "Name").asText(), "P1");
  a->call("MoveNext");  // rows ahead are read along with this one
  b->call("MoveLast");
  b->call("Edit");
  setField(b, "Name", "Late");
  b->call("Update");
  b->call("MoveFirst");
  b->call("Edit");
  setField(b, "Name", "First");
  b->call("Update");
  // The current row keeps the values read on landing until it is read again.
  a->call("MovePrevious");
  EXPECT_EQ(fieldValue(a, "Name").asText(), "First");
  a->call("MoveLast");
  EXPECT_EQ(fieldValue(a, "Name").asText(), "Late");
  b->call("Edit");
  setField(b, "Name", "Later");
  b->call("Update");
  b->call("MoveLast");
  b->call("Edit");
  setField(b, "Name", "Latest");
  b->call("Update");
  EXPECT_EQ(fieldValue(a, "Name").asText(), "Late");
  a->call("Move", {0});
  EXPECT_EQ(fieldValue(a, "Name").asText(), "Latest");
}

TEST_P(StorageTwoPrograms, ARowDeletedByAnotherConnectionIsReportedWhenReached) {
  createNumberedPeople(5);
  ObjectRef a = openTable();
  ObjectRef b = openTable();
  const Variant third = [&] {
    a->call("Move", {2});
    Variant bookmark = a->get("Bookmark");
    a->call("MoveFirst");
    return bookmark;
  }();
  b->call("Move", {2});
  b->call("Delete");
  a->call("MoveNext");
  a->call("MoveNext");  // lands on the deleted row without an error
  expectEngineError([&] { fieldValue(a, "Name"); }, 3167, "Record is deleted.");
  expectEngineError([&] { a->call("Edit"); }, 3167, "Record is deleted.");
  expectEngineError([&] { a->call("Delete"); }, 3167, "Record is deleted.");
  EXPECT_EQ(a->get("RecordCount").asInt32(), 4);  // found gone: no longer counted
  EXPECT_EQ(a->get("AbsolutePosition").asInt32(), -1);
  a->call("MoveNext");
  EXPECT_EQ(fieldValue(a, "Name").asText(), "P4");
  expectEngineError([&] { a->put("Bookmark", third); }, 3167, "Record is deleted.");
  a->call("MoveNext");
  EXPECT_EQ(fieldValue(a, "Name").asText(), "P4");
}

TEST_P(StorageTwoPrograms, FindingOneRowGoneTakesEveryRowDeletedElsewhereOutOfTheCount) {
  createNumberedPeople(5);
  ObjectRef a = openTable();
  a->call("AddNew");
  setField(a, "Name", "Added");
  setField(a, "Code", "ADD");
  a->call("Update");
  ASSERT_EQ(a->get("RecordCount").asInt32(), 6);
  // Another program deletes the first row, a middle one, the last one of
  // the table at open and the one this cursor added.
  database->execute(R"(DELETE FROM "People" WHERE "ID" IN (1, 3, 5, 6))");
  EXPECT_EQ(a->get("RecordCount").asInt32(), 6);  // not known yet
  a->call("MoveFirst");
  expectEngineError([&] { fieldValue(a, "Name"); }, 3167, "Record is deleted.");
  EXPECT_EQ(a->get("RecordCount").asInt32(), 2);
  a->call("MoveNext");
  EXPECT_EQ(fieldValue(a, "Name").asText(), "P2");
  EXPECT_EQ(a->get("AbsolutePosition").asInt32(), 0);
  a->call("MoveNext");
  EXPECT_EQ(fieldValue(a, "Name").asText(), "P4");
  EXPECT_EQ(a->get("AbsolutePosition").asInt32(), 1);
  a->call("MoveNext");
  EXPECT_TRUE(a->get("EOF").asBoolean());
}

TEST_P(StorageTwoPrograms, RowsOthersAddAppearAtTheNextOpen) {
  createNumberedPeople(5);
  ObjectRef a = openTable();
  ObjectRef b = openTable();
  b->call("AddNew");
  setField(b, "Name", "Newcomer");
  setField(b, "Code", "NEW");
  b->call("Update");
  EXPECT_EQ(a->get("RecordCount").asInt32(), 5);
  a->call("FindFirst", {"[Code] = \"NEW\""});
  EXPECT_TRUE(a->get("NoMatch").asBoolean());
  a->call("MoveLast");
  EXPECT_EQ(fieldValue(a, "Name").asText(), "P5");
  ObjectRef reopened = openTable();
  EXPECT_EQ(reopened->get("RecordCount").asInt32(), 6);
  reopened->call("FindFirst", {"[Code] = \"NEW\""});
  EXPECT_FALSE(reopened->get("NoMatch").asBoolean());
}

TEST_P(StorageTwoPrograms, AnUpdateByAnotherToolStillCausesAConflict) {
  createNumberedPeople(5);
  ObjectRef a = openTable();
  a->call("Edit");
  database->execute(R"(UPDATE "People" SET "Age" = 1 WHERE "ID" = 1)");
  setField(a, "Name", "Mine");
  expectEngineError([&] { a->call("Update"); }, 3197, kConflict);
}

TEST_P(StorageTwoPrograms, ARowReplacedWithItsCounterResetIsAWriteConflict) {
  createNumberedPeople(5);
  ObjectRef a = openTable();
  a->call("Move", {1});
  a->call("Edit");
  // Another program puts a different row in its place under the same key,
  // with the change counter a new row starts with.
  database->execute(R"(DELETE FROM "People" WHERE "ID" = 2)");
  database->execute(R"(INSERT INTO "People" ("ID", "Name", "Age", "Code", "zen_version") VALUES (2, 'P2', 20, 'C2', 0))");
  setField(a, "Name", "Mine");
  expectEngineError([&] { a->call("Update"); }, 3197, kConflict);
  EXPECT_EQ(a->get("EditMode").asInt32(), 1);
  EXPECT_EQ(storedRows()[1], (Row{"P2", Variant(20)}));
}

TEST_P(StorageTwoPrograms, DeletingARowAnotherProgramDeletedIsReportedAndNothingElseChanges) {
  createNumberedPeople(5);
  ObjectRef a = openTable();
  ObjectRef b = openTable();
  a->call("MoveLast");
  b->call("MoveLast");
  b->call("Delete");
  expectEngineError([&] { a->call("Delete"); }, 3167, "Record is deleted.");
  EXPECT_EQ(a->get("RecordCount").asInt32(), 4);
  EXPECT_EQ(storedRows().size(), 4u);
}
