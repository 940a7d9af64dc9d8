// What the database file holds while the program runs, and what happens
// when the files beside it are taken away or the file lies on a network
// share: an acknowledged post is in the database file itself (a copy of
// that file alone has it), a write-ahead log deleted or replaced under the
// program is refused with a clear error, and on a network or FUSE file
// system the engine writes through a rollback journal instead of the log.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <string>

#include "framework/TDataSet.h"
#include "platform/automation/ole_exception.h"
#include "platform/dao/database_connection.h"
#include "platform/dao/file_system_type.h"
#include "tests/data/data_test_support.h"
#include "tests/reliability/reliability_support.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kTable = "0_Data_Input";
constexpr const char* kField = "Li_Chang";

template <class Call>
std::string ErrorOf(Call&& call) {
  try {
    call();
  } catch (const automation::EOleException& error) {
    return std::to_string(error.errorNumber()) + " " + error.what();
  } catch (const dao::EngineError& error) {
    return std::to_string(error.number()) + " " + error.what();
  }
  return "no error";
}

std::string LogGoneText(const std::string& path, const std::string& suffix) {
  return "3043 Disk or network error while using '" + path + "': its log file '" + path + suffix +
         "' was deleted or replaced by another program while the database was open. The change was not saved. "
         "Close the program and open the database again.";
}

// The journal mode a fresh SQLite connection finds in the file's header.
std::string JournalModeOf(const std::string& path) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* statement = nullptr;
  std::string mode = "<unreadable>";
  if (sqlite3_prepare_v2(db, "PRAGMA journal_mode", -1, &statement, nullptr) == SQLITE_OK &&
      sqlite3_step(statement) == SQLITE_ROW) {
    mode = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
  }
  sqlite3_finalize(statement);
  sqlite3_close(db);
  return mode;
}

// Puts a file-system-type probe in place for one test.
class ProbedFileSystem {
 public:
  explicit ProbedFileSystem(std::int64_t type) {
    dao::setFileSystemTypeProbe([type](const std::string&) { return std::optional<std::int64_t>(type); });
  }
  ~ProbedFileSystem() { dao::setFileSystemTypeProbe(nullptr); }
  ProbedFileSystem(const ProbedFileSystem&) = delete;
  ProbedFileSystem& operator=(const ProbedFileSystem&) = delete;
};

constexpr std::int64_t kNfs = 0x6969;
constexpr std::int64_t kExt4 = 0xEF53;

class FileSafety : public ::testing::Test {
 protected:
  void SetUp() override { reliability::CreateCharacterDatabase(path, {.characters = 3}); }

  void Post(data::TOrvDaoTable& table, const std::string& value) {
    table.Edit();
    table.FieldByName(kField).SetAsString(value);
    table.Post();
  }

  datatest::TemporaryFolder folder;
  std::string path = folder.file("Lexora_Concept.mdb");
};

TEST_F(FileSafety, ACopyOfTheDatabaseFileAloneHoldsEveryAcknowledgedPost) {
  datatest::Form form(path);
  data::TOrvDaoTable& table = form.OpenTable(kTable);
  for (int i = 1; i <= 3; ++i) {
    Post(table, "post " + std::to_string(i));
    // Copied as a backup tool copies a file, while the program runs.
    const std::string copy = folder.file("copy" + std::to_string(i) + ".mdb");
    fs::copy_file(path, copy);
    EXPECT_EQ(reliability::ReadColumn(copy, kTable, kField).at(0), "post " + std::to_string(i));
    EXPECT_EQ(reliability::IntegrityCheck(copy), "ok");
    // Nothing is left waiting in the log.
    EXPECT_EQ(fs::file_size(path + "-wal"), 0u);
  }
}

TEST_F(FileSafety, ALogDeletedOrReplacedUnderTheProgramIsReportedAndNoPostIsLost) {
  struct Case {
    const char* what;
    const char* reported;  // the file named in the message
    std::function<void(const std::string&)> tamper;
  };
  const Case cases[] = {
      {"the log deleted", "-wal", [](const std::string& p) { fs::remove(p + "-wal"); }},
      {"the log and its index deleted", "-wal",
       [](const std::string& p) {
         fs::remove(p + "-wal");
         fs::remove(p + "-shm");
       }},
      {"the index deleted", "-shm", [](const std::string& p) { fs::remove(p + "-shm"); }},
      {"the log replaced by a copy", "-wal",
       [](const std::string& p) {
         fs::copy_file(p + "-wal", p + "-wal.tmp");
         fs::rename(p + "-wal.tmp", p + "-wal");
       }},
  };
  int round = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ++round;
    datatest::Form form(path);
    data::TOrvDaoTable& table = form.OpenTable(kTable);
    const std::string before = "before " + std::to_string(round);
    Post(table, before);
    c.tamper(path);
    // A reader opened now (another program) sees the acknowledged post.
    EXPECT_EQ(reliability::ReadColumn(path, kTable, kField).at(0), before);
    table.Edit();
    table.FieldByName(kField).SetAsString("after");
    EXPECT_EQ(ErrorOf([&] { table.Post(); }), LogGoneText(path, c.reported));
    // What was typed is kept; the file still holds the last acknowledged post.
    EXPECT_EQ(table.State(), framework::dsEdit);
    EXPECT_EQ(table.FieldByName(kField).AsString(), "after");
    EXPECT_EQ(reliability::ReadColumn(path, kTable, kField).at(0), before);
    table.Cancel();
  }
  // Opened afresh, the program writes again; nothing acknowledged was lost.
  datatest::Form form(path);
  data::TOrvDaoTable& table = form.OpenTable(kTable);
  EXPECT_EQ(table.FieldByName(kField).AsString(), "before 4");
  EXPECT_EQ(ErrorOf([&] { Post(table, "reopened"); }), "no error");
  EXPECT_EQ(reliability::ReadColumn(path, kTable, kField).at(0), "reopened");
  EXPECT_EQ(reliability::IntegrityCheck(path), "ok");
}

TEST_F(FileSafety, OnANetworkFileSystemTheEngineWritesThroughARollbackJournal) {
  ASSERT_EQ(JournalModeOf(path), "wal");
  {
    ProbedFileSystem nfs(kNfs);
    const auto connection = dao::DatabaseConnection::open(path, {});
    EXPECT_EQ(connection->networkFileSystem(), "NFS");
    EXPECT_FALSE(connection->usesWriteAheadLog());
    EXPECT_EQ(JournalModeOf(path), "delete");
    EXPECT_FALSE(fs::exists(path + "-wal"));
  }
  {
    // Two users on the share: posts and conflicts work as on a local disk.
    ProbedFileSystem nfs(kNfs);
    datatest::Form first(path);
    datatest::Form second(path);
    data::TOrvDaoTable& a = first.OpenTable(kTable);
    data::TOrvDaoTable& b = second.OpenTable(kTable);
    a.Edit();
    b.Edit();
    a.FieldByName(kField).SetAsString("first");
    b.FieldByName(kField).SetAsString("second");
    EXPECT_EQ(ErrorOf([&] { a.Post(); }), "no error");
    EXPECT_EQ(ErrorOf([&] { b.Post(); }).substr(0, 4), "3197");
    EXPECT_EQ(reliability::ReadColumn(path, kTable, kField).at(0), "first");
    EXPECT_FALSE(fs::exists(path + "-wal"));
    EXPECT_FALSE(fs::exists(path + "-journal"));
  }
  {
    // Back on a local disk the file returns to the write-ahead log.
    ProbedFileSystem local(kExt4);
    const auto connection = dao::DatabaseConnection::open(path, {});
    EXPECT_EQ(connection->networkFileSystem(), "");
    EXPECT_TRUE(connection->usesWriteAheadLog());
    EXPECT_EQ(JournalModeOf(path), "wal");
  }
  EXPECT_EQ(reliability::IntegrityCheck(path), "ok");
}

TEST_F(FileSafety, AShareOpenedWhileALocalUserHoldsTheLogKeepsTheLog) {
  // The mode of a file in use cannot change; the second connection works in
  // the mode the file has rather than refusing to open.
  const auto local = dao::DatabaseConnection::open(path, {});
  ProbedFileSystem nfs(kNfs);
  const auto shared = dao::DatabaseConnection::open(path, {.lockTimeoutMilliseconds = 100});
  EXPECT_EQ(shared->networkFileSystem(), "NFS");
  EXPECT_TRUE(shared->usesWriteAheadLog());
}

TEST(FileSystemTypes, NetworkAndUserSpaceFileSystemsAreToldFromLocalOnes) {
  EXPECT_EQ(dao::networkFileSystemTypeName(0x6969), "NFS");
  EXPECT_EQ(dao::networkFileSystemTypeName(0xFF534D42), "SMB/CIFS");
  EXPECT_EQ(dao::networkFileSystemTypeName(0xFE534D42), "SMB2");
  EXPECT_EQ(dao::networkFileSystemTypeName(0x517B), "SMB");
  EXPECT_EQ(dao::networkFileSystemTypeName(0x65735546), "FUSE");
  // f_type is a signed long on some systems: the SMB magic may come negative.
  EXPECT_EQ(dao::networkFileSystemTypeName(static_cast<std::int32_t>(0xFF534D42)), "SMB/CIFS");
  EXPECT_EQ(dao::networkFileSystemTypeName(0xEF53), "");      // ext4
  EXPECT_EQ(dao::networkFileSystemTypeName(0x01021994), "");  // tmpfs
  EXPECT_EQ(dao::networkFileSystemTypeName(0x9123683E), "");  // btrfs
  EXPECT_EQ(dao::networkFileSystemTypeName(0x794C7630), "");  // overlay
}

TEST(FileSystemTypes, TheDefaultProbeCanBeToldTheTypeForATrialOfTheProgram) {
  datatest::TemporaryFolder folder;
  ASSERT_EQ(setenv("ZENMORA_FILE_SYSTEM_TYPE", "0xFE534D42", 1), 0);
  EXPECT_EQ(dao::networkFileSystemName(folder.file("x.mdb")), "SMB2");
  ASSERT_EQ(setenv("ZENMORA_FILE_SYSTEM_TYPE", "not a number", 1), 0);
  const std::string ignored = dao::networkFileSystemName(folder.file("x.mdb"));
  unsetenv("ZENMORA_FILE_SYSTEM_TYPE");
  EXPECT_EQ(ignored, dao::networkFileSystemName(folder.file("x.mdb")));
}

}  // namespace
