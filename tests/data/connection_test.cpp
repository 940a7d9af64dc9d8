// The connection component: creation against the registry and the ProgIDs,
// finding the file, the engine calls of a connect, the loading state, the
// setters refused while connected, disconnecting.
#include <fstream>

#include "data/program_directory.h"
#include "platform/automation/call_observer.h"
#include "platform/automation/class_registry.h"
#include "platform/automation/com_init.h"
#include "platform/automation/system_registry.h"
#include "platform/dao/dao_engine.h"
#include "tests/data/data_test_support.h"

using namespace datatest;
using automation::RegistryRoot;
using data::TOrvDaoDatabase;

namespace {

class Connection : public ::testing::Test {
 protected:
  Connection() { CreateNumberedWords(path, 3); }

  TemporaryFolder folder;
  std::string path = folder.file("Lexora_Concept.mdb");
  framework::TComponent owner{"Form1"};
};

constexpr const char* kGeneralOrder = "General (English, French, German, Portuguese, Italian, and Modern Spanish)";

}  // namespace

// ---- Creation ----

TEST_F(Connection, CreationProbesTheEngineAndTakesTheRegisteredWorkgroupFile) {
  TOrvDaoDatabase db("OrvDaoDatabase1", &owner);
  EXPECT_EQ(db.AvailableVersions(), std::vector<std::string>{"3.6"});
  EXPECT_EQ(db.Version(), "3.6");
  EXPECT_EQ(db.VersionInfo(), "(In Access'2000 mode)");
  EXPECT_EQ(db.SystemDatabase(), "system.mdb");
  EXPECT_EQ(db.DaoEngine()->get("SystemDB").asText(), "system.mdb");
  EXPECT_EQ(db.DaoEngine()->get("DefaultUser").asText(), "Admin");
  EXPECT_EQ(db.DaoEngine()->get("DefaultType").asInt32(), 2);
  EXPECT_FALSE(db.DaoWorkspace()) << "no workspace before the first connect";
  EXPECT_EQ(db.DatabaseLanguage(), "");
}

// The start-up hint reaches the engine only for a server's connection
// string, and a missing engine or one that does not take it costs nothing
// but the hint (the open reports whatever is wrong).
TEST_F(Connection, TheStartUpHintAsksTheEngineOnlyAboutAServerAndNeverFails) {
  automation::ScopedComInitialization com;  // as the program has it before its window
  automation::CallRecorder calls;
  TOrvDaoDatabase::PrepareEngineFor(path);
  TOrvDaoDatabase::PrepareEngineFor("postgresql://team@db.example/lexora");
  EXPECT_EQ(calls.sequence(), std::vector<std::string>{"DBEngine.PrepareDatabase"});
  EXPECT_EQ(calls.calls().at(0).arguments.at(0).asText(), "postgresql://team@db.example/lexora");
  {
    automation::ScopedClassRemoval noEngine("DAO.DBEngine.36");
    TOrvDaoDatabase::PrepareEngineFor("service=team");
  }
  automation::ScopedClassRegistration older("DAO.DBEngine.36", [] { return dao::createEngine(); });
  EXPECT_EQ(calls.count("PrepareDatabase"), 1u);
}

TEST_F(Connection, CreationFailsWithoutComOrWithoutAnEngine) {
  {
    automation::ScopedCoInitializeFailure failing;
    ExpectDatabaseError([&] { TOrvDaoDatabase db("OrvDaoDatabase1", &owner); }, "Unable to init OLE objects!");
  }
  {
    automation::ScopedClassRemoval noEngine("DAO.DBEngine.36");
    ExpectDatabaseError([&] { TOrvDaoDatabase db("OrvDaoDatabase1", &owner); }, "Cannot find DAO on your system!");
  }
  EXPECT_EQ(owner.ComponentCount(), 0);
  EXPECT_FALSE(automation::isComInitializedOnThisThread());
}

TEST_F(Connection, ThreeFiveIsPreferredAndAStoredThreeSixThenCannotConnectWithoutIt) {
  automation::ScopedClassRegistration older("DAO.DBEngine.35", [] { return dao::createEngine(); });
  automation::ScopedClassRemoval noNewer("DAO.DBEngine.36");
  TOrvDaoDatabase db("OrvDaoDatabase1", &owner);
  EXPECT_EQ(db.Version(), "3.5");
  EXPECT_EQ(db.AvailableVersions(), std::vector<std::string>{"3.5"});
  db.BeginLoading();
  db.SetVersion("3.6 (stored)");
  EXPECT_EQ(db.Version(), "3.6");
  db.SetDatabase(path);
  ExpectDatabaseError([&] { db.SetConnected(true); },
                      "You does not have Microsoft DAO installed ot it is an OLD Version!");
  EXPECT_FALSE(db.Connected());
}

TEST_F(Connection, AMissingRegisteredWorkgroupFileLeavesSystemDatabaseEmpty) {
  automation::ScopedRegistryState registry;
  automation::registry::deleteValue(RegistryRoot::LocalMachine, "SOFTWARE\\Microsoft\\JET\\4.0\\Engines", "SystemDB");
  TOrvDaoDatabase db("OrvDaoDatabase1", &owner);
  EXPECT_EQ(db.SystemDatabase(), "");
  EXPECT_EQ(db.DaoEngine()->get("SystemDB").asText(), "");
}

// ---- Connecting ----

TEST_F(Connection, ConnectMakesTheEngineCallsInOrderAndReadsTheFileVersion) {
  TOrvDaoDatabase db("OrvDaoDatabase1", &owner);
  db.SetDatabase(path);
  automation::CallRecorder calls;
  db.SetConnected(true);
  ASSERT_TRUE(db.Connected());
  std::vector<std::string> head;
  for (const automation::RecordedCall& call : calls.calls()) {
    if (call.member == "Idle") continue;
    std::string entry = call.objectType + "." + call.member;
    for (const auto& argument : call.arguments) entry += " " + automation::describe(argument);
    if (call.kind == automation::InvokeKind::PropertyPut) entry += " := " + automation::describe(call.assignedValue);
    head.push_back(entry);
    if (call.member == "OpenDatabase") break;
  }
  const std::vector<std::string> expected = {
      "DBEngine.SystemDB := String \"system.mdb\"",
      "DBEngine.Version",
      "DBEngine.DefaultUser := String \"Admin\"",
      "DBEngine.DefaultPassword := String \"\"",
      "DBEngine.CreateWorkspace String \"DaoWorkspace\" String \"Admin\" String \"\" Integer 2",
      "DBEngine.Workspaces",
      "Workspaces.Append Dispatch",
      "Workspace.Name",
      "Workspace.OpenDatabase String \"" + path + "\" Boolean False Boolean False String \";UID=Admin;PWD=;\"",
  };
  EXPECT_EQ(head, expected);
  EXPECT_EQ(calls.count("Idle"), 2u);
  EXPECT_EQ(db.DatabaseVersionInfo(), "3.0");
  EXPECT_EQ(db.DatabaseLanguage(), kGeneralOrder);
  EXPECT_EQ(db.TableNames(), (std::vector<std::string>{"Words", "Lookup"}));

  calls.clear();
  db.SetConnected(true);
  EXPECT_EQ(calls.count("OpenDatabase"), 0u) << "a second True must not open again";
}

TEST_F(Connection, MessagesOfConnecting) {
  TOrvDaoDatabase db("OrvDaoDatabase1", &owner);
  ExpectDatabaseError([&] { db.SetConnected(true); },
                      "TOrvDaoDatabase.F_Set_Active: Database property is not defined!");
  db.SetDatabaseType("");
  db.SetDatabase(path);
  ExpectDatabaseError([&] { db.SetConnected(true); },
                      "TOrvDaoDatabase.F_Set_Active: DatabaseType property is not defined!");
  db.SetDatabaseType("Access");
  EXPECT_EQ(db.Database(), "") << "setting the type empties the database";
  db.SetDatabase(folder.file("missing.mdb"));
  ExpectDatabaseError([&] { db.SetConnected(true); },
                      "Cannot find Database:\r\n" + data::ProgramDirectory() + "missing.mdb");
  db.SetSmartOpen(false);
  db.SetDatabase("missing.mdb");
  ExpectDatabaseError([&] { db.SetConnected(true); }, "Cannot find Database:\r\nmissing.mdb");
  EXPECT_FALSE(db.Connected());
}

TEST_F(Connection, TheCurrentDirectoryComesFirstThenTheProgramsDirectory) {
  // A file of that name next to this test program, made and removed here.
  const std::string name = "zen-smartopen-" + std::to_string(::getpid()) + ".mdb";
  const std::string besideProgram = data::ProgramDirectory() + name;
  CreateNumberedWords(besideProgram, 1);
  struct Remove {
    std::string file;
    ~Remove() { std::filesystem::remove(file); }
  } cleanup{besideProgram};

  TemporaryFolder elsewhere;
  {
    ScopedCurrentDirectory cwd(elsewhere.path());
    TOrvDaoDatabase db("OrvDaoDatabase1", &owner);
    db.SetDatabase(name);
    db.SetConnected(true);
    EXPECT_EQ(db.Database(), besideProgram);
  }
  std::filesystem::copy_file(path, elsewhere.file(name));
  {
    ScopedCurrentDirectory cwd(elsewhere.path());
    TOrvDaoDatabase db("OrvDaoDatabase1", &owner);
    db.SetDatabase("some/where/" + name);
    db.SetConnected(true);
    EXPECT_EQ(db.Database(), besideProgram) << "only the file-name part is looked for beside the program";
    db.SetConnected(false);
    db.SetDatabase(name);
    db.SetConnected(true);
    EXPECT_EQ(db.Database(), name) << "the current directory is preferred";
  }
}

TEST_F(Connection, EngineFailuresOfTheConnectPassThroughUnchanged) {
  {
    std::ofstream notADatabase(folder.file("text.mdb"));
    notADatabase << "not a database";
  }
  TOrvDaoDatabase db("OrvDaoDatabase1", &owner);
  db.SetDatabase(folder.file("text.mdb"));
  try {
    db.SetConnected(true);
    FAIL() << "expected an engine error";
  } catch (const automation::EOleException& error) {
    EXPECT_EQ(error.errorNumber(), 3343);
  }
  EXPECT_FALSE(db.Connected());
  const data::TDaoError last = db.LastEngineError();
  EXPECT_EQ(last.Number, 3343);
  EXPECT_NE(last.Description, "");
}

// A server's connection string is handed to the engine as it is: no file
// is looked for, not even with SmartOpen (this test program links no
// server storage, so the engine answers that it has no such format).
TEST_F(Connection, AServerConnectionStringGoesToTheEngineUntouched) {
  for (const std::string name : {"postgresql://linguist@db.example/lexora", "host=/run/db dbname=lexora"}) {
    TOrvDaoDatabase db("OrvDaoDatabase1", &owner);
    db.SetDatabase(name);
    try {
      db.SetConnected(true);
      FAIL() << "expected an engine error";
    } catch (const automation::EOleException& error) {
      EXPECT_EQ(error.errorNumber(), 3170) << name;
      EXPECT_EQ(std::string(error.what()), "Could not find installable ISAM.") << name;
    }
    EXPECT_EQ(db.Database(), name);
    EXPECT_FALSE(db.Connected());
  }
}

// ---- Loading and setters ----

TEST_F(Connection, WhileLoadingSettersOnlyStoreAndLoadedRecreatesQuietly) {
  TOrvDaoDatabase db("OrvDaoDatabase1", &owner);
  db.BeginLoading();
  automation::CallRecorder calls;
  db.SetVersion("3.6");
  db.SetSystemDatabase("other.mdw");
  db.SetWorkspace("Stored");
  db.SetEngineType(2);
  db.SetPrivateEngine(false);
  db.SetUserName("Guest");  // an account the engine refuses
  db.SetPassword("");
  EXPECT_EQ(calls.count("CreateWorkspace"), 0u);
  EXPECT_NO_THROW(db.Loaded());
  EXPECT_EQ(calls.count("CreateWorkspace"), 1u);
  EXPECT_FALSE(db.IsLoading());
  EXPECT_FALSE(db.DaoWorkspace()) << "the refused account left no workspace";
}

TEST_F(Connection, OutsideLoadingASettingIsTriedAtOnceAndPutBackWhenTheEngineRefusesIt) {
  TOrvDaoDatabase db("OrvDaoDatabase1", &owner);
  db.SetWorkspace("Mine");
  ASSERT_TRUE(db.DaoWorkspace());
  EXPECT_EQ(db.DaoWorkspace()->get("Name").asText(), "Mine");
  EXPECT_EQ(db.DaoEngine()->getObject("Workspaces", {1})->get("Name").asText(), "Mine");

  ExpectDatabaseError([&] { db.SetVersion("4.0"); },
                      "You does not have Microsoft DAO installed ot it is an OLD Version!");
  EXPECT_EQ(db.Version(), "3.6");
  ASSERT_TRUE(db.DaoEngine());
  EXPECT_EQ(db.DaoWorkspace()->get("Name").asText(), "Mine");

  ExpectEngineError([&] { db.SetEngineType(1); }, 3251, "Operation is not supported for this type of object.");
  EXPECT_EQ(db.EngineType(), 2);
  db.SetSystemDatabase("");
  EXPECT_EQ(db.SystemDatabase(), "system.mdb");
}

TEST_F(Connection, EverySetterThatWouldChangeTheConnectionIsRefusedWhileConnected) {
  TOrvDaoDatabase db("OrvDaoDatabase1", &owner);
  db.SetDatabase(path);
  db.SetConnected(true);
  const std::vector<std::pair<std::function<void()>, std::string>> refusals = {
      {[&] { db.SetDatabase("x"); }, "TOrvDaoDatabase.F_Set_Database: Cannot set Database while Database is connected!"},
      {[&] { db.SetDatabaseParameters("x"); },
       "TOrvDaoDatabase.F_Set_DatabaseParameters: Cannot set DatabaseParameters while Database is connected!"},
      {[&] { db.SetSystemDatabase("x"); },
       "TOrvDaoDatabase.F_Set_SystemDatabase: Cannot set SystemDatabase while Database is connected!"},
      {[&] { db.SetVersion("3.5"); }, "TOrvDaoDatabase.F_Set_DaoVersion: Cannot set Dao Version while Database is connected!"},
      {[&] { db.SetWorkspace("x"); }, "TOrvDaoDatabase.F_Set_Workspace: Cannot set Workspace while Database is connected!"},
      {[&] { db.SetDatabaseType("ODBC"); },
       "TOrvDaoDatabase.F_Set_DatabaseType: Cannot set Database Type while Database is connected!"},
      {[&] { db.SetEngineType(1); },
       "TOrvDaoDatabase.F_Set_EngineType: Cannot set EngineType Type while Database is connected!"},
      {[&] { db.SetPrivateEngine(true); },
       "TOrvDaoDatabase.F_Set_EngineType: Cannot set PrivateEngine Type while Database is connected!"},
      {[&] { db.SetReadOnly(true); }, "TOrvDaoDatabase.F_Set_ReadOnly: Cannot change mode while Database is connected!"},
      {[&] { db.SetExclusive(true); },
       "TOrvDaoDatabase.F_Set_Exclusive: Cannot change Exclusive mode while Database is connected!"},
      {[&] { db.SetLoginPrompt(true); },
       "TOrvDaoDatabase.F_Set_LoginPrompt: Cannot change LoginPrompt while Database is connected!"},
      {[&] { db.SetUserName("x"); }, "TOrvDaoDatabase.F_Set_UserName: Cannot change User Name while Database is connected!"},
      {[&] { db.SetPassword("x"); }, "TOrvDaoDatabase.F_Set_Password: Cannot change Password while Database is connected!"},
      {[&] { db.SetDatabasePassword("x"); },
       "TOrvDaoDatabase.F_Set_DatabasePassword: Cannot change Database Password while Database is connected!"},
      {[&] { db.SetTrackTransactions(false); }, "Cannot set TrackTransactions property when Database is connected!"},
  };
  for (const auto& [set, message] : refusals) ExpectDatabaseError(set, message);
  EXPECT_EQ(db.Database(), path);
  EXPECT_EQ(db.SystemDatabase(), "system.mdb");
  EXPECT_EQ(db.Version(), "3.6");
  EXPECT_EQ(db.Workspace(), "DaoWorkspace");
  EXPECT_EQ(db.DatabaseType(), "Access");
  EXPECT_EQ(db.EngineType(), 2);
  EXPECT_FALSE(db.PrivateEngine());
  EXPECT_FALSE(db.ReadOnly());
  EXPECT_FALSE(db.Exclusive());
  EXPECT_EQ(db.UserName(), "Admin");
  EXPECT_TRUE(db.TrackTransactions());
  EXPECT_TRUE(db.Connected());
}

// ---- Disconnecting ----

TEST_F(Connection, DisconnectingClosesEveryOpenTableFirstAndReconnectingReopensNone) {
  std::string order;  // outlives the form, whose end disconnects again
  Form form(path);
  data::TOrvDaoTable& words = form.OpenTable("Words");
  data::TOrvDaoTable& lookup = form.OpenTable("Lookup", "OrvDaoTable2");
  EXPECT_EQ(form.database->OpenTableCount(), 2);
  words.BeforeClose = [&](framework::TDataSet&) { order += "words;"; };
  lookup.BeforeClose = [&](framework::TDataSet&) { order += "lookup;"; };
  form.database->OnBeforeDisconnect = [&](TOrvDaoDatabase&) { order += "before;"; };
  form.database->OnAfterDisconnect = [&](TOrvDaoDatabase& db) { order += db.DaoDatabase() ? "open;" : "after;"; };
  form.database->SetConnected(false);
  EXPECT_EQ(order, "before;words;lookup;after;");
  EXPECT_FALSE(words.Active());
  EXPECT_FALSE(lookup.Active());
  EXPECT_EQ(form.database->OpenTableCount(), 0);
  EXPECT_TRUE(form.database->DaoWorkspace()) << "engine and workspace stay";
  form.database->SetConnected(true);
  EXPECT_FALSE(words.Active());
  words.Open();
  EXPECT_EQ(form.database->OpenTableCount(), 1);
  words.Close();
  EXPECT_EQ(form.database->OpenTableCount(), 0);
}

TEST_F(Connection, SystemTablesAreListedOnlyWhenAskedFor) {
  const std::string withSystem = folder.file("system-tables.mdb");
  {
    dao::DatabaseBuilder builder = dao::DatabaseBuilder::createNew(withSystem);
    builder.createTable(WordsTable());
    builder.createTable({"MSysLike", {{.name = "Value", .type = dao::dbText, .size = 20}}, true});
    builder.commit();
  }
  TOrvDaoDatabase db("OrvDaoDatabase1", &owner);
  db.SetDatabase(withSystem);
  db.SetConnected(true);
  EXPECT_EQ(db.TableNames(), std::vector<std::string>{"Words"});
  db.SetShowSystemObjects(true);
  EXPECT_EQ(db.TableNames(), (std::vector<std::string>{"Words", "MSysLike", "ZSysTables", "ZSysColumns"}));
}

TEST(NameQuoting, EveryDottedPartGoesInBrackets) {
  EXPECT_EQ(data::BracketName("B5_Hex"), "[B5_Hex]");
  EXPECT_EQ(data::BracketName("a.b.c"), "[a].[b].[c]");
}
