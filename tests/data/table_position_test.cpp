// Positioning: empty and filled tables, record numbers set out of range,
// the cached record count, walking a lookup table, bookmarks.
#include "platform/automation/call_observer.h"
#include "tests/data/data_test_support.h"

using namespace datatest;

namespace {

class Positioning : public ::testing::Test {
 protected:
  data::TOrvDaoTable& Open(int rows) {
    CreateNumberedWords(path, rows);
    form = std::make_unique<Form>(path);
    data::TOrvDaoTable& table = form->OpenTable("Words");
    table.BeforeScroll = [this](framework::TDataSet&) { trace += "BeforeScroll;"; };
    table.AfterScroll = [this](framework::TDataSet& dataSet) {
      trace += "AfterScroll(" + dataSet.FieldByName("B5_Word").AsString() + ");";
    };
    return table;
  }

  TemporaryFolder folder;
  std::string path = folder.file("Lexora_Concept.mdb");
  std::unique_ptr<Form> form;
  std::string trace;
};

}  // namespace

TEST_F(Positioning, AnEmptyTableHasNoRecordAndMovesWithoutEngineErrors) {
  data::TOrvDaoTable& words = Open(0);
  EXPECT_EQ(words.RecordCount(), 0);
  EXPECT_EQ(words.RecNo(), -1);
  EXPECT_NO_THROW(words.First());
  EXPECT_TRUE(words.Bof() && words.Eof());
  EXPECT_NO_THROW(words.Last());
  EXPECT_TRUE(words.Bof() && words.Eof());
  EXPECT_TRUE(words.IsEmpty());
  EXPECT_EQ(words.RecNo(), -1);
}

TEST_F(Positioning, RecordNumbersFollowTheMoves) {
  data::TOrvDaoTable& words = Open(5);
  EXPECT_EQ(words.RecNo(), 1);
  EXPECT_EQ(words.RecordCount(), 5);
  words.Last();
  EXPECT_EQ(words.RecNo(), 5);
  EXPECT_EQ(Text(words, "B5_Word"), "W5");
  words.Prior();
  EXPECT_EQ(words.RecNo(), 4);
  words.First();
  EXPECT_EQ(words.RecNo(), 1);
  EXPECT_EQ(trace, "BeforeScroll;AfterScroll(W5);BeforeScroll;AfterScroll(W4);BeforeScroll;AfterScroll(W1);");
}

TEST_F(Positioning, SettingRecNoMovesThereOrFailsLeavingTheShownRecord) {
  data::TOrvDaoTable& words = Open(5);
  words.SetRecNo(3);
  EXPECT_EQ(trace, "BeforeScroll;AfterScroll(W3);");
  EXPECT_EQ(Text(words, "B5_Word"), "W3");
  for (const int number : {0, 6, -2}) {
    trace.clear();
    ExpectDatabaseError([&] { words.SetRecNo(number); }, "OrvDaoTable1: Record not found");
    EXPECT_EQ(trace, "BeforeScroll;") << number;
    EXPECT_EQ(Text(words, "B5_Word"), "W3") << number;
    EXPECT_EQ(words.RecNo(), 3) << number;
  }
  words.Next();
  EXPECT_EQ(Text(words, "B5_Word"), "W4");
}

TEST_F(Positioning, TheRecordCountCostsOneMoveLastUntilRowsAreAddedOrRemoved) {
  data::TOrvDaoTable& words = Open(4);
  automation::CallRecorder calls;
  EXPECT_EQ(words.RecordCount(), 4);
  EXPECT_EQ(words.RecordCount(), 4);
  EXPECT_EQ(calls.count("MoveLast"), 1u);
  words.Next();
  EXPECT_EQ(words.RecNo(), 2);
  EXPECT_EQ(words.RecordCount(), 4);
  EXPECT_EQ(calls.count("MoveLast"), 1u) << "a scroll and its status line cost no pass";

  words.Insert();
  words.FieldByName("Code").SetAsString("C9");
  words.Post();
  calls.clear();
  EXPECT_EQ(words.RecordCount(), 5);
  EXPECT_EQ(words.RecordCount(), 5);
  EXPECT_EQ(calls.count("MoveLast"), 1u);
  words.Delete();
  EXPECT_EQ(words.RecordCount(), 4);
}

TEST_F(Positioning, ALookupTableIsWalkedOnceInItsOrder) {
  CreateDatabase(path, {}, {{"a1", "b1"}, {"a2", "b2"}, {"a3", ""}, {"a4", "b4"}});
  Form form(path);
  data::TOrvDaoTable& lookup = form.OpenTable("Lookup");
  automation::CallRecorder calls;
  std::vector<std::string> seen;
  lookup.First();
  while (!lookup.Eof()) {
    seen.push_back(lookup.FieldByName("Col02").AsString());
    lookup.Next();
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"b1", "b2", "", "b4"}));
  EXPECT_EQ(calls.count("FieldValues"), 4u) << "every row is read once";
}

TEST_F(Positioning, BookmarksLeadBackToTheirRow) {
  data::TOrvDaoTable& words = Open(5);
  words.SetRecNo(2);
  const framework::TBookmark second = words.GetBookmark();
  words.SetRecNo(4);
  const framework::TBookmark fourth = words.GetBookmark();
  EXPECT_EQ(words.CompareBookmarks(second, fourth), -1);
  EXPECT_EQ(words.CompareBookmarks(fourth, second), 1);
  EXPECT_EQ(words.CompareBookmarks(second, second), 0);
  EXPECT_EQ(words.CompareBookmarks({}, second), 1);
  EXPECT_TRUE(words.BookmarkValid(second));
  words.GotoBookmark(second);
  EXPECT_EQ(Text(words, "B5_Word"), "W2");
  EXPECT_EQ(words.RecNo(), 2);

  const framework::TBookmark neverTaken("\x05\x00\x00\x00", 4);
  EXPECT_FALSE(words.BookmarkValid(neverTaken));
  ExpectDatabaseError([&] { words.GotoBookmark(neverTaken); }, "Invalid Bookmark!");
  EXPECT_EQ(Text(words, "B5_Word"), "W2");
}
