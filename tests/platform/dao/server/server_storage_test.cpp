// The server storage under the engine's storage interface: values travel
// exactly, the conflict rule is the file's, a lost connection writes
// nothing and the next statement connects again, and opening names what is
// wrong.
#include "platform/dao/server/server_storage.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <thread>

#include "platform/dao/engine_error.h"
#include "platform/dao/column_value.h"
#include "platform/dao/server/server_session.h"
#include "tests/platform/dao/engine_test_support.h"
#include "tests/platform/dao/server/server_test_support.h"

namespace {

using automation::Variant;
using servertest::ScratchDatabase;

void expectEngineError(const std::function<void()>& call, int number, const std::string& text = {}) {
  try {
    call();
  } catch (const dao::EngineError& failure) {
    EXPECT_EQ(failure.number(), number) << failure.what();
    if (!text.empty()) {
      EXPECT_EQ(std::string(failure.what()), text);
    }
    return;
  }
  ADD_FAILURE() << "no engine error " << number;
}

std::shared_ptr<dao::server::ServerStorage> openPeople(const ScratchDatabase& database, int rows,
                                                       dao::OpenSettings settings = {}) {
  servertest::createServerDatabase(database, {enginetest::peopleTable()});
  servertest::insertNumberedPeople(database, rows);
  return std::make_shared<dao::server::ServerStorage>(database.connectionString(), settings);
}

std::string describeRow(const dao::RowData& row) {
  std::string text = std::to_string(row.rowId) + "v" + std::to_string(row.version) + ":";
  for (const Variant& value : row.values) text += " " + (value.isNull() ? std::string("Null") : value.asText());
  return text;
}

std::string describeRows(const std::vector<dao::RowData>& rows) {
  std::string text;
  for (const dao::RowData& row : rows) text += describeRow(row) + "\n";
  return text;
}

// The values of one row with every column converted as the engine would.
std::vector<Variant> storedValues(const dao::TableSchema& schema, const std::vector<Variant>& given) {
  std::vector<Variant> values;
  for (std::size_t i = 0; i < schema.columns.size(); ++i) values.push_back(dao::toStoredValue(given[i], schema.columns[i]));
  return values;
}

TEST(ServerStorage, EveryTypeComesBackExactlyAsWritten) {
  ScratchDatabase database;
  dao::TableDefinition table{.name = "Types", .columns = {
      {.name = "ID", .type = dao::dbLong, .autoIncrement = true}, {.name = "Flag", .type = dao::dbBoolean},
      {.name = "Small", .type = dao::dbByte},     {.name = "Short", .type = dao::dbInteger},
      {.name = "Long", .type = dao::dbLong},      {.name = "Money", .type = dao::dbCurrency},
      {.name = "Single", .type = dao::dbSingle},  {.name = "Double", .type = dao::dbDouble},
      {.name = "When", .type = dao::dbDate},      {.name = "Bytes", .type = dao::dbLongBinary},
      {.name = "Text", .type = dao::dbText, .size = 50}, {.name = "Memo", .type = dao::dbMemo}}};
  servertest::createServerDatabase(database, {table});
  dao::server::ServerStorage storage(database.connectionString(), {});
  const auto schema = storage.loadTableSchema("Types");
  const auto rows = storage.openTable(schema);

  const std::vector<std::vector<Variant>> given = {
      {Variant(), Variant(true), Variant(std::int16_t{255}), Variant(std::int16_t{-32768}),
       Variant(std::numeric_limits<int>::min()), Variant(automation::Currency{-9223372036854770000}),
       Variant(0.1), Variant(0.1), Variant(automation::Date{45000.999988425923}),
       Variant(automation::ByteArray{0, 1, 0xFF, '\\', 'x'}),
       // € and a private-use character, which PostgreSQL's own Big5 tables get wrong or lack.
       Variant("\xE2\x82\xAC\xEE\x80\x80 O'Brien \"x\" \\ %_"), Variant(std::string(100000, 'm'))},
      {Variant(), Variant(false), Variant(std::int16_t{0}), Variant(std::int16_t{32767}),
       Variant(std::numeric_limits<int>::max()), Variant(automation::Currency{1}),
       Variant(3.4028234663852886e38), Variant(5e-324), Variant(automation::Date{-657434.0}),
       Variant(automation::ByteArray{}), Variant(""), Variant::null()},
      {Variant(), Variant::null(), Variant::null(), Variant::null(), Variant::null(), Variant::null(),
       Variant(std::nan("")), Variant(-std::numeric_limits<double>::infinity()), Variant::null(), Variant::null(),
       Variant::null(), Variant("")},
  };
  std::vector<std::vector<Variant>> written;
  for (const std::vector<Variant>& row : given) {
    written.push_back(storedValues(*schema, row));
    rows->insert(written.back());
  }
  std::vector<dao::RowData> read;
  rows->readRows(1, 3, read);
  ASSERT_EQ(read.size(), 3u);
  for (std::size_t r = 0; r < read.size(); ++r) {
    EXPECT_EQ(read[r].rowId, static_cast<std::int64_t>(r + 1));
    EXPECT_EQ(read[r].version, 0);
    for (std::size_t c = 1; c < schema->columns.size(); ++c) {
      const Variant& expected = written[r][c];
      const Variant& actual = read[r].values[c];
      EXPECT_EQ(actual.type(), expected.type()) << "row " << r << " column " << schema->columns[c].name;
      if (expected.type() == automation::VariantType::Double && std::isnan(expected.asDouble())) {
        EXPECT_TRUE(std::isnan(actual.asDouble()));
      } else {
        EXPECT_TRUE(actual == expected) << "row " << r << " column " << schema->columns[c].name << ": "
                                        << (actual.isNull() ? "Null" : actual.asText());
      }
    }
  }
  // A Single keeps the float it is stored as, not the double it was given.
  EXPECT_EQ(read[0].values[6].asDouble(), static_cast<double>(0.1f));
  // An edit of a row holding every kind of value finds it unchanged
  // (its stored values compare equal to themselves, NaN and all).
  for (std::int64_t key = 1; key <= 3; ++key) {
    dao::RowData row;
    const auto snapshot = rows->readForEdit(key, row);
    ASSERT_NE(snapshot, nullptr);
    const std::vector<std::size_t> flag = {1};
    std::vector<Variant> values = row.values;
    values[1] = Variant(true);
    EXPECT_NO_THROW(rows->update(key, *snapshot, row.version, flag, values)) << "row " << key;
  }
}

TEST(ServerStorage, KeysAndRowsAsTheKeysetAsksForThem) {
  ScratchDatabase database;
  const auto storage = openPeople(database, 10);
  const auto schema = storage->loadTableSchema("people");
  const auto rows = storage->openTable(schema);

  const dao::OpenedTable opened = rows->open(3);
  EXPECT_EQ(opened.highestKey, 10);
  EXPECT_EQ(describeRows(opened.firstRows), "1v0: 1 P1 1 C1 Null Null\n2v0: 2 P2 2 C2 Null Null\n3v0: 3 P3 3 C3 Null Null\n");
  EXPECT_EQ(rows->open(0).highestKey, 10);
  EXPECT_TRUE(rows->open(0).firstRows.empty());

  std::vector<std::int64_t> keys;
  rows->keysForward(3, 9, 4, keys);
  rows->keysBackward(3, 9, 2, keys);
  rows->keysForward(8, 10, std::numeric_limits<std::size_t>::max(), keys);
  const auto between = rows->keysBetween(4, 6);
  keys.insert(keys.end(), between.begin(), between.end());
  std::string text;
  for (const std::int64_t key : keys) text += std::to_string(key) + " ";
  EXPECT_EQ(text, "4 5 6 7 9 8 9 10 4 5 6 ");
  EXPECT_EQ(rows->countKeys(2, 8), 6);
  EXPECT_EQ(storage->rowCount(*schema), 10);

  // Rows read into a vector that held others.
  std::vector<dao::RowData> read = opened.firstRows;
  rows->readRows(9, 12, read);
  EXPECT_EQ(describeRows(read), "9v0: 9 P9 9 C9 Null Null\n10v0: 10 P10 10 C10 Null Null\n");

  // Keys are handed out above every key the table ever had.
  const auto values = storedValues(*schema, {Variant(), Variant("New"), Variant(1), Variant("N1"), Variant(), Variant()});
  rows->remove(10);
  EXPECT_EQ(rows->insert(values), 11);
  expectEngineError([&] { rows->remove(10); }, 3167, "Record is deleted.");

  // An empty table has no highest key.
  postgres::PostgresConnection other = database.connect();
  other.execute("DELETE FROM \"People\"");
  const dao::OpenedTable empty = rows->open(5);
  EXPECT_EQ(empty.highestKey, 0);
  EXPECT_TRUE(empty.firstRows.empty());

  // The catalogue as read-only system tables, after the user's.
  std::string tables;
  for (const dao::TableSummary& table : storage->listTables()) tables += table.name + " ";
  EXPECT_EQ(tables, "People ZSysTables ZSysColumns ");
  const auto columns = storage->openTable(storage->loadTableSchema("ZSysColumns"));
  const dao::OpenedTable catalogue = columns->open(2);
  EXPECT_EQ(describeRows(catalogue.firstRows), "65537v0: People 0 ID 4 4 1 0 0 0  \n65538v0: People 1 Name 10 10 0 1 0 0  \n");
  expectEngineError([&] { columns->remove(65537); }, 3027);
}

TEST(ServerStorage, AnUpdateWritesOnlyOverTheRowAsEditReadIt) {
  ScratchDatabase database;
  const auto storage = openPeople(database, 5);
  const auto schema = storage->loadTableSchema("People");
  const auto rows = storage->openTable(schema);
  postgres::PostgresConnection other = database.connect();
  const std::vector<std::size_t> age = {2};
  const auto edit = [&](std::int64_t key, dao::RowData& row) {
    auto snapshot = rows->readForEdit(key, row);
    row.values[2] = Variant(100);
    return snapshot;
  };
  const std::string conflict =
      "Write conflict: another user changed or deleted this record after you began editing it; your changes were "
      "not saved.";

  dao::RowData row;
  auto snapshot = edit(1, row);
  rows->update(1, *snapshot, row.version, age, row.values);
  EXPECT_EQ(other.query("SELECT \"Age\", zen_version FROM \"People\" WHERE \"ID\" = 1").text(0, 0), "100");
  EXPECT_EQ(other.query("SELECT zen_version FROM \"People\" WHERE \"ID\" = 1").integer(0, 0), 1);
  // The same snapshot again: the row has moved on meanwhile (by this very post).
  expectEngineError([&] { rows->update(1, *snapshot, row.version, age, row.values); }, 3197, conflict);

  // Another program changed a column this edit does not write.
  snapshot = edit(2, row);
  other.execute("UPDATE \"People\" SET \"Note\" = 'theirs' WHERE \"ID\" = 2");
  expectEngineError([&] { rows->update(2, *snapshot, row.version, age, row.values); }, 3197, conflict);

  // Another program replaced the row and set its counter back: the values
  // tell (letter case too).
  snapshot = edit(3, row);
  other.execute("UPDATE \"People\" SET \"Name\" = 'p3', zen_version = 7 WHERE \"ID\" = 3;"
                "UPDATE \"People\" SET zen_version = 0 WHERE \"ID\" = 3");
  expectEngineError([&] { rows->update(3, *snapshot, row.version, age, row.values); }, 3197, conflict);

  // Deleted meanwhile.
  snapshot = edit(4, row);
  other.execute("DELETE FROM \"People\" WHERE \"ID\" = 4");
  expectEngineError([&] { rows->update(4, *snapshot, row.version, age, row.values); }, 3197, conflict);
  EXPECT_EQ(rows->readForEdit(4, row), nullptr);

  // Nothing of the refused posts was written.
  EXPECT_EQ(other.query("SELECT string_agg(\"ID\" || ':' || \"Age\" || ':' || zen_version, ' ' ORDER BY \"ID\") "
                        "FROM \"People\"")
                .text(0, 0),
            "1:100:1 2:2:1 3:3:0 5:5:0");

  // A unique field names itself; the row is left as it was.
  snapshot = rows->readForEdit(5, row);
  row.values[3] = Variant("c1");
  const std::vector<std::size_t> code = {3};
  expectEngineError([&] { rows->update(5, *snapshot, row.version, code, row.values); }, 3022,
                    "The changes were not saved: the value of field 'Code' is already in another record, and the "
                    "field does not allow duplicates.");
  expectEngineError([&] { rows->insert(row.values); }, 3022);
  EXPECT_EQ(other.query("SELECT \"Code\" FROM \"People\" WHERE \"ID\" = 5").text(0, 0), "C5");
}

TEST(ServerStorage, FindFirstTakesTheLowestAcceptedMatchPageByPage) {
  ScratchDatabase database;
  const auto storage = openPeople(database, 300);
  const auto rows = storage->openTable(storage->loadTableSchema("People"));

  // The prefix on an indexed text field ignores the case of ASCII letters.
  const auto prefix = rows->compileFind("Code Like 'c2*'");
  EXPECT_EQ(rows->findFirst(*prefix, [](std::int64_t) { return true; }), 2);
  // Keys the dynaset does not take are passed over, across pages: the
  // matches of "c2*" are 2, 20-29, 200-299.
  std::string asked;
  const auto found = rows->findFirst(*prefix, [&](std::int64_t key) {
    if (key < 30) asked += std::to_string(key) + " ";
    return key > 250;
  });
  EXPECT_EQ(found, 251);
  EXPECT_EQ(asked, "2 20 21 22 23 24 25 26 27 28 29 ");
  EXPECT_EQ(rows->findFirst(*prefix, [](std::int64_t) { return false; }), std::nullopt);

  const auto both = rows->compileFind("[People].[Age] >= 150 AND Name = 'p151'");
  EXPECT_EQ(rows->findFirst(*both, [](std::int64_t) { return true; }), 151);
  const auto none = rows->compileFind("Note Is Not Null");
  EXPECT_EQ(rows->findFirst(*none, [](std::int64_t) { return true; }), std::nullopt);

  expectEngineError([&] { rows->compileFind("Colour = 'red'"); }, 3070,
                    "The criteria name 'Colour' is not a field of this recordset.");
  expectEngineError([&] { rows->compileFind("Name = "); }, 3077);
}

TEST(ServerStorage, WhatTheServerRefusesBecomesTheEnginesErrorAndWritesNothing) {
  ScratchDatabase database;
  const auto storage = openPeople(database, 2, {.lockTimeoutMilliseconds = 200});
  const auto schema = storage->loadTableSchema("People");
  const auto rows = storage->openTable(schema);
  postgres::PostgresConnection other = database.connect();
  const std::vector<std::size_t> note = {4};

  // Another client holds the row longer than the lock timeout.
  dao::RowData row;
  auto snapshot = rows->readForEdit(1, row);
  row.values[4] = Variant("mine");
  other.execute("BEGIN; SELECT 1 FROM \"People\" WHERE \"ID\" = 1 FOR UPDATE");
  expectEngineError([&] { rows->update(1, *snapshot, row.version, note, row.values); }, 3218,
                    "Could not update; the database is locked by another user.");
  other.execute("COMMIT");
  rows->update(1, *snapshot, row.version, note, row.values);

  // Text the server cannot hold: a NUL character, bytes that are no UTF-8.
  snapshot = rows->readForEdit(2, row);
  for (const std::string& text : {std::string("a\0b", 3), std::string("\xA4\xA4")}) {
    row.values[4] = Variant(text);
    expectEngineError([&] { rows->update(2, *snapshot, row.version, note, row.values); }, 3421,
                      "Data type conversion error.");
    std::vector<Variant> added = row.values;
    added[3] = Variant::null();
    expectEngineError([&] { rows->insert(added); }, 3421);
  }
  EXPECT_EQ(other.query("SELECT string_agg(\"ID\" || ':' || coalesce(\"Note\", '-') || ':' || zen_version, ' ' "
                        "ORDER BY \"ID\") FROM \"People\"")
                .text(0, 0),
            "1:mine:1 2:-:0");
}

TEST(ServerStorage, AReadOnlyOpenWritesNothing) {
  ScratchDatabase database;
  const auto storage = openPeople(database, 2, {.readOnly = true});
  const auto rows = storage->openTable(storage->loadTableSchema("People"));
  dao::RowData row;
  const auto snapshot = rows->readForEdit(1, row);
  const std::vector<std::size_t> age = {2};
  expectEngineError([&] { rows->update(1, *snapshot, row.version, age, row.values); }, 3027);
  expectEngineError([&] { rows->insert(row.values); }, 3027);
  expectEngineError([&] { rows->remove(1); }, 3027);
  EXPECT_TRUE(storage->isReadOnly());
}

TEST(ServerStorage, ALostConnectionWritesNothingAndTheNextStatementConnectsAgain) {
  ScratchDatabase database;
  const auto storage = openPeople(database, 3);
  const auto rows = storage->openTable(storage->loadTableSchema("People"));
  postgres::PostgresConnection other = database.connect();
  const std::vector<std::size_t> age = {2};

  // The post is under way: it waits for a lock another client holds on the
  // row, and its server process is ended meanwhile.
  dao::RowData row;
  const auto snapshot = rows->readForEdit(1, row);
  row.values[2] = Variant(42);
  const int backend = servertest::backendOf(storage->session().connection());
  other.execute("BEGIN; SELECT 1 FROM \"People\" WHERE \"ID\" = 1 FOR UPDATE");
  std::thread killer([&] {
    // The post waits on the lock from the moment pg_locks shows it.
    postgres::PostgresConnection watcher = database.connect();
    for (int i = 0; i < 500; ++i) {
      if (watcher.query("SELECT count(*) FROM pg_locks WHERE pid = $1::integer AND NOT granted",
                        {std::to_string(backend)}).integer(0, 0) > 0)
        break;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    servertest::terminateBackend(backend);
  });
  const std::string server = storage->displayName();
  expectEngineError([&] { rows->update(1, *snapshot, row.version, age, row.values); }, 3043,
                    "The connection to the database server (" + server +
                        ") was lost; the change in progress was not saved.");
  killer.join();
  other.execute("COMMIT");
  EXPECT_EQ(other.query("SELECT \"Age\" || ':' || zen_version FROM \"People\" WHERE \"ID\" = 1").text(0, 0), "1:0");

  // The same post again (the edit was kept above): connected anew, it is stored.
  rows->update(1, *snapshot, row.version, age, row.values);
  EXPECT_EQ(storage->session().connects(), 2);
  EXPECT_EQ(other.query("SELECT \"Age\" || ':' || zen_version FROM \"People\" WHERE \"ID\" = 1").text(0, 0), "42:1");
}

TEST(ServerStorage, OpeningSaysWhatIsWrongWithTheDatabase) {
  ScratchDatabase database;
  const std::string server = postgres::PostgresConnection::describeServer(database.connectionString());
  expectEngineError([&] { dao::server::ServerStorage(database.connectionString(), {}); }, 3343,
                    "The database " + server +
                        " holds no tables of this program (zenmora-db copy puts a database there).");
  servertest::createServerDatabase(database, {enginetest::peopleTable()});
  {
    postgres::PostgresConnection other = database.connect();
    other.execute("UPDATE zen_info SET value = '2' WHERE key = 'server_schema'");
    expectEngineError([&] { dao::server::ServerStorage(database.connectionString(), {}); }, 3343,
                      "The database " + server + " was made by a later version of this program (layout 2).");
    other.execute("UPDATE zen_info SET value = '1' WHERE key = 'server_schema'");
  }

  // An exclusive open keeps others out, and is kept out by them.
  {
    dao::server::ServerStorage exclusive(database.connectionString(), {.exclusive = true});
    expectEngineError([&] { dao::server::ServerStorage(database.connectionString(), {}); }, 3045,
                      "Could not use '" + server + "'; file already in use.");
  }
  dao::server::ServerStorage shared(database.connectionString(), {});
  expectEngineError([&] { dao::server::ServerStorage(database.connectionString(), {.exclusive = true}); }, 3045);
  dao::server::ServerStorage alsoShared(database.connectionString(), {});
  EXPECT_EQ(alsoShared.version(), "3.0");
  EXPECT_EQ(alsoShared.collatingOrder(), 1033);

  expectEngineError([&] { alsoShared.loadTableSchema("Nobody"); }, 3078, "Cannot find table or query 'Nobody'.");
  const auto table = alsoShared.openTable(alsoShared.loadTableSchema("People"));
  alsoShared.close();
  expectEngineError([&] { table->open(1); }, 3420);
  expectEngineError([&] { alsoShared.listTables(); }, 3420);

  expectEngineError([&] { dao::server::ServerStorage(servertest::testServer() + " dbname=nowhere", {}); }, 3024);
}

}  // namespace
