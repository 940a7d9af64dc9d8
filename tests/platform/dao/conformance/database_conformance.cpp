// The Database object and its TableDefs on every storage: the catalogue of
// the program's tables, what the database reports of itself, read-only and
// closed databases.
#include "schema/schema.h"
#include "tests/platform/dao/conformance/storage_conformance.h"

using namespace enginetest;
using automation::ObjectRef;

namespace {

const std::string kClosed = "Object invalid or no longer set.";
const std::string kReadOnly = "Cannot update. Database or object is read-only.";

}  // namespace

TEST_P(StorageDatabase, TableDefsListTheProgramsTablesInOrderThenTheSystemTables) {
  createNumberedPeople(4);
  ObjectRef db = openDatabase();
  EXPECT_EQ(db->get("Version").asText(), "3.0");
  EXPECT_EQ(db->get("CollatingOrder").asInt32(), 1033);
  EXPECT_TRUE(db->get("Updatable").asBoolean());

  ObjectRef tableDefs = db->getObject("TableDefs");
  std::string userTables;
  std::string systemTables;
  for (int i = 0; i < tableDefs->get("Count").asInt32(); ++i) {
    ObjectRef table = tableDefs->getObject("Item", {i});
    const auto attributes = static_cast<std::uint32_t>(table->get("Attributes").asInt32());
    ((attributes & 0x80000002u) == 0 ? userTables : systemTables) += table->get("Name").asText() + " ";
  }
  std::string expected;
  for (const schema::TableDefinition& table : schema::allTables()) expected += std::string(table.name) + " ";
  EXPECT_EQ(userTables, expected + "People ");
  EXPECT_EQ(systemTables, "ZSysTables ZSysColumns ");

  ObjectRef dataInput = tableDefs->getObject("Item", {std::string(schema::tables::DataInput)});
  EXPECT_EQ(dataInput->get("RecordCount").asInt32(), 3);
  ObjectRef fields = dataInput->getObject("Fields");
  ASSERT_EQ(fields->get("Count").asInt32(), static_cast<int>(schema::findTable(schema::tables::DataInput)->fields.size()));
  EXPECT_EQ(fields->getObject("Item", {0})->get("Name").asText(), "ID");
  EXPECT_EQ(tableDefs->getObject("Item", {"people"})->get("RecordCount").asInt32(), 4);

  // The catalogue reads as the engine's own tables, which cannot be written.
  ObjectRef columns = db->getObject("OpenRecordset", {"ZSysColumns", 2, 0, 3});
  EXPECT_FALSE(columns->get("Updatable").asBoolean());
  expectEngineError([&] { columns->call("Edit"); }, 3027, kReadOnly);
  expectEngineError([&] { db->call("OpenRecordset", {"Nobody", 2, 0, 3}); }, 3078,
                    "Cannot find table or query 'Nobody'.");
}

TEST_P(StorageDatabase, ProgramTablesReadBackAsStored) {
  createNumberedPeople(1);
  ObjectRef recordset = openDatabase()->getObject("OpenRecordset", {std::string(schema::tables::DataInput), 2, 0, 3});
  EXPECT_EQ(recordset->get("RecordCount").asInt32(), 3);
  recordset->call("MoveLast");
  EXPECT_EQ(fieldValue(recordset, "ID").asInt32(), 3);
  EXPECT_EQ(fieldValue(recordset, std::string(schema::fields::B5_Word)).asText(), "r3");
  EXPECT_EQ(fieldValue(recordset, std::string(schema::fields::Note)).asText(), "r3");
  EXPECT_EQ(fieldValue(recordset, std::string(schema::fields::XI_B_8)).asText(), "r3") << "names ignore letter case";
}

TEST_P(StorageDatabase, AReadOnlyDatabaseRefusesEveryWriteAndWritesNothing) {
  createNumberedPeople(3);
  ObjectRef db = openDatabase(true);
  EXPECT_FALSE(db->get("Updatable").asBoolean());
  ObjectRef recordset = db->getObject("OpenRecordset", {"People", 2, 0, 3});
  EXPECT_FALSE(recordset->get("Updatable").asBoolean());
  expectEngineError([&] { recordset->call("Edit"); }, 3027, kReadOnly);
  expectEngineError([&] { recordset->call("AddNew"); }, 3027, kReadOnly);
  expectEngineError([&] { recordset->call("Delete"); }, 3027, kReadOnly);
  EXPECT_EQ(storedRows().size(), 3u);
}

TEST_P(StorageDatabase, AClosedDatabaseAndItsRecordsetsAreNoLongerSet) {
  createNumberedPeople(3);
  ObjectRef db = openDatabase();
  ObjectRef recordset = db->getObject("OpenRecordset", {"People", 2, 0, 3});
  ObjectRef clone = recordset->getObject("Clone");
  ObjectRef tableDefs = db->getObject("TableDefs");
  db->call("Close");
  expectEngineError([&] { recordset->call("MoveNext"); }, 3420, kClosed);
  expectEngineError([&] { clone->call("MoveFirst"); }, 3420, kClosed);
  expectEngineError([&] { fieldValue(recordset, "Name"); }, 3420, kClosed);
  expectEngineError([&] { tableDefs->get("Count"); }, 3420, kClosed);
  expectEngineError([&] { db->get("Version"); }, 3420, kClosed);
}
