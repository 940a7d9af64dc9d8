// Two programs on one file, where the file's own locking shows: locks held
// by another writer, snapshots of a reader turned writer, and a writer killed
// in the middle of its work. (What holds on every storage is in
// conformance/two_programs_conformance.cpp.)
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sqlite3.h>

#include <cstdio>
#include <set>

#include "tests/platform/dao/engine_test_support.h"

using namespace enginetest;
using automation::ObjectRef;
using automation::Variant;

namespace {

struct RowValues {
  std::string name;
  Variant age;
  bool operator==(const RowValues&) const = default;
};

std::vector<RowValues> allRows(const std::string& path) {
  EngineSession session(path);
  ObjectRef recordset = session.openTable();
  std::vector<RowValues> rows;
  while (!recordset->get("EOF").asBoolean()) {
    rows.push_back({fieldValue(recordset, "Name").asText(), fieldValue(recordset, "Age")});
    recordset->call("MoveNext");
  }
  return rows;
}

class TwoPrograms : public ::testing::Test {
 protected:
  TwoPrograms() {
    createNumberedPeople(path, 5);
    first = std::make_unique<EngineSession>(path);
    second = std::make_unique<EngineSession>(path);
  }
  TemporaryFolder folder;
  std::string path = folder.file("people.mdb");
  std::unique_ptr<EngineSession> first;
  std::unique_ptr<EngineSession> second;
};

}  // namespace

TEST_F(TwoPrograms, AWriterWaitsForAnotherWritersLockThenGivesUp) {
  ObjectRef a = first->openTable();
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE; UPDATE People SET Age = 77 WHERE ID = 5;", nullptr, nullptr, nullptr),
            SQLITE_OK);
  a->call("Edit");
  setField(a, "Name", "Blocked");
  expectEngineError([&] { a->call("Update"); }, 3218, "Could not update; the database is locked by another user.");
  EXPECT_EQ(a->get("EditMode").asInt32(), 1);
  sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
  sqlite3_close(other);
  a->call("Update");
  const std::vector<RowValues> rows = allRows(path);
  EXPECT_EQ(rows[0].name, "Blocked");
  EXPECT_EQ(rows[4].age, Variant(77));
}

TEST_F(TwoPrograms, AWriterThatReadFirstNeverFailsWithAStaleSnapshot) {
  ObjectRef a = first->openTable();
  ObjectRef b = second->openTable();
  for (int round = 0; round < 20; ++round) {
    a->call("MoveFirst");
    while (!a->get("EOF").asBoolean()) {
      (void)fieldValue(a, "Name");
      a->call("MoveNext");
    }
    b->call("MoveLast");
    b->call("Edit");
    setField(b, "Age", round);
    b->call("Update");
    a->call("MoveFirst");
    a->call("Edit");
    setField(a, "Age", round);
    EXPECT_NO_THROW(a->call("Update")) << round;
  }
}

TEST(KilledWriter, EveryCommittedUpdateSurvivesAndTheFileIsIntact) {
  TemporaryFolder folder;
  const std::string path = folder.file("log.mdb");
  createPeopleDatabase(path, {{"counter", 0, "only"}});
  int reports[2];
  ASSERT_EQ(::pipe(reports), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::close(reports[0]);
    try {
      EngineSession session(path);
      ObjectRef log = session.openTable();
      ObjectRef counter = session.openTable();
      for (int sequence = 1;; ++sequence) {
        log->call("AddNew");
        setField(log, "Name", "entry");
        setField(log, "Age", sequence);
        log->call("Update");
        counter->call("Edit");
        setField(counter, "Age", sequence);
        counter->call("Update");
        if (::write(reports[1], &sequence, sizeof sequence) != sizeof sequence) ::_exit(2);
      }
    } catch (...) {
      ::_exit(3);
    }
  }
  ::close(reports[1]);
  int lastReported = 0;
  while (lastReported < 300) {
    ASSERT_EQ(::read(reports[0], &lastReported, sizeof lastReported), static_cast<ssize_t>(sizeof lastReported));
  }
  ::kill(child, SIGKILL);
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status));
  // Reports that were in the pipe when the writer died were committed too.
  int more = 0;
  while (::read(reports[0], &more, sizeof more) == static_cast<ssize_t>(sizeof more)) lastReported = more;
  ::close(reports[0]);

  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  sqlite3_stmt* check = nullptr;
  sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &check, nullptr);
  ASSERT_EQ(sqlite3_step(check), SQLITE_ROW);
  EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(check, 0)), "ok");
  sqlite3_finalize(check);
  sqlite3_close(db);

  EngineSession session(path);
  ObjectRef recordset = session.openTable();
  const int counter = fieldValue(recordset, "Age").asInt32();
  std::set<int> logged;
  recordset->call("MoveNext");
  while (!recordset->get("EOF").asBoolean()) {
    EXPECT_TRUE(logged.insert(fieldValue(recordset, "Age").asInt32()).second);
    recordset->call("MoveNext");
  }
  // Everything reported is there, without gaps; at most the one update in
  // flight when the writer died went beyond.
  ASSERT_GE(static_cast<int>(logged.size()), lastReported);
  EXPECT_LE(static_cast<int>(logged.size()), lastReported + 1);
  EXPECT_EQ(*logged.begin(), 1);
  EXPECT_EQ(*logged.rbegin(), static_cast<int>(logged.size()));
  EXPECT_GE(counter, lastReported);
  EXPECT_LE(counter, static_cast<int>(logged.size()));
}
