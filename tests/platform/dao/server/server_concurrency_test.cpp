// Two programs on one server database, through the engine's objects as the
// program uses them: random interleavings of edits and posts on the same
// rows lose no acknowledged post and report every conflict, concurrent
// writers lose no update, and a server process ended during a post writes
// nothing, says so, and keeps the edit for posting again.
#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <thread>

#include "platform/automation/com_init.h"
#include "platform/automation/ole_exception.h"
#include "platform/dao/dao_database.h"
#include "platform/dao/dao_object.h"
#include "platform/dao/server/server_session.h"
#include "platform/dao/server/server_storage.h"
#include "tests/platform/dao/engine_test_support.h"
#include "tests/platform/dao/server/server_test_support.h"

namespace {

using automation::ObjectRef;
using automation::Variant;
using servertest::ScratchDatabase;

const std::string kConflict =
    "Write conflict: another user changed or deleted this record after you began editing it; your changes were "
    "not saved.";

// One program's engine database on the server, opened as OpenDatabase would.
struct ServerProgram {
  explicit ServerProgram(const ScratchDatabase& database)
      : storage(std::make_shared<dao::server::ServerStorage>(database.connectionString(),
                                                             dao::OpenSettings{.lockTimeoutMilliseconds = 2000})),
        database(std::make_shared<dao::DaoDatabase>(std::make_shared<dao::ErrorLog>(), storage, ";")) {}
  ObjectRef openTable() { return database->getObject("OpenRecordset", {"People", 2, 0, 3}); }

  automation::ScopedComInitialization com;
  std::shared_ptr<dao::server::ServerStorage> storage;
  ObjectRef database;
};

int engineErrorOf(const std::function<void()>& call, std::string* text = nullptr) {
  try {
    call();
  } catch (const automation::EOleException& error) {
    if (text != nullptr) *text = error.what();
    return error.errorNumber();
  }
  return 0;
}

void goToRow(const ObjectRef& recordset, int id) {
  recordset->call("FindFirst", {"ID = " + std::to_string(id)});
  ASSERT_FALSE(recordset->get("NoMatch").asBoolean()) << id;
}

std::vector<int> agesOnServer(const ScratchDatabase& database) {
  postgres::PostgresConnection connection = database.connect();
  const auto rows = connection.query("SELECT \"Age\" FROM \"People\" ORDER BY \"ID\"");
  std::vector<int> ages;
  for (int row = 0; row < rows.rows(); ++row) ages.push_back(static_cast<int>(rows.integer(row, 0)));
  return ages;
}

TEST(TwoProgramsOnAServer, RandomInterleavingsLoseNoAcknowledgedPostAndReportEveryConflict) {
  ScratchDatabase database;
  servertest::createServerDatabase(database, {enginetest::peopleTable()});
  constexpr int kRows = 3;
  servertest::insertNumberedPeople(database, kRows);
  ServerProgram programs[2] = {ServerProgram(database), ServerProgram(database)};
  ObjectRef recordsets[2] = {programs[0].openTable(), programs[1].openTable()};

  // The model: how many posts each row has had acknowledged; a post must
  // succeed exactly when none was acknowledged since its Edit.
  std::vector<int> acknowledged(kRows + 1, 0);
  std::vector<int> lastValue(kRows + 1, 0);
  for (int id = 1; id <= kRows; ++id) lastValue[id] = id;
  struct Pending {
    int id = 0;
    int acknowledgedAtEdit = 0;
    int value = 0;
  };
  std::optional<Pending> pending[2];

  const unsigned seed = 20261209;
  std::mt19937 random(seed);
  int posts = 0;
  int conflicts = 0;
  for (int step = 1; step <= 1000; ++step) {
    SCOPED_TRACE("seed " + std::to_string(seed) + ", step " + std::to_string(step));
    const int p = static_cast<int>(random() % 2);
    const ObjectRef& recordset = recordsets[p];
    if (!pending[p]) {
      const int id = 1 + static_cast<int>(random() % kRows);
      goToRow(recordset, id);
      recordset->call("Edit");
      // Edit starts from the row as stored now.
      ASSERT_EQ(enginetest::fieldValue(recordset, "Age").asInt32(), lastValue[id]);
      enginetest::setField(recordset, "Age", 1000 + step);
      pending[p] = Pending{id, acknowledged[id], 1000 + step};
      continue;
    }
    if (random() % 5 == 0) {
      recordset->call("CancelUpdate");
      pending[p].reset();
      continue;
    }
    const Pending edit = *pending[p];
    const bool mayPost = acknowledged[edit.id] == edit.acknowledgedAtEdit;
    std::string text;
    const int error = engineErrorOf([&] { recordset->call("Update"); }, &text);
    if (mayPost) {
      ASSERT_EQ(error, 0) << text;
      ++acknowledged[edit.id];
      lastValue[edit.id] = edit.value;
      ++posts;
      pending[p].reset();
    } else {
      ASSERT_EQ(error, 3197) << "a post over a row changed since its Edit: " << text;
      EXPECT_EQ(text, kConflict);
      // The edit is kept after the conflict, for the user to decide.
      EXPECT_EQ(recordset->get("EditMode").asInt32(), 1);
      ++conflicts;
      recordset->call("CancelUpdate");
      pending[p].reset();
    }
  }
  EXPECT_EQ(agesOnServer(database), std::vector<int>(lastValue.begin() + 1, lastValue.end()));
  // Both outcomes occurred often enough to mean something.
  EXPECT_GT(posts, 100);
  EXPECT_GT(conflicts, 30) << posts << " posts";
}

TEST(TwoProgramsOnAServer, ConcurrentWritersLoseNoUpdate) {
  ScratchDatabase database;
  servertest::createServerDatabase(database, {enginetest::peopleTable()});
  servertest::insertNumberedPeople(database, 3);
  constexpr int kIncrements = 150;
  const std::vector<int> before = agesOnServer(database);
  std::atomic<int> conflicts{0};
  std::vector<std::string> failures(2);

  const auto writer = [&](int index) {
    try {
      ServerProgram program(database);
      ObjectRef recordset = program.openTable();
      std::mt19937 random(static_cast<unsigned>(index) + 7);
      for (int done = 0; done < kIncrements;) {
        goToRow(recordset, 1 + static_cast<int>(random() % 3));
        recordset->call("Edit");
        enginetest::setField(recordset, "Age", enginetest::fieldValue(recordset, "Age").asInt32() + 1);
        const int error = engineErrorOf([&] { recordset->call("Update"); });
        if (error == 0) {
          ++done;
        } else if (error == 3197) {
          ++conflicts;
          recordset->call("CancelUpdate");
        } else {
          failures[static_cast<std::size_t>(index)] = "engine error " + std::to_string(error);
          return;
        }
      }
    } catch (const std::exception& failure) {
      failures[static_cast<std::size_t>(index)] = failure.what();
    }
  };
  std::thread first(writer, 0);
  std::thread second(writer, 1);
  first.join();
  second.join();
  EXPECT_EQ(failures[0], "");
  EXPECT_EQ(failures[1], "");
  const std::vector<int> after = agesOnServer(database);
  int added = 0;
  for (std::size_t i = 0; i < after.size(); ++i) added += after[i] - before[i];
  EXPECT_EQ(added, 2 * kIncrements) << conflicts << " conflicts";
}

TEST(TwoProgramsOnAServer, AServerProcessEndedDuringAPostWritesNothingAndTheEditIsKept) {
  ScratchDatabase database;
  servertest::createServerDatabase(database, {enginetest::peopleTable()});
  servertest::insertNumberedPeople(database, 3);
  ServerProgram program(database);
  ObjectRef recordset = program.openTable();
  goToRow(recordset, 2);
  recordset->call("Edit");
  enginetest::setField(recordset, "Name", "Posted");
  enginetest::setField(recordset, "Age", 77);

  // Another client holds the row, so the post waits on the server, and its
  // server process is ended while it waits.
  postgres::PostgresConnection other = database.connect();
  other.execute("BEGIN; SELECT 1 FROM \"People\" WHERE \"ID\" = 2 FOR UPDATE");
  const int backend = servertest::backendOf(program.storage->session().connection());
  std::thread killer([&] {
    postgres::PostgresConnection watcher = database.connect();
    for (int i = 0; i < 500; ++i) {
      if (watcher.query("SELECT count(*) FROM pg_locks WHERE pid = $1::integer AND NOT granted",
                        {std::to_string(backend)}).integer(0, 0) > 0)
        break;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    servertest::terminateBackend(backend);
  });
  std::string text;
  const int error = engineErrorOf([&] { recordset->call("Update"); }, &text);
  killer.join();
  other.execute("COMMIT");
  EXPECT_EQ(error, 3043);
  EXPECT_EQ(text, "The connection to the database server (" + program.storage->displayName() +
                      ") was lost; the change in progress was not saved.");
  EXPECT_EQ(agesOnServer(database), (std::vector<int>{1, 2, 3}));

  // The edit is still there, values and all; posting again stores it.
  EXPECT_EQ(recordset->get("EditMode").asInt32(), 1);
  EXPECT_EQ(enginetest::fieldValue(recordset, "Name").asText(), "Posted");
  recordset->call("Update");
  EXPECT_EQ(agesOnServer(database), (std::vector<int>{1, 77, 3}));
  goToRow(recordset, 2);
  EXPECT_EQ(enginetest::fieldValue(recordset, "Name").asText(), "Posted");
}

}  // namespace
