// Opening a table: field definitions from the engine, the messages of
// OpenDaoRecordset, the setters refused while open, Big5 record buffers and
// the memo read on demand.
#include "framework/DbErrors.h"
#include "platform/automation/call_observer.h"
#include "tests/data/data_test_support.h"

using namespace datatest;
using framework::TFieldType;

namespace {

class TableOpen : public ::testing::Test {
 protected:
  TemporaryFolder folder;
  std::string path = folder.file("Lexora_Concept.mdb");
};

struct ExpectedField {
  const char* name;
  TFieldType type;
  int size;
  bool readOnly;
};

}  // namespace

TEST_F(TableOpen, FieldDefinitionsComeFromTheEngine) {
  CreateNumberedWords(path, 1);
  Form form(path);
  data::TOrvDaoTable& words = form.OpenTable("Words");
  const ExpectedField expected[] = {
      {"ID", framework::ftAutoInc, 0, true},     {"B5_Word", framework::ftString, 8, false},
      {"B5_Hex", framework::ftString, 32, false}, {"Code", framework::ftString, 8, false},
      {"Amount", framework::ftInteger, 0, false}, {"Note", framework::ftMemo, 0, false},
      {"Loose", framework::ftString, 255, false},  // a text of size 0
  };
  ASSERT_EQ(words.Fields().Count(), static_cast<int>(std::size(expected)));
  for (int i = 0; i < words.Fields().Count(); ++i) {
    const framework::TField& field = words.Fields()[i];
    const ExpectedField& want = expected[i];
    EXPECT_EQ(field.FieldName(), want.name);
    EXPECT_EQ(field.DataType(), want.type) << want.name;
    EXPECT_EQ(field.Size(), want.size) << want.name;
    EXPECT_EQ(field.ReadOnly(), want.readOnly) << want.name;
  }
  data::TOrvDaoTable& lookup = form.OpenTable("Lookup", "OrvDaoTable2");
  EXPECT_EQ(lookup.FieldByName("Binary").DataType(), framework::ftInteger);
  EXPECT_EQ(form.database->OpenTableCount(), 2);
}

TEST_F(TableOpen, OpenDaoRecordsetRefusesBeforeAnyEngineCall) {
  CreateNumberedWords(path, 1);
  Form form(path);
  data::TOrvDaoTable table("OrvDaoTable1", &form.owner);
  automation::CallRecorder calls;
  ExpectDatabaseError([&] { table.Open(); }, "TOrvDaoTable.OpenDaoRecordset: Missing Database Property");
  table.SetDatabase(form.database.get());
  ExpectDatabaseError([&] { table.Open(); },
                      "TOrvDaoTable.OpenDaoRecordset: Missing TableName or QueryDefName, or SQL is empty!");
  table.SetTableName("Words");
  form.database->SetConnected(false);
  calls.clear();
  ExpectDatabaseError([&] { table.Open(); }, "TOrvDaoTable.OpenDaoRecordset: Database is NOT connected");
  table.SetTableType(16);
  table.SetDatabaseAutoActivate(true);
  ExpectDatabaseError([&] { table.Open(); },
                      "TOrvDaoTable.OpenDaoRecordset: DynamicTables are for ODBC connections only!");
  EXPECT_EQ(calls.count("OpenRecordset"), 0u);
  EXPECT_TRUE(form.database->Connected()) << "auto-activation connected the database";
  EXPECT_FALSE(table.Active());
}

TEST_F(TableOpen, ATableTheFileLacksFailsWithTheEnginesErrorAndStaysClosed) {
  CreateNumberedWords(path, 1);
  Form form(path);
  data::TOrvDaoTable table("OrvDaoTable1", &form.owner);
  table.SetDatabase(form.database.get());
  table.SetTableName("5_GN");
  ExpectEngineError([&] { table.Open(); }, 3078, "Cannot find table or query '5_GN'.");
  EXPECT_FALSE(table.Active());
  EXPECT_EQ(form.database->OpenTableCount(), 0);
}

TEST_F(TableOpen, SettingsThatShapeTheRecordsetAreRefusedWhileOpen) {
  CreateNumberedWords(path, 1);
  Form form(path);
  data::TOrvDaoTable& words = form.OpenTable("Words");
  ExpectDatabaseError([&] { words.SetTableName("Lookup"); },
                      "TOrvDaoTable.F_Set_TableName: Cannot set TableName while Table is active!");
  ExpectDatabaseError([&] { words.SetTableType(4); },
                      "TOrvDaoTable.F_Set_TableType: Cannot set TableType while Table is active!");
  ExpectDatabaseError([&] { words.SetLockType(2); },
                      "TOrvDaoTable.F_Set_LockType: Cannot set LockType while Table is active!");
  ExpectDatabaseError([&] { words.SetDatabase(nullptr); },
                      "TOrvDaoTable.F_Set_Database: Cannot set Database while Table is Active!");
  EXPECT_EQ(words.TableName(), "Words");
  EXPECT_EQ(words.TableType(), 2);
  EXPECT_EQ(words.LockType(), 3);
}

TEST_F(TableOpen, ColumnsAreReadAfreshAtEveryOpen) {
  CreateNumberedWords(path, 1);
  const std::string wider = folder.file("wider.mdb");
  {
    dao::DatabaseBuilder builder = dao::DatabaseBuilder::createNew(wider);
    dao::TableDefinition table = WordsTable();
    table.columns.push_back({.name = "Extra", .type = dao::dbText, .size = 4});
    builder.createTable(table);
    builder.commit();
  }
  Form form(path);
  data::TOrvDaoTable& words = form.OpenTable("Words");
  EXPECT_EQ(words.FindField("Extra"), nullptr);
  form.database->SetConnected(false);
  form.database->SetDatabase(wider);
  form.database->SetConnected(true);
  words.Open();
  EXPECT_NE(words.FindField("Extra"), nullptr);
}

TEST_F(TableOpen, TextsArriveAsBig5AndWhatBig5LacksDoesNotStopTheRow) {
  CreateDatabase(path, {{"中文", "A4A4", "", "12", std::nullopt},
                        {"한", "ED959C", "C2", std::nullopt, "筆記內容"}});
  Form form(path);
  data::TOrvDaoTable& words = form.OpenTable("Words");
  EXPECT_EQ(Text(words, "B5_Word"), B5("中文"));
  EXPECT_TRUE(words.FieldByName("Code").IsNull()) << "an empty string reads as Null";
  EXPECT_TRUE(words.FieldByName("Note").IsNull());
  EXPECT_EQ(Text(words, "Note"), "");
  EXPECT_EQ(words.FieldByName("Amount").AsInteger(), 12);
  words.Next();
  EXPECT_EQ(Text(words, "B5_Word"), "?");
  EXPECT_EQ(Text(words, "B5_Hex"), "ED959C");
  EXPECT_EQ(Text(words, "Note"), B5("筆記內容"));

  // Changing another field of that row leaves the word as it was stored.
  words.Edit();
  words.FieldByName("Code").SetAsString("C9");
  words.Post();
  OtherUser other(path);
  EXPECT_EQ(other.Column("Words", "B5_Word")[1], "한");
}

TEST_F(TableOpen, TheMemoIsNotReadWithTheRow) {
  CreateDatabase(path, {{"a", "1", "C1", "1", "first note"}, {"b", "2", "C2", "2", "second note"}});
  Form form(path);
  data::TOrvDaoTable& words = form.OpenTable("Words");
  automation::CallRecorder calls;
  words.Next();
  EXPECT_EQ(calls.count("FieldSize"), 1u);
  EXPECT_EQ(calls.count("FieldValues"), 1u) << "one read for the row";
  EXPECT_EQ(calls.count("Value"), 0u);
  EXPECT_FALSE(words.FieldByName("Note").IsNull());
  EXPECT_EQ(Text(words, "Note"), "second note");
}

TEST_F(TableOpen, LongTextsAreCutAtAWholeBig5Character) {
  CreateNumberedWords(path, 1);
  Form form(path);
  data::TOrvDaoTable& words = form.OpenTable("Words");
  words.Edit();
  framework::TField& word = words.FieldByName("B5_Word");
  word.SetAsString(B5("一二三四五"));
  EXPECT_EQ(word.AsString(), B5("一二三四"));
  word.SetAsString("abc" + B5("一二三"));
  EXPECT_EQ(word.AsString(), "abc" + B5("一二")) << "9 bytes: the third character would be split";
  words.Post();
  OtherUser other(path);
  EXPECT_EQ(other.Column("Words", "B5_Word")[0], "abc一二");
}

TEST_F(TableOpen, ClosingEndsAnEngineEditAndLeavesTheListOfOpenTables) {
  CreateNumberedWords(path, 2);
  Form form(path);
  data::TOrvDaoTable& words = form.OpenTable("Words");
  words.Edit();
  words.FieldByName("Code").SetAsString("X");
  automation::CallRecorder calls;
  words.Close();
  EXPECT_EQ(calls.sequence(), (std::vector<std::string>{"Recordset.CancelUpdate", "Recordset.Close"}));
  EXPECT_EQ(form.database->OpenTableCount(), 0);
  OtherUser other(path);
  EXPECT_EQ(other.Column("Words", "Code")[0], "C1");
}
