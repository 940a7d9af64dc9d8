// Editing and posting through the engine: what a post writes, failed posts
// and their retry, inserts and their cancel, deletes at the ends, another
// user's changes, and a delete the engine refuses.
#include "framework/DbErrors.h"
#include "platform/automation/call_observer.h"
#include "tests/data/data_test_support.h"

using namespace datatest;
using automation::InvokeKind;

namespace {

class Editing : public ::testing::Test {
 protected:
  data::TOrvDaoTable& Open(int rows) {
    CreateNumberedWords(path, rows);
    form = std::make_unique<Form>(path);
    data::TOrvDaoTable& table = form->OpenTable("Words");
    table.AfterScroll = [this](framework::TDataSet&) { ++scrolls; };
    return table;
  }

  // The values assigned to fields through the engine, in order.
  static std::vector<std::string> Assignments(const automation::CallRecorder& calls) {
    std::vector<std::string> written;
    for (const automation::RecordedCall& call : calls.calls()) {
      if (call.kind == InvokeKind::PropertyPut && call.member == "Value") {
        written.push_back(automation::describe(call.assignedValue));
      }
    }
    return written;
  }

  TemporaryFolder folder;
  std::string path = folder.file("Lexora_Concept.mdb");
  std::unique_ptr<Form> form;
  int scrolls = 0;
};

constexpr const char* kDuplicateCode =
    "The changes were not saved: the value of field 'Code' is already in another record, and the field does not "
    "allow duplicates.";

}  // namespace

TEST_F(Editing, APostWritesTheChangedFieldsOnlyEvenWhenTheTextIsTheSame) {
  data::TOrvDaoTable& words = Open(3);
  words.SetRecNo(2);
  words.Edit();
  words.FieldByName("B5_Word").SetAsString(B5("字"));
  words.FieldByName("Amount").SetAsInteger(2);  // the value it already has
  automation::CallRecorder calls;
  words.Post();
  EXPECT_EQ(Assignments(calls), (std::vector<std::string>{"String \"字\"", "String \"2\""}));
  EXPECT_EQ(calls.count("Update"), 1u);
  EXPECT_EQ(calls.count("Edit"), 0u) << "the engine's edit began with the dataset's";
  EXPECT_EQ(words.State(), framework::dsBrowse);
  EXPECT_EQ(Text(words, "B5_Word"), B5("字"));
  OtherUser other(path);
  EXPECT_EQ(other.Column("Words", "B5_Word"), (std::vector<std::optional<std::string>>{"W1", "字", "W3"}));
}

TEST_F(Editing, AnEmptyTextAndClearStoreNull) {
  data::TOrvDaoTable& words = Open(1);
  words.Edit();
  words.FieldByName("Code").SetAsString("");
  words.FieldByName("Amount").Clear();
  words.Post();
  OtherUser other(path);
  EXPECT_EQ(other.Column("Words", "Code")[0], std::nullopt);
  EXPECT_EQ(other.Column("Words", "Amount")[0], std::nullopt);
}

TEST_F(Editing, AnInsertedRowKeepsTheEnginesDefaultsAndShowsItsNewId) {
  data::TOrvDaoTable& words = Open(2);
  automation::CallRecorder calls;
  words.Insert();
  EXPECT_EQ(calls.count("AddNew"), 0u) << "the engine hears of a new row only at the post";
  EXPECT_EQ(Text(words, "Amount"), "0") << "the engine's default is shown";
  EXPECT_EQ(Text(words, "ID"), "");
  words.FieldByName("B5_Word").SetAsString("N");
  words.Post();
  EXPECT_EQ(calls.count("AddNew"), 1u);
  EXPECT_EQ(Text(words, "ID"), "3");
  EXPECT_EQ(Text(words, "B5_Word"), "N");
  EXPECT_EQ(words.RecNo(), 3);
  EXPECT_EQ(words.RecordCount(), 3);
  OtherUser other(path);
  EXPECT_EQ(other.Column("Words", "Amount")[2], "0");
  EXPECT_EQ(other.Column("Words", "Code")[2], std::nullopt);
}

TEST_F(Editing, TheFirstRowOfAnEmptyTable) {
  data::TOrvDaoTable& words = Open(0);
  words.Insert();
  EXPECT_EQ(words.RecNo(), -1);
  words.FieldByName("B5_Word").SetAsString("first");
  words.Post();
  EXPECT_EQ(words.RecNo(), 1);
  EXPECT_EQ(words.RecordCount(), 1);
  EXPECT_EQ(Text(words, "ID"), "1");
  words.Last();
  EXPECT_EQ(Text(words, "B5_Word"), "first");
}

TEST_F(Editing, AFailedPostKeepsTheTypedValuesAndARetryStartsAFreshEngineEdit) {
  data::TOrvDaoTable& words = Open(2);
  words.Edit();
  words.FieldByName("B5_Word").SetAsString("Typed");
  words.FieldByName("Code").SetAsString("C2");
  ExpectEngineError([&] { words.Post(); }, 3022, kDuplicateCode);
  EXPECT_EQ(words.State(), framework::dsEdit);
  EXPECT_EQ(Text(words, "B5_Word"), "Typed");
  EXPECT_EQ(Text(words, "Code"), "C2");
  ASSERT_NE(words.OldValues(), nullptr);
  EXPECT_EQ(words.OldValues()->Text(3), "C1") << "the row as it was before the edit";

  words.FieldByName("Code").SetAsString("C9");
  automation::CallRecorder calls;
  words.Post();
  EXPECT_EQ(calls.count("Edit"), 1u);
  EXPECT_EQ(Assignments(calls), (std::vector<std::string>{"String \"Typed\"", "String \"C9\""}));
  EXPECT_EQ(words.OldValues(), nullptr);
  OtherUser other(path);
  EXPECT_EQ(other.Column("Words", "Code"), (std::vector<std::optional<std::string>>{"C9", "C2"}));
}

TEST_F(Editing, AFailedInsertStaysAnInsertUntilItIsCorrected) {
  data::TOrvDaoTable& words = Open(2);
  words.Insert();
  words.FieldByName("Code").SetAsString("C1");
  ExpectEngineError([&] { words.Post(); }, 3022, kDuplicateCode);
  EXPECT_EQ(words.State(), framework::dsInsert);
  words.FieldByName("Code").SetAsString("C3");
  words.Post();
  EXPECT_EQ(Text(words, "Code"), "C3");
  OtherUser other(path);
  EXPECT_EQ(other.RowCount("Words"), 3);
}

TEST_F(Editing, CancellingAnInsertLeavesTheTableAsItWas) {
  data::TOrvDaoTable& words = Open(3);
  words.SetRecNo(2);
  scrolls = 0;
  automation::CallRecorder calls;
  words.Insert();
  words.FieldByName("B5_Word").SetAsString("gone");
  words.Cancel();
  EXPECT_EQ(calls.count("AddNew"), 0u);
  EXPECT_EQ(scrolls, 2) << "insert and its cancel each end in AfterScroll";
  EXPECT_EQ(Text(words, "B5_Word"), "W2");
  EXPECT_EQ(words.RecNo(), 2);
  EXPECT_EQ(words.RecordCount(), 3);
  OtherUser other(path);
  EXPECT_EQ(other.RowCount("Words"), 3);
}

TEST_F(Editing, DeletingMovesToTheNextRowOrTheNewLast) {
  data::TOrvDaoTable& words = Open(3);
  words.SetRecNo(2);
  words.Delete();
  EXPECT_EQ(Text(words, "B5_Word"), "W3");
  EXPECT_EQ(words.RecNo(), 2);
  words.Delete();
  EXPECT_EQ(Text(words, "B5_Word"), "W1");
  EXPECT_EQ(words.RecNo(), 1);
  EXPECT_EQ(words.RecordCount(), 1);
  words.Delete();
  EXPECT_TRUE(words.IsEmpty());
  EXPECT_EQ(words.RecNo(), -1);
  EXPECT_EQ(words.RecordCount(), 0);
  OtherUser other(path);
  EXPECT_EQ(other.RowCount("Words"), 0);
  ExpectDatabaseError([&] { words.Delete(); }, "OrvDaoTable1: Cannot perform this operation on an empty dataset");
}

TEST_F(Editing, AnotherUsersChangeSurfacesAsAWriteConflictAndTheRetryWins) {
  data::TOrvDaoTable& words = Open(2);
  words.Edit();
  words.FieldByName("B5_Word").SetAsString("Mine");
  OtherUser other(path);
  other.SetValue("Words", 0, "B5_Word", "Theirs");
  ExpectEngineError([&] { words.Post(); }, 3197,
                    "Write conflict: another user changed or deleted this record after you began editing it; your "
                    "changes were not saved.");
  EXPECT_EQ(words.State(), framework::dsEdit);
  EXPECT_EQ(Text(words, "B5_Word"), "Mine");
  words.Post();
  EXPECT_EQ(other.Column("Words", "B5_Word")[0], "Mine");
}

TEST_F(Editing, ARowAnotherUserDeletedIsDeletedQuietly) {
  data::TOrvDaoTable& words = Open(3);
  words.SetRecNo(2);
  OtherUser other(path);
  other.DeleteRow("Words", 1);
  EXPECT_NO_THROW(words.Delete());
  EXPECT_EQ(words.RecordCount(), 2);
  EXPECT_FALSE(words.IsEmpty());
}

TEST_F(Editing, ADeleteTheEngineRefusesLeavesTheBookmarksAsTheyWere) {
  CreateNumberedWords(path, 3);
  Form form(path);
  form.database->SetConnected(false);
  form.database->SetReadOnly(true);
  form.database->SetConnected(true);
  data::TOrvDaoTable& words = form.OpenTable("Words");
  ASSERT_TRUE(words.ReadOnly());
  ExpectDatabaseError([&] { words.Edit(); }, "OrvDaoTable1: Cannot modify a read-only dataset");
  words.SetReadOnly(false);  // so that the engine itself has to refuse
  words.SetRecNo(2);
  const framework::TBookmark second = words.GetBookmark();
  ExpectEngineError([&] { words.Delete(); }, 3027, "Cannot update. Database or object is read-only.");
  words.First();
  words.GotoBookmark(second);
  EXPECT_EQ(Text(words, "B5_Word"), "W2");
  EXPECT_EQ(words.RecordCount(), 3);
}
