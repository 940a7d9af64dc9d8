// Another program changes what the form is editing or showing: the
// sqlite3 command line (any program writing SQL) replacing a row with the
// same ID, a column dropped from the table while the engine's catalogue
// still lists it, another user deleting the record being edited. The form
// is the data layer as the program drives it: TOrvDaoTable's record number
// and count are what the status line shows.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>

#include "framework/TDataSet.h"
#include "platform/automation/ole_exception.h"
#include "platform/dao/database_connection.h"
#include "tests/data/data_test_support.h"
#include "tests/reliability/reliability_support.h"

namespace {

constexpr const char* kTable = "0_Data_Input";
constexpr int kWriteConflict = 3197;
constexpr const char* kWriteConflictText =
    "Write conflict: another user changed or deleted this record after you began editing it; your changes were "
    "not saved.";

// SQL run straight on the file, as a third program would; "" when it worked.
std::string RunSql(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  std::string failure;
  if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) failure = sqlite3_errmsg(db);
  char* message = nullptr;
  if (failure.empty() && sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
    failure = message != nullptr ? message : "failed";
  }
  sqlite3_free(message);
  sqlite3_close(db);
  return failure;
}

// "<number> <text>" of the engine error `call` throws, or "no error".
template <class Call>
std::string ErrorOf(Call&& call) {
  try {
    call();
  } catch (const automation::EOleException& error) {
    return std::to_string(error.errorNumber()) + " " + error.what();
  }
  return "no error";
}

std::string Conflict() { return std::to_string(kWriteConflict) + " " + kWriteConflictText; }

class ChangedUnderEdit : public ::testing::Test {
 protected:
  void SetUp() override { reliability::CreateCharacterDatabase(path, {.characters = 5}); }

  // ID, record number and count as the status line would show them.
  std::string Shown(data::TOrvDaoTable& table) {
    return table.FieldByName("ID").AsString() + " at " + std::to_string(table.RecNo()) + " of " +
           std::to_string(table.RecordCount());
  }

  std::optional<std::string> Stored(const std::string& field, int row) {
    return reliability::ReadColumn(path, kTable, field).at(static_cast<std::size_t>(row));
  }

  datatest::TemporaryFolder folder;
  std::string path = folder.file("Lexora_Concept.mdb");
};

TEST_F(ChangedUnderEdit, EveryWayOfChangingTheRowUnderAnEditIsAConflict) {
  // Each line replaces or changes the first row behind the form's back; the
  // form's post must fail and leave the other program's row as it is.
  struct Case {
    const char* what;
    const char* sql;
    const char* field;  // and the value the other program left in it
    const char* left;
  };
  const Case cases[] = {
      // The counter back to its default, the values changed.
      {"INSERT OR REPLACE with the same ID",
       "INSERT OR REPLACE INTO \"0_Data_Input\"(ID, Li_Chang) VALUES(1, 'theirs')", "Li_Chang", "theirs"},
      // The counter put back to what the edit read (an explicit change of
      // the counter is not counted again).
      {"an update that puts the counter back",
       "UPDATE \"0_Data_Input\" SET Ren_Zhi = 'theirs', zen_version = zen_version + 1 WHERE ID = 1; "
       "UPDATE \"0_Data_Input\" SET zen_version = zen_version - 1 WHERE ID = 1",
       "Ren_Zhi", "theirs"},
      {"a delete and an insert with the same ID",
       "DELETE FROM \"0_Data_Input\" WHERE ID = 1; INSERT INTO \"0_Data_Input\"(ID, Li_Chang) VALUES(1, 'again')",
       "Li_Chang", "again"},
      // Same text, other type: a peer comparing values must see the change.
      {"the same text stored as a blob", "UPDATE \"0_Data_Input\" SET Xian_Xiang = CAST('7' AS BLOB) WHERE ID = 1",
       "Xian_Xiang", "7"},
      // A change of letter case only.
      {"a change of letter case", "UPDATE \"0_Data_Input\" SET Ren_Zhi = 'ABC' WHERE ID = 1", "Ren_Zhi", "ABC"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_EQ(RunSql(path, "UPDATE \"0_Data_Input\" SET Li_Chang = NULL, Ren_Zhi = 'abc', Xian_Xiang = '7' "
                           "WHERE ID = 1"),
              "");
    datatest::Form form(path);
    data::TOrvDaoTable& table = form.OpenTable(kTable);
    table.Edit();
    table.FieldByName("Li_Chang").SetAsString("mine");
    ASSERT_EQ(RunSql(path, c.sql), "");
    EXPECT_EQ(ErrorOf([&] { table.Post(); }), Conflict());
    EXPECT_EQ(table.State(), framework::dsEdit);  // what was typed is kept
    EXPECT_EQ(Stored(c.field, 0), c.left);
    table.Cancel();
  }
}

TEST_F(ChangedUnderEdit, AnUnchangedRowIsStillPostedAfterAnotherRowChanged) {
  datatest::Form form(path);
  data::TOrvDaoTable& table = form.OpenTable(kTable);
  table.Edit();
  table.FieldByName("Li_Chang").SetAsString("mine");
  ASSERT_EQ(RunSql(path, "INSERT OR REPLACE INTO \"0_Data_Input\"(ID, Li_Chang) VALUES(2, 'theirs')"), "");
  EXPECT_EQ(ErrorOf([&] { table.Post(); }), "no error");
  EXPECT_EQ(Stored("Li_Chang", 0), "mine");
  EXPECT_EQ(Stored("Li_Chang", 1), "theirs");
  // And the posted row can be edited again at once.
  table.Edit();
  table.FieldByName("Li_Chang").SetAsString("again");
  EXPECT_EQ(ErrorOf([&] { table.Post(); }), "no error");
  EXPECT_EQ(Stored("Li_Chang", 0), "again");
}

TEST_F(ChangedUnderEdit, AColumnMissingFromTheTableIsReportedWhenTheTableOpens) {
  // The catalogue still lists CJ_Input; the table no longer has it.
  ASSERT_EQ(RunSql(path, "ALTER TABLE \"0_Data_Input\" DROP COLUMN CJ_Input"), "");
  {
    datatest::Form form(path);
    EXPECT_EQ(ErrorOf([&] { form.OpenTable(kTable); }), "3265 Item not found in this collection.");
    // The other tables open as before.
    EXPECT_EQ(ErrorOf([&] { form.OpenTable("1_Li_Chang", "OrvDaoTable2"); }), "no error");
  }
  // The change counter, which no catalogue lists, is required as well.
  ASSERT_EQ(RunSql(path, "DROP TRIGGER \"zen_version_1_Li_Chang\"; "
                         "ALTER TABLE \"1_Li_Chang\" DROP COLUMN zen_version"),
            "");
  datatest::Form form(path);
  EXPECT_EQ(ErrorOf([&] { form.OpenTable("1_Li_Chang"); }), "3265 Item not found in this collection.");
}

TEST_F(ChangedUnderEdit, TheEngineNeverReadsADoubleQuotedUnknownNameAsText) {
  // SQLite's compatibility setting would turn "CJ_Input" into the text
  // 'CJ_Input' once the column is gone; the engine's connections refuse.
  ASSERT_EQ(RunSql(path, "ALTER TABLE \"0_Data_Input\" DROP COLUMN CJ_Input"), "");
  const auto connection = dao::DatabaseConnection::open(path, {});
  std::string failure = "no error";
  try {
    connection->sql().prepare("SELECT \"CJ_Input\" FROM \"0_Data_Input\"");
  } catch (const dao::SqliteError& error) {
    failure = error.what();
  }
  EXPECT_EQ(failure, "no such column: CJ_Input");
  // Nor in definitions: an index on the name, not on a constant text.
  try {
    connection->sql().execute("CREATE INDEX i ON \"0_Data_Input\"(\"CJ_Input\")");
    failure = "no error";
  } catch (const dao::SqliteError& error) {
    failure = error.what();
  }
  EXPECT_EQ(failure, "no such column: CJ_Input");
}

TEST_F(ChangedUnderEdit, LosingTheEditedRecordToAnotherUserLeavesTrueRecordNumbers) {
  datatest::Form form(path);
  data::TOrvDaoTable& table = form.OpenTable(kTable);
  table.Next();
  ASSERT_EQ(Shown(table), "2 at 2 of 5");
  table.Edit();
  table.FieldByName("Li_Chang").SetAsString("mine");
  datatest::OtherUser(path).DeleteRow(kTable, 1);  // the row with ID 2
  EXPECT_EQ(ErrorOf([&] { table.Post(); }), Conflict());
  table.Cancel();
  // The form stands on the row that took the lost one's place, with the
  // number and count of the rows there are; moving counts on from there.
  EXPECT_EQ(Shown(table), "3 at 2 of 4");
  table.Next();
  EXPECT_EQ(Shown(table), "4 at 3 of 4");
  table.Prior();
  table.Prior();
  EXPECT_EQ(Shown(table), "1 at 1 of 4");
  table.Last();
  EXPECT_EQ(Shown(table), "5 at 4 of 4");
}

}  // namespace
