// The whole server stopped at once (as a crash or a power cut would) while a
// post waits on it: the post fails with a clear error, nothing of it is
// stored, and once the server is back the kept edit is posted again. A test
// program of its own, since it stops the throwaway server its run started.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
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

// pg_ctl on the throwaway server's data folder, as the user the server runs as.
int serverControl(const std::string& arguments) {
  std::string binary;
  for (const auto& version : std::filesystem::directory_iterator("/usr/lib/postgresql")) {
    if (std::filesystem::exists(version.path() / "bin/pg_ctl")) binary = (version.path() / "bin/pg_ctl").string();
  }
  const std::string folder = std::getenv("PGHOST");
  const std::string asServer = ::getuid() == 0 ? "runuser -u postgres -- " : "";
  return std::system((asServer + binary + " -D '" + folder + "/data' -w -t 60 " + arguments + " >/dev/null 2>&1").c_str());
}

std::string ageAndVersion(const servertest::ScratchDatabase& database, int id) {
  postgres::PostgresConnection connection = database.connect();
  return std::string(connection
                         .query("SELECT \"Age\" || ':' || zen_version FROM \"People\" WHERE \"ID\" = $1::integer",
                                {std::to_string(id)})
                         .text(0, 0));
}

TEST(ServerStopped, APostUnderWayFailsClearlyWritesNothingAndIsPostedAgainLater) {
  ASSERT_TRUE(std::getenv("PGHOST") != nullptr && std::getenv("PGPORT") != nullptr)
      << "run this test through tests/support/with_postgres.sh";
  servertest::ScratchDatabase database;
  // The throwaway server commits asynchronously for speed; what this test
  // sets up must survive the stop as the engine's own posts do.
  postgres::PostgresConnection::open(servertest::testServer())
      .execute("ALTER DATABASE " + postgres::PostgresConnection::quoteIdentifier(database.name()) +
               " SET synchronous_commit = on");
  servertest::createServerDatabase(database, {enginetest::peopleTable()});
  servertest::insertNumberedPeople(database, 3);
  // From here on only the engine's own setting keeps its posts.
  postgres::PostgresConnection::open(servertest::testServer())
      .execute("ALTER DATABASE " + postgres::PostgresConnection::quoteIdentifier(database.name()) +
               " RESET synchronous_commit");
  automation::ScopedComInitialization com;
  auto storage = std::make_shared<dao::server::ServerStorage>(database.connectionString(), dao::OpenSettings{});
  ObjectRef db = std::make_shared<dao::DaoDatabase>(std::make_shared<dao::ErrorLog>(), storage, ";");
  ObjectRef recordset = db->getObject("OpenRecordset", {"People", 2, 0, 3});
  recordset->call("FindFirst", {"ID = 2"});
  recordset->call("Edit");
  enginetest::setField(recordset, "Age", 77);

  postgres::PostgresConnection other = database.connect();
  other.execute("BEGIN; SELECT 1 FROM \"People\" WHERE \"ID\" = 2 FOR UPDATE");
  const int backend = servertest::backendOf(storage->session().connection());
  int stopped = -1;
  std::thread stopper([&] {
    postgres::PostgresConnection watcher = database.connect();
    for (int i = 0; i < 500; ++i) {
      if (watcher.query("SELECT count(*) FROM pg_locks WHERE pid = $1::integer AND NOT granted",
                        {std::to_string(backend)}).integer(0, 0) > 0)
        break;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    stopped = serverControl("-m immediate stop");
  });
  int number = 0;
  std::string text;
  try {
    recordset->call("Update");
  } catch (const automation::EOleException& error) {
    number = error.errorNumber();
    text = error.what();
  }
  stopper.join();
  ASSERT_EQ(stopped, 0) << "pg_ctl stop failed";
  EXPECT_EQ(number, 3043);
  EXPECT_EQ(text, "The connection to the database server (" + storage->displayName() +
                      ") was lost; the change in progress was not saved.");

  // While the server is down the post fails the same way, and the edit stays.
  try {
    recordset->call("Update");
    ADD_FAILURE() << "posted without a server";
  } catch (const automation::EOleException& error) {
    EXPECT_EQ(error.errorNumber(), 3043) << error.what();
  }
  EXPECT_EQ(recordset->get("EditMode").asInt32(), 1);

  const std::string folder = std::getenv("PGHOST");
  const auto start = [&] {
    return serverControl("-l '" + folder + "/data/server.log' -o \"-c listen_addresses='' -c unix_socket_directories='" +
                         folder + "' -p " + std::getenv("PGPORT") + " -c fsync=off -c synchronous_commit=off\" start");
  };
  ASSERT_EQ(start(), 0) << "the server did not start again";
  EXPECT_EQ(ageAndVersion(database, 2), "2:0");
  recordset->call("Update");
  EXPECT_EQ(ageAndVersion(database, 2), "77:1");

  // An acknowledged post outlives the next crash, although the server
  // commits asynchronously by default.
  recordset->call("FindFirst", {"ID = 3"});
  recordset->call("Edit");
  enginetest::setField(recordset, "Age", 33);
  recordset->call("Update");
  ASSERT_EQ(serverControl("-m immediate stop"), 0);
  ASSERT_EQ(start(), 0) << "the server did not start again";
  EXPECT_EQ(ageAndVersion(database, 3), "33:1");
}

}  // namespace
