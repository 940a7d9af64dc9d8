// The DatabaseBuilder: new files only, definitions checked, rows converted
// and checked as the engine's Update does, nothing left behind without
// commit.
#include <sqlite3.h>

#include <fstream>

#include "tests/platform/dao/engine_test_support.h"

using namespace enginetest;
using automation::ObjectRef;
using automation::Variant;

namespace {

void expectBuilderError(const std::function<void()>& call, int number, const std::string& description) {
  try {
    call();
    ADD_FAILURE() << "expected engine error " << number;
  } catch (const dao::EngineError& error) {
    EXPECT_EQ(error.number(), number);
    EXPECT_EQ(std::string(error.what()), description);
  }
}

std::vector<std::string> filesIn(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

TEST(Builder, NeverReplacesAnything) {
  TemporaryFolder folder;
  const std::string path = folder.file("work.mdb");
  std::ofstream(path) << "somebody's work";
  expectBuilderError([&] { dao::DatabaseBuilder::createNew(path); }, 3204, "Database already exists.");
  std::filesystem::create_symlink(folder.file("nowhere"), folder.file("link.mdb"));
  expectBuilderError([&] { dao::DatabaseBuilder::createNew(folder.file("link.mdb")); }, 3204, "Database already exists.");
  EXPECT_EQ(fileBytes(path), "somebody's work");
}

TEST(Builder, AFileAppearingDuringTheBuildIsKept) {
  TemporaryFolder folder;
  const std::string path = folder.file("race.mdb");
  dao::DatabaseBuilder builder = dao::DatabaseBuilder::createNew(path);
  builder.createTable(peopleTable());
  std::ofstream(path) << "arrived first";
  expectBuilderError([&] { builder.commit(); }, 3204, "Database already exists.");
  EXPECT_EQ(fileBytes(path), "arrived first");
  EXPECT_EQ(filesIn(folder.path()), std::vector<std::string>{"race.mdb"});
}

TEST(Builder, NothingIsLeftWithoutCommit) {
  TemporaryFolder folder;
  {
    dao::DatabaseBuilder builder = dao::DatabaseBuilder::createNew(folder.file("half.mdb"));
    builder.createTable(peopleTable());
    builder.insertRows("People", {"Name"}, {{"Ann"}});
    EXPECT_FALSE(std::filesystem::exists(folder.file("half.mdb")));
  }
  EXPECT_TRUE(filesIn(folder.path()).empty());
}

TEST(Builder, CommitLeavesOnlyTheFinishedFile) {
  TemporaryFolder folder;
  createNumberedPeople(folder.file("done.mdb"), 3);
  EXPECT_EQ(filesIn(folder.path()), std::vector<std::string>{"done.mdb"});
  EngineSession session(folder.file("done.mdb"));
  EXPECT_EQ(session.openTable()->get("RecordCount").asInt32(), 3);
}

TEST(Builder, TheFileIsAnSqliteDatabaseInWalMode) {
  TemporaryFolder folder;
  createNumberedPeople(folder.file("wal.mdb"), 1);
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open_v2(folder.file("wal.mdb").c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
  sqlite3_stmt* statement = nullptr;
  sqlite3_prepare_v2(db, "PRAGMA journal_mode", -1, &statement, nullptr);
  ASSERT_EQ(sqlite3_step(statement), SQLITE_ROW);
  EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)), "wal");
  sqlite3_finalize(statement);
  sqlite3_close(db);
}

TEST(Builder, DefinitionsAreChecked) {
  TemporaryFolder folder;
  dao::DatabaseBuilder builder = dao::DatabaseBuilder::createNew(folder.file("defs.mdb"));
  builder.createTable(peopleTable());
  dao::TableDefinition same = peopleTable();
  same.name = "PEOPLE";
  expectBuilderError([&] { builder.createTable(same); }, 3010, "Table 'PEOPLE' already exists.");
  expectBuilderError([&] { builder.createTable({"zen_mine", {{.name = "A"}}}); }, 3001,
                     "The table name 'zen_mine' is reserved by the engine.");
  expectBuilderError([&] { builder.createTable({"T", {{.name = "A"}, {.name = "a"}}}); }, 3191,
                     "Field 'a' is defined more than once.");
  expectBuilderError([&] { builder.createTable({"T", {{.name = "A", .type = dao::dbGUID}}}); }, 3259,
                     "Invalid field data type.");
  expectBuilderError([&] { builder.createTable({"T", {{.name = "A", .type = dao::dbText, .autoIncrement = true}}}); },
                     3259, "Invalid field data type.");
  expectBuilderError([&] { builder.createTable({"T", {{.name = "A", .type = dao::dbText, .size = 256}}}); }, 3001,
                     "The size of field 'A' is out of range.");
  expectBuilderError([&] { builder.createTable({"T", {}}); }, 3001, "The table 'T' needs at least one field.");
  expectBuilderError([&] { builder.createTable({"T", {{.name = "zen_version"}}}); }, 3001,
                     "The field name 'zen_version' is reserved by the engine.");
}

TEST(Builder, RowsAreCheckedLikeAnUpdateAndAFailingCallInsertsNone) {
  TemporaryFolder folder;
  const std::string path = folder.file("rows.mdb");
  dao::DatabaseBuilder builder = dao::DatabaseBuilder::createNew(path);
  builder.createTable(peopleTable());
  builder.insertRows("People", {"Name", "Code"}, {{"Ann", "c1"}});
  expectBuilderError([&] { builder.insertRows("People", {"Nope"}, {{"x"}}); }, 3265,
                     "Item not found in this collection.");
  expectBuilderError([&] { builder.insertRows("People", {"ID", "Name"}, {{"7", "x"}}); }, 3164,
                     "Field 'ID' cannot be updated.");
  expectBuilderError([&] { builder.insertRows("People", {"Name"}, {{"ok"}, {std::string(11, 'x')}}); }, 3163,
                     "The field 'Name' is too small to accept the amount of data you attempted to add.");
  // The size counts characters: ten three-byte characters fit, eleven do not.
  expectBuilderError([&] { builder.insertRows("People", {"Name"}, {{"\u5B57\u5B57\u5B57\u5B57\u5B57\u5B57\u5B57\u5B57\u5B57\u5B57\u5B57"}}); },
                     3163, "The field 'Name' is too small to accept the amount of data you attempted to add.");
  expectBuilderError([&] { builder.insertRows("People", {"Name", "Age"}, {{"ok", "1"}, {std::nullopt, "2"}}); }, 3314,
                     "The field 'Name' cannot contain a Null value because it requires a value.");
  expectBuilderError([&] { builder.insertRows("People", {"Name", "Code"}, {{"ok", "c2"}, {"dup", "C1"}}); }, 3022,
                     "The changes were not saved: the value of field 'Code' is already in another record, and the "
                     "field does not allow duplicates.");
  expectBuilderError([&] { builder.insertRows("People", {"Name", "Age"}, {{"ok", "old"}}); }, 3421,
                     "Data type conversion error.");
  expectBuilderError([&] { builder.insertRows("Nobody", {"Name"}, {{"x"}}); }, 3078,
                     "Cannot find table or query 'Nobody'.");
  builder.insertRows("People", {"Name", "Age"}, {{"Bob", "41"}});
  builder.insertRows("People", {"Name"}, {{"\u5B57\u5B57\u5B57\u5B57\u5B57\u5B57\u5B57\u5B57\u5B57\u5B57"}});
  builder.commit();
  expectBuilderError([&] { builder.commit(); }, 3420, "Object invalid or no longer set.");

  EngineSession session(path);
  ObjectRef recordset = session.openTable();
  EXPECT_EQ(recordset->get("RecordCount").asInt32(), 3);
  EXPECT_EQ(fieldValue(recordset, "Age"), Variant(0));  // the default of a field not given
  recordset->call("MoveNext");
  EXPECT_EQ(fieldValue(recordset, "ID"), Variant(2));  // rows are numbered in the order given
  EXPECT_EQ(fieldValue(recordset, "Name").asText(), "Bob");
  EXPECT_EQ(fieldValue(recordset, "Age"), Variant(41));
}

// Large calls go in statements of several rows each, the rest one by one:
// the rows keep their order, given keys and numbering, and a bad row
// anywhere fails the whole call.
TEST(Builder, ManyRowsAtOnceKeepOrderKeysAndAllOrNothing) {
  TemporaryFolder folder;
  const std::string path = folder.file("many.mdb");
  {
    dao::DatabaseBuilder builder = dao::DatabaseBuilder::createNew(path);
    builder.createTable(peopleTable());
    // 37 rows: every third without a key (numbered after the highest so far).
    std::vector<std::vector<dao::CellValue>> rows;
    for (int i = 0; i < 37; ++i) {
      const dao::CellValue key = i % 3 == 2 ? std::nullopt : dao::CellValue(std::to_string(100 + 2 * i));
      rows.push_back({key, "n" + std::to_string(i), "c" + std::to_string(i)});
    }
    builder.insertRowsKeepingKeys("People", {"ID", "Name", "Code"}, rows);
    // A duplicate within the first several rows, then in the last single
    // rows, then a row of the wrong width: nothing of those calls is kept.
    std::vector<std::vector<dao::CellValue>> bad;
    for (int i = 0; i < 20; ++i) bad.push_back({std::nullopt, "b" + std::to_string(i), "d" + std::to_string(i)});
    bad[3][2] = "C5";
    expectBuilderError([&] { builder.insertRowsKeepingKeys("People", {"ID", "Name", "Code"}, bad); }, 3022,
                       "The changes were not saved: the value of field 'Code' is already in another record, and the "
                       "field does not allow duplicates.");
    bad[3][2] = "d3";
    bad[19][2] = "c36";
    expectBuilderError([&] { builder.insertRowsKeepingKeys("People", {"ID", "Name", "Code"}, bad); }, 3022,
                       "The changes were not saved: the value of field 'Code' is already in another record, and the "
                       "field does not allow duplicates.");
    bad[19][2] = "d19";
    bad[7].pop_back();
    expectBuilderError([&] { builder.insertRowsKeepingKeys("People", {"ID", "Name", "Code"}, bad); }, 3001,
                       "Every row needs one value per named field.");
    builder.insertRows("People", {"Name"}, {{"last"}});
    builder.commit();
  }
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
  sqlite3_stmt* statement = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(db, "SELECT ID, Name FROM People ORDER BY rowid", -1, &statement, nullptr), SQLITE_OK);
  std::string stored;
  while (sqlite3_step(statement) == SQLITE_ROW)
    stored += std::to_string(sqlite3_column_int64(statement, 0)) + "=" +
              reinterpret_cast<const char*>(sqlite3_column_text(statement, 1)) + " ";
  sqlite3_finalize(statement);
  sqlite3_close(db);
  std::string expected;
  std::int64_t highest = 0;
  for (int i = 0; i < 37; ++i) {
    const std::int64_t key = i % 3 == 2 ? highest + 1 : 100 + 2 * i;
    highest = std::max(highest, key);
    expected += std::to_string(key) + "=n" + std::to_string(i) + " ";
  }
  expected += std::to_string(highest + 1) + "=last ";
  EXPECT_EQ(stored, expected);
}

TEST(Builder, APlainIndexIsInTheFinishedFileAndHoldsEveryRow) {
  // The index of a field that allows duplicates is made when the build is
  // committed; the finished file must hold it, whole.
  TemporaryFolder folder;
  const std::string path = folder.file("indexed.mdb");
  {
    dao::DatabaseBuilder builder = dao::DatabaseBuilder::createNew(path);
    builder.createTable({"Words", {{.name = "Word", .type = dao::dbText, .size = 4, .indexed = true}}});
    builder.insertRows("Words", {"Word"}, {{"b"}, {"A"}, {"b"}, {std::nullopt}});
    builder.commit();
  }
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
  const auto single = [&](const char* sql) {
    sqlite3_stmt* statement = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db, sql, -1, &statement, nullptr), SQLITE_OK) << sql;
    std::string value;
    if (sqlite3_step(statement) == SQLITE_ROW) value = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
    sqlite3_finalize(statement);
    return value;
  };
  EXPECT_EQ(single("SELECT count(*) FROM sqlite_master WHERE type = 'index' AND tbl_name = 'Words'"), "1");
  EXPECT_EQ(single("PRAGMA integrity_check"), "ok");
  EXPECT_EQ(single("SELECT count(*) FROM Words INDEXED BY zen_ix_Words_0 WHERE Word = 'a' COLLATE NOCASE OR "
                   "Word = 'B' COLLATE NOCASE"),
            "3");
  sqlite3_close(db);
}

TEST(Builder, ATableWithoutAnAutoIncrementFieldKeepsItsRowsInOrder) {
  TemporaryFolder folder;
  const std::string path = folder.file("plain.mdb");
  {
    dao::DatabaseBuilder builder = dao::DatabaseBuilder::createNew(path);
    builder.createTable({"Plain", {{.name = "Word", .type = dao::dbText, .size = 4}, {.name = "Binary", .type = dao::dbLong}}});
    builder.insertRows("Plain", {"Word", "Binary"}, {{"b", "2"}, {"a", "1"}, {"c", std::nullopt}});
    builder.commit();
  }
  EngineSession session(path);
  ObjectRef recordset = session.openTable("Plain");
  EXPECT_EQ(recordset->getObject("Fields")->get("Count").asInt32(), 2);
  std::string words;
  while (!recordset->get("EOF").asBoolean()) {
    words += fieldValue(recordset, "Word").asText();
    recordset->call("MoveNext");
  }
  EXPECT_EQ(words, "bac");
  recordset->call("MoveFirst");
  recordset->call("Delete");
  recordset->call("AddNew");
  setField(recordset, "Word", "d");
  recordset->call("Update");
  recordset->put("Bookmark", recordset->get("LastModified"));
  EXPECT_EQ(recordset->get("AbsolutePosition").asInt32(), 2);
}

TEST(Builder, CopiedRowsKeepTheirKeysVersionsAndNumbering) {
  TemporaryFolder folder;
  const std::string path = folder.file("copied.mdb");
  const auto person = [](std::int64_t key, std::int64_t version, const char* name, const char* code) {
    return dao::CopiedRow{key, version,
                          {Variant(static_cast<int>(key)), Variant(name), Variant(30), Variant(code),
                           Variant::null(), Variant(automation::Date{45000.5})}};
  };
  {
    dao::DatabaseBuilder builder = dao::DatabaseBuilder::createNew(path);
    builder.createTable(peopleTable());
    builder.insertCopiedRows("People", {person(4, 7, "Ann", "a"), person(9, 0, "Bob", "b")});
    // Checked as any insert, and a failing call inserts none of its rows.
    expectBuilderError([&] { builder.insertCopiedRows("People", {person(12, 0, "Cy", "c"), person(4, 0, "Dup", "d")}); },
                       3022, "The changes were not saved: the value of field 'ID' is already in another record, and "
                             "the field does not allow duplicates.");
    expectBuilderError([&] { builder.insertCopiedRows("People", {person(13, 0, "Too long a name", "e")}); }, 3163,
                       "The field 'Name' is too small to accept the amount of data you attempted to add.");
    dao::CopiedRow nameless = person(14, 0, "x", "f");
    nameless.values[1] = Variant::null();
    expectBuilderError([&] { builder.insertCopiedRows("People", {nameless}); }, 3314,
                       "The field 'Name' cannot contain a Null value because it requires a value.");
    dao::CopiedRow shortRow = person(15, 0, "x", "g");
    shortRow.values.pop_back();
    expectBuilderError([&] { builder.insertCopiedRows("People", {shortRow}); }, 3001,
                       "Every row needs one value per field.");
    // Key 20 was used once (its row is gone): new rows come after it.
    builder.keepKeysAbove("People", 20);
    builder.keepKeysAbove("People", 5);  // never goes back
    builder.commit();
  }
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
  sqlite3_stmt* statement = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(db, "SELECT group_concat(ID || ':' || zen_version || ':' || Name, ' ') FROM People",
                               -1, &statement, nullptr),
            SQLITE_OK);
  ASSERT_EQ(sqlite3_step(statement), SQLITE_ROW);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0))), "4:7:Ann 9:0:Bob");
  sqlite3_finalize(statement);
  sqlite3_close(db);

  EngineSession session(path);
  ObjectRef recordset = session.openTable();
  EXPECT_EQ(recordset->get("RecordCount").asInt32(), 2);
  recordset->call("AddNew");
  setField(recordset, "Name", "Eve");
  recordset->call("Update");
  recordset->put("Bookmark", recordset->get("LastModified"));
  EXPECT_EQ(fieldValue(recordset, "ID"), Variant(21));
}
