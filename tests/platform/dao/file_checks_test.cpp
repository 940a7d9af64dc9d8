// Files the engine must refuse, and refuse without changing a byte; open
// modes (read-only, exclusive).
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <random>

#include <sqlite3.h>

#include "platform/dao/storage.h"
#include "tests/platform/dao/engine_test_support.h"

using namespace enginetest;
using automation::ObjectRef;

namespace {

void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary);
  file << bytes;
}

std::string jetHeader(const char* signature) {
  std::string bytes(4096, '\0');
  bytes[1] = 1;
  bytes.replace(4, 15, signature);
  return bytes;
}

class FileChecks : public ::testing::Test {
 protected:
  FileChecks() {
    engine = automation::createOleObject("DAO.DBEngine.36");
    workspace = engine->getObject("CreateWorkspace", {"ws", "Admin", ""});
  }
  ObjectRef open(const std::string& path, bool exclusive = false, bool readOnly = false) {
    return workspace->getObject("OpenDatabase", {path, exclusive, readOnly, ";UID=Admin;PWD=;"});
  }
  // The file is refused with this number and text, and left as it was.
  void expectRefusedUnchanged(const std::string& path, int number, const std::string& description) {
    const std::string before = fileBytes(path);
    expectEngineError([&] { open(path); }, number, description);
    expectEngineError([&] { open(path, false, true); }, number, description);
    EXPECT_EQ(fileBytes(path), before);
    EXPECT_FALSE(std::filesystem::exists(path + "-wal"));
    EXPECT_FALSE(std::filesystem::exists(path + "-shm"));
  }

  TemporaryFolder folder;
  automation::ScopedComInitialization com;
  ObjectRef engine;
  ObjectRef workspace;
};

}  // namespace

TEST_F(FileChecks, MissingFile) {
  const std::string path = folder.file("missing.mdb");
  expectEngineError([&] { open(path); }, 3024, "Could not find file '" + path + "'.");
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(FileChecks, EmptyFile) {
  const std::string path = folder.file("empty.mdb");
  writeFile(path, "");
  expectRefusedUnchanged(path, 3343, "Unrecognized database format '" + path + "': the file is empty.");
}

TEST_F(FileChecks, RandomBytes) {
  const std::string path = folder.file("noise.mdb");
  std::mt19937 random(7);
  std::string bytes(8192, '\0');
  for (char& byte : bytes) byte = static_cast<char>(random());
  writeFile(path, bytes);
  expectRefusedUnchanged(path, 3343, "Unrecognized database format '" + path + "'.");
}

TEST_F(FileChecks, AccessFilesAreNamedAsSuch) {
  for (const char* signature : {"Standard Jet DB", "Standard ACE DB"}) {
    const std::string path = folder.file(std::string(signature) + ".mdb");
    writeFile(path, jetHeader(signature));
    expectRefusedUnchanged(path, 3343,
                           "Unrecognized database format '" + path +
                               "': it is a Microsoft Access (Jet) database, which this engine cannot open. "
                               "To bring it across, run: zenmora-db import '" + path +
                               "' NEW.mdb (then keep the old file elsewhere and give NEW.mdb its name).");
  }
}

TEST_F(FileChecks, Folder) {
  const std::string path = folder.file("folder.mdb");
  std::filesystem::create_directory(path);
  expectEngineError([&] { open(path); }, 3343,
                    "Unrecognized database format '" + path + "': it is a folder, not a database file.");
  EXPECT_TRUE(std::filesystem::is_empty(path));
}

TEST_F(FileChecks, SqliteDatabaseOfAnotherProgram) {
  const std::string path = folder.file("other.db");
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  sqlite3_exec(db, "CREATE TABLE People(ID INTEGER PRIMARY KEY, Name TEXT)", nullptr, nullptr, nullptr);
  sqlite3_close(db);
  expectRefusedUnchanged(path, 3343,
                         "Unrecognized database format '" + path + "': it is an SQLite database of another program.");
}

TEST_F(FileChecks, TruncatedDatabaseOfOursIsDamaged) {
  const std::string good = folder.file("good.mdb");
  createNumberedPeople(good, 50);
  const std::string path = folder.file("cut.mdb");
  writeFile(path, fileBytes(good).substr(0, 1024));
  expectEngineError([&] { open(path, false, true); }, 3049,
                    "Cannot open database '" + path + "': the file is damaged or incomplete.");
}

TEST_F(FileChecks, ReadOnlyOpenWritesNothingToTheFile) {
  const std::string path = folder.file("people.mdb");
  createNumberedPeople(path, 3);
  const std::string before = fileBytes(path);
  {
    ObjectRef database = open(path, false, true);
    EXPECT_FALSE(database->get("Updatable").asBoolean());
    ObjectRef recordset = database->getObject("OpenRecordset", {"People", 2, 0, 3});
    EXPECT_FALSE(recordset->get("Updatable").asBoolean());
    recordset->call("MoveLast");
    expectEngineError([&] { recordset->call("Edit"); }, 3027, "Cannot update. Database or object is read-only.");
    expectEngineError([&] { recordset->call("AddNew"); }, 3027, "Cannot update. Database or object is read-only.");
    expectEngineError([&] { recordset->call("Delete"); }, 3027, "Cannot update. Database or object is read-only.");
    EXPECT_EQ(recordset->getObject("Fields", {"Name"})->get("Attributes").asInt32() & 32, 0);
    database->call("Close");
  }
  EXPECT_EQ(fileBytes(path), before);
}

TEST_F(FileChecks, AFileThatCannotBeWrittenIsRefusedForWriting) {
  if (::geteuid() == 0) GTEST_SKIP() << "file permissions do not bind the superuser";
  const std::string path = folder.file("locked.mdb");
  createNumberedPeople(path, 1);
  ::chmod(path.c_str(), 0444);
  expectEngineError([&] { open(path); }, 3051,
                    "Cannot open '" + path + "' for writing: the file is read-only or you have no permission to change it.");
  EXPECT_NO_THROW(open(path, false, true));
}

TEST_F(FileChecks, ExclusiveOpenKeepsOthersOut) {
  const std::string path = folder.file("people.mdb");
  createNumberedPeople(path, 2);
  engine->put("LockTimeout", 100);
  ObjectRef owner = open(path, true);
  expectEngineError([&] { open(path); }, 3045, "Could not use '" + path + "'; file already in use.");
  expectEngineError([&] { open(path, false, true); }, 3045, "Could not use '" + path + "'; file already in use.");
  // The owner works normally meanwhile.
  ObjectRef recordset = owner->getObject("OpenRecordset", {"People", 2, 0, 3});
  recordset->call("Edit");
  setField(recordset, "Name", "Owner");
  recordset->call("Update");
  owner->call("Close");
  ObjectRef later = open(path);
  EXPECT_EQ(fieldValue(later->getObject("OpenRecordset", {"People"}), "Name").asText(), "Owner");
}

TEST_F(FileChecks, ExclusiveOpenFailsWhileOthersUseTheFile) {
  const std::string path = folder.file("people.mdb");
  createNumberedPeople(path, 2);
  engine->put("LockTimeout", 100);
  ObjectRef shared = open(path);
  expectEngineError([&] { open(path, true); }, 3045, "Could not use '" + path + "'; file already in use.");
  shared->call("Close");
  EXPECT_NO_THROW(open(path, true));
}

// A name in the form of a server's connection string goes to the server
// storage, which this test program does not link; a file that happens to
// carry such a name is still the file.
TEST(StorageNames, ConnectionStringsAreToldFromFileNames) {
  for (const char* name : {"postgresql://linguist@db.example/lexora", "postgres:///lexora", "service=team",
                           "host=/run/postgresql dbname=lexora", "  dbname = lexora"}) {
    EXPECT_TRUE(dao::namesServerDatabase(name)) << name;
  }
  for (const char* name : {"Lexora_Concept.mdb", "/data/a=b.mdb", "=x", "postgresql:/x", "C:\\db=1.mdb", "",
                           "資料=1"}) {
    EXPECT_FALSE(dao::namesServerDatabase(name)) << name;
  }
}

TEST_F(FileChecks, ServerNamesNeedTheServerStorageButFilesOfSuchNamesStayFiles) {
  expectEngineError([&] { open("service=team"); }, 3170, "Could not find installable ISAM.");
  const std::string path = folder.file("dbname=lexora");
  writeFile(path, "");
  expectRefusedUnchanged(path, 3343, "Unrecognized database format '" + path + "': the file is empty.");
}
