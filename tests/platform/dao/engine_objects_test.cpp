// DBEngine, Workspace, Database and their collections as the connection
// component calls them: creation by ProgID, settings, workspaces, opening,
// the collections it refreshes, and the Errors collection after a failure.
#include "platform/automation/class_registry.h"
#include "tests/platform/dao/engine_test_support.h"

using namespace enginetest;
using automation::ObjectRef;
using automation::Variant;

namespace {

class EngineObjects : public ::testing::Test {
 protected:
  EngineObjects() {
    createNumberedPeople(path, 3);
    engine = automation::createOleObject("DAO.DBEngine.36");
  }
  ObjectRef workspace() { return engine->getObject("CreateWorkspace", {"DaoWorkspace", "Admin", "", 2}); }

  TemporaryFolder folder;
  std::string path = folder.file("Lexora_Concept.mdb");
  automation::ScopedComInitialization com;
  ObjectRef engine;
};

}  // namespace

TEST_F(EngineObjects, EngineReportsVersionThreeSixAndKeepsItsSettings) {
  EXPECT_EQ(engine->get("Version").asText(), "3.6");
  EXPECT_EQ(engine->get("Version").asText()[2], '6');
  engine->put("SystemDB", "system.mdb");
  engine->put("DefaultUser", "Admin");
  engine->put("DefaultPassword", "");
  engine->put("DefaultType", 2);
  EXPECT_EQ(engine->get("SystemDB").asText(), "system.mdb");
  EXPECT_EQ(engine->get("DefaultUser").asText(), "Admin");
  EXPECT_EQ(engine->get("DefaultType").asInt32(), 2);
  expectEngineError([&] { engine->put("DefaultType", 3); }, 3001, "Invalid argument.");
  EXPECT_NO_THROW(engine->call("Idle", {1}));
  EXPECT_NO_THROW(engine->call("Idle", {8}));
  EXPECT_NO_THROW(engine->getObject("Properties")->call("Refresh"));
  EXPECT_EQ(engine->getObject("Properties")->getObject("Item", {"Version"})->get("Value").asText(), "3.6");
}

TEST_F(EngineObjects, EachCreationGivesAnIndependentEngine) {
  ObjectRef other = automation::createOleObject("DAO.DBEngine.36");
  engine->put("SystemDB", "a.mdw");
  EXPECT_EQ(other->get("SystemDB").asText(), "");
}

TEST_F(EngineObjects, WorkspacesAreCreatedAppendedAndNamed) {
  ObjectRef created = workspace();
  EXPECT_EQ(created->get("Name").asText(), "DaoWorkspace");
  ObjectRef workspaces = engine->getObject("Workspaces");
  const int before = workspaces->get("Count").asInt32();
  workspaces->call("Append", {created});
  workspaces->call("Refresh");
  EXPECT_EQ(workspaces->get("Count").asInt32(), before + 1);
  EXPECT_EQ(workspaces->getObject("Item", {"daoworkspace"})->get("Name").asText(), "DaoWorkspace");
  EXPECT_EQ(engine->getObject("Workspaces", {0})->get("Name").asText(), "#Default Workspace#");
  expectEngineError([&] { workspaces->call("Append", {created}); }, 3367,
                    "Cannot append. An object with that name already exists in the collection.");
  created->call("Close");
  EXPECT_EQ(workspaces->get("Count").asInt32(), before);
  for (const char* collection : {"Users", "Groups", "Databases", "Properties"}) {
    EXPECT_NO_THROW(workspace()->getObject(collection)->call("Refresh")) << collection;
  }
  EXPECT_EQ(workspace()->getObject("Users", {0})->get("Name").asText(), "Admin");
}

TEST_F(EngineObjects, OnlyTheAdminAccountExists) {
  expectEngineError([&] { engine->call("CreateWorkspace", {"w", "Guest", "", 2}); }, 3029,
                    "Not a valid account name or password.");
  expectEngineError([&] { engine->call("CreateWorkspace", {"w", "Admin", "secret", 2}); }, 3029,
                    "Not a valid account name or password.");
  expectEngineError([&] { engine->call("CreateWorkspace", {"w", "Admin", "", 1}); }, 3251,
                    "Operation is not supported for this type of object.");
  EXPECT_NO_THROW(engine->call("CreateWorkspace", {"w", "ADMIN", ""}));
}

TEST_F(EngineObjects, DatabaseReportsFormatVersionAndCollatingOrder) {
  ObjectRef database = workspace()->getObject("OpenDatabase", {path, false, false, ";UID=Admin;PWD=;"});
  EXPECT_EQ(database->get("Version").asText(), "3.0");
  EXPECT_EQ(database->get("CollatingOrder").asInt32(), 1033);
  EXPECT_EQ(database->get("QueryTimeout").asInt32(), 60);
  database->put("QueryTimeout", 30);
  EXPECT_EQ(database->get("QueryTimeout").asInt32(), 30);
  EXPECT_EQ(database->get("RecordsAffected").asInt32(), 0);
  EXPECT_EQ(database->get("Name").asText(), path);
  EXPECT_TRUE(database->get("Updatable").asBoolean());
}

TEST_F(EngineObjects, ConnectStringsOfOtherFormatsNeedAnIsam) {
  ObjectRef space = workspace();
  expectEngineError([&] { space->call("OpenDatabase", {path, false, false, "dBASE IV;"}); }, 3170,
                    "Could not find installable ISAM.");
  expectEngineError([&] { space->call("OpenDatabase", {path, false, false, "ODBC;DSN=x"}); }, 3170,
                    "Could not find installable ISAM.");
  EXPECT_NO_THROW(space->call("OpenDatabase", {path, false, false, ";UID=Admin;PWD=anything;"}));
  EXPECT_NO_THROW(space->call("OpenDatabase", {path}));
}

TEST_F(EngineObjects, CollectionsTheConnectionRefreshes) {
  ObjectRef database = workspace()->getObject("OpenDatabase", {path, false, false, ";UID=Admin;PWD=;"});
  for (const char* collection : {"TableDefs", "QueryDefs", "Containers", "Relations", "Recordsets", "Properties"}) {
    EXPECT_NO_THROW(database->getObject(collection)->call("Refresh")) << collection;
  }
  EXPECT_EQ(database->getObject("QueryDefs")->get("Count").asInt32(), 0);
  expectEngineError([&] { database->getObject("QueryDefs")->call("Item", {"q"}); }, 3265,
                    "Item not found in this collection.");
  ObjectRef recordset = database->getObject("OpenRecordset", {"People", 2, 0, 3});
  EXPECT_EQ(database->getObject("Recordsets")->get("Count").asInt32(), 1);
  recordset->call("Close");
  EXPECT_EQ(database->getObject("Recordsets")->get("Count").asInt32(), 0);
}

TEST_F(EngineObjects, TableDefsMarkSystemTables) {
  {
    dao::DatabaseBuilder builder = dao::DatabaseBuilder::createNew(folder.file("system.mdb"));
    builder.createTable(peopleTable());
    dao::TableDefinition hidden{"MSysLike", {{.name = "Value", .type = dao::dbText, .size = 20}}, true};
    builder.createTable(hidden);
    builder.commit();
  }
  ObjectRef database = workspace()->getObject("OpenDatabase", {folder.file("system.mdb"), false, false, ""});
  ObjectRef tableDefs = database->getObject("TableDefs");
  tableDefs->call("Refresh");
  std::vector<std::string> userTables;
  std::vector<std::string> systemTables;
  for (int i = 0; i < tableDefs->get("Count").asInt32(); ++i) {
    ObjectRef table = tableDefs->getObject("Item", {i});
    const auto attributes = static_cast<std::uint32_t>(table->get("Attributes").asInt32());
    ((attributes & 0x80000002u) == 0 ? userTables : systemTables).push_back(table->get("Name").asText());
  }
  EXPECT_EQ(userTables, std::vector<std::string>{"People"});
  EXPECT_EQ(systemTables, (std::vector<std::string>{"MSysLike", "ZSysTables", "ZSysColumns"}));
  ObjectRef people = tableDefs->getObject("Item", {"PEOPLE"});
  EXPECT_EQ(people->get("RecordCount").asInt32(), 0);
  EXPECT_EQ(people->getObject("Fields")->get("Count").asInt32(), 6);
  EXPECT_EQ(people->getObject("Fields", {1})->get("Name").asText(), "Name");
  // The engine's own tables can be read, not written.
  ObjectRef columns = database->getObject("OpenRecordset", {"ZSysColumns", 2, 0, 3});
  EXPECT_FALSE(columns->get("Updatable").asBoolean());
  EXPECT_EQ(fieldValue(columns, "name").asText(), "ID");
}

TEST_F(EngineObjects, OpenRecordsetTypesAndLocks) {
  ObjectRef database = workspace()->getObject("OpenDatabase", {path, false, false, ""});
  EXPECT_TRUE(database->getObject("OpenRecordset", {"People"})->get("Updatable").asBoolean());
  EXPECT_TRUE(database->getObject("OpenRecordset", {"people", 2, 0, 3})->get("Updatable").asBoolean());
  EXPECT_FALSE(database->getObject("OpenRecordset", {"People", 4})->get("Updatable").asBoolean());
  EXPECT_FALSE(database->getObject("OpenRecordset", {"People", 2, 4})->get("Updatable").asBoolean());
  EXPECT_FALSE(database->getObject("OpenRecordset", {"People", 2, 0, 4})->get("Updatable").asBoolean());
  expectEngineError([&] { database->call("OpenRecordset", {"People", 16}); }, 3251,
                    "Operation is not supported for this type of object.");
  expectEngineError([&] { database->call("OpenRecordset", {"People", 2, 0, 2}); }, 3251,
                    "Operation is not supported for this type of object.");
  expectEngineError([&] { database->call("OpenRecordset", {"People", 3}); }, 3001, "Invalid argument.");
  expectEngineError([&] { database->call("OpenRecordset", {"Nobody", 2, 0, 3}); }, 3078,
                    "Cannot find table or query 'Nobody'.");
  expectEngineError([&] { database->call("OpenRecordset", {"[People]", 2, 0, 3}); }, 3078,
                    "Cannot find table or query '[People]'.");
}

TEST_F(EngineObjects, TheLastFailureIsInErrors) {
  ObjectRef database = workspace()->getObject("OpenDatabase", {path, false, false, ""});
  EXPECT_EQ(engine->getObject("Errors")->get("Count").asInt32(), 0);
  try {
    database->call("OpenRecordset", {"Nobody", 2, 0, 3});
    FAIL();
  } catch (const automation::EOleException& error) {
    EXPECT_EQ(error.source(), "DAO.Database");
    EXPECT_EQ(error.helpContext(), 3078);
  }
  ObjectRef errors = engine->getObject("Errors");
  errors->call("Refresh");
  ASSERT_EQ(errors->get("Count").asInt32(), 1);
  ObjectRef first = errors->getObject("Item", {0});
  EXPECT_EQ(first->get("Number").asInt32(), 3078);
  EXPECT_EQ(first->get("Source").asText(), "DAO.Database");
  EXPECT_EQ(first->get("Description").asText(), "Cannot find table or query 'Nobody'.");
  EXPECT_EQ(first->get("HelpFile").asText(), "");
  EXPECT_EQ(first->get("HelpContext").asInt32(), 3078);
  EXPECT_EQ(engine->getObject("Errors", {0})->get("Number").asInt32(), 3078);
  // A successful call leaves the last error in place; the next failure replaces it.
  database->call("OpenRecordset", {"People", 2, 0, 3});
  EXPECT_EQ(engine->getObject("Errors")->get("Count").asInt32(), 1);
  ObjectRef recordset = database->getObject("OpenRecordset", {"People", 2, 0, 3});
  recordset->call("MoveLast");
  recordset->call("MoveNext");
  EXPECT_THROW(recordset->call("MoveNext"), automation::EOleException);
  EXPECT_EQ(engine->getObject("Errors", {0})->get("Number").asInt32(), 3021);
  EXPECT_EQ(engine->getObject("Errors", {0})->get("Source").asText(), "DAO.Recordset");
}

TEST_F(EngineObjects, ClosedObjectsAreNoLongerSet) {
  ObjectRef space = workspace();
  ObjectRef database = space->getObject("OpenDatabase", {path, false, false, ""});
  ObjectRef recordset = database->getObject("OpenRecordset", {"People", 2, 0, 3});
  ObjectRef field = recordset->getObject("Fields", {0});
  database->call("Close");
  const std::string closed = "Object invalid or no longer set.";
  expectEngineError([&] { recordset->get("EOF"); }, 3420, closed);
  expectEngineError([&] { field->get("Value"); }, 3420, closed);
  expectEngineError([&] { database->get("Version"); }, 3420, closed);
  expectEngineError([&] { database->call("Close"); }, 3420, closed);
  ObjectRef second = space->getObject("OpenDatabase", {path, false, false, ""});
  space->call("Close");
  expectEngineError([&] { second->call("OpenRecordset", {"People"}); }, 3420, closed);
  expectEngineError([&] { space->get("Name"); }, 3420, closed);
}

TEST_F(EngineObjects, UnknownMembersAreAutomationErrors) {
  try {
    engine->get("CompactDatabaseNow");
    FAIL();
  } catch (const automation::EOleException& error) {
    EXPECT_EQ(error.errorCode(), automation::hresult::unknownName);
  }
}
