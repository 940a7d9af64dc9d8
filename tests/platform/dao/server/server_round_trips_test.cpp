// What the engine's actions cost on the server, in statements (each one
// round trip): moving costs at most one, a post at most two, and the keys
// is one statement the first time as well.
#include <gtest/gtest.h>

#include "platform/automation/com_init.h"
#include "platform/dao/dao_database.h"
#include "platform/dao/dao_object.h"
#include "platform/dao/server/server_session.h"
#include "platform/dao/server/server_storage.h"
#include "tests/platform/dao/engine_test_support.h"
#include "tests/platform/dao/server/server_test_support.h"

namespace {

using automation::ObjectRef;
using automation::Variant;

TEST(ServerRoundTrips, PerActionOfTheEngine) {
  servertest::ScratchDatabase database;
  servertest::createServerDatabase(database, {enginetest::peopleTable()});
  servertest::insertNumberedPeople(database, 13053);
  automation::ScopedComInitialization com;
  auto storage = std::make_shared<dao::server::ServerStorage>(database.connectionString(), dao::OpenSettings{});
  ObjectRef db = std::make_shared<dao::DaoDatabase>(std::make_shared<dao::ErrorLog>(), storage, ";");
  std::string trace;
  std::int64_t last = storage->session().statements();
  const auto step = [&](const std::string& name, const std::function<void()>& action) {
    action();
    const std::int64_t now = storage->session().statements();
    trace += name + "=" + std::to_string(now - last) + " ";
    last = now;
  };
  ObjectRef rs;
  step("open", [&] { rs = db->getObject("OpenRecordset", {"People", 2, 0, 3}); });
  step("first", [&] { enginetest::fieldValue(rs, "Name"); });
  step("middle", [&] { rs->put("AbsolutePosition", 6000); enginetest::fieldValue(rs, "Name"); });
  step("next", [&] { rs->call("MoveNext"); enginetest::fieldValue(rs, "Name"); });
  step("next", [&] { rs->call("MoveNext"); enginetest::fieldValue(rs, "Name"); });
  step("count", [&] { rs->get("RecordCount"); });
  step("last", [&] { rs->call("MoveLast"); enginetest::fieldValue(rs, "Name"); });
  step("find", [&] { rs->call("FindFirst", {"Code Like 'c12999*'"}); enginetest::fieldValue(rs, "Name"); });
  step("edit", [&] { rs->call("Edit"); });
  step("update", [&] { enginetest::setField(rs, "Age", 5); rs->call("Update"); });
  step("addnew", [&] { rs->call("AddNew"); enginetest::setField(rs, "Name", "N"); rs->call("Update"); });
  step("prev", [&] { rs->call("MovePrevious"); enginetest::fieldValue(rs, "Name"); });
  // Opening reads the catalogue and the first rows with the highest key; a
  // jump into the middle reads the whole keyset (13,053 keys) in one query
  // and the row, after which the count and the last rows' keys are known;
  // landing on a row reads it afresh (the server cannot tell cheaply
  // whether another client changed it); MoveLast reads the last keys and
  // the row; a post is the Edit's read and the guarded UPDATE; AddNew's
  // post one INSERT ... RETURNING.
  // A run of moves in one direction reads one row per move (values are read
  // when first asked for): rows read ahead would be read afresh at their
  // landing anyway.
  const std::int64_t rowsBefore = storage->session().rowsReceived();
  rs->call("MoveFirst");
  for (int i = 0; i < 40; ++i) {
    rs->call("MoveNext");
    enginetest::fieldValue(rs, "Name");
  }
  EXPECT_EQ(storage->session().rowsReceived() - rowsBefore, 40);  // MoveFirst alone reads nothing
  EXPECT_EQ(trace, "open=2 first=1 middle=2 next=1 next=1 count=0 last=1 find=2 edit=1 update=1 addnew=1 prev=1 ");
}

}  // namespace

TEST(ServerRoundTrips, PreparingAndRunningInOneExchangeLeavesTheConnectionUsable) {
  servertest::ScratchDatabase database;
  postgres::PostgresConnection connection = database.connect();
  EXPECT_EQ(connection.queryPreparedInOneTrip("a", "SELECT $1::integer + 1", {"41"}).integer(0, 0), 42);
  EXPECT_EQ(connection.queryPreparedInOneTrip("a", "SELECT $1::integer + 1", {"1"}).integer(0, 0), 2);
  // A statement that does not prepare, and one that fails when run: the
  // error is the server's, and the connection goes on working.
  const auto failure = [&](const std::string& name, const std::string& sql) {
    try {
      connection.queryPreparedInOneTrip(name, sql, {"0"});
    } catch (const postgres::PostgresError& error) {
      return error.sqlState();
    }
    return std::string("none");
  };
  EXPECT_EQ(failure("b", "SELEC $1"), "42601");
  EXPECT_EQ(failure("c", "SELECT 1 / $1::integer"), "22012");
  EXPECT_EQ(failure("c", "SELECT 1 / $1::integer"), "22012");
  EXPECT_EQ(connection.query("SELECT 7").integer(0, 0), 7);
  EXPECT_EQ(connection.queryPreparedInOneTrip("b", "SELECT $1::integer * 2", {"4"}).integer(0, 0), 8);
}
