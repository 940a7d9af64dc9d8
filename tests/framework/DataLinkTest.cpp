// Field links as the data-bound controls use them: loading, automatic edit,
// write-back, and the life of links, data sources and datasets.
#include <gtest/gtest.h>

#include "Fixtures.h"
#include "Recorders.h"
#include "framework/DbErrors.h"

namespace framework::testing {
namespace {

class FieldLinks : public ::testing::Test {
 protected:
  void SetUp() override {
    source.SetDataSet(&table);
    RecordEvents(table, trace);
  }
  std::string Stored(int row, int column) {
    return table.Rows()[static_cast<std::size_t>(row)].values[static_cast<std::size_t>(column)];
  }

  Trace trace;
  MemoryDataSet table{"OrvDaoTable1", CharacterColumns(), CharacterRows(3)};
  TDataSource source{"DataSource1"};
};

TEST_F(FieldLinks, OpeningResolvesTheFieldAndLoadsTheControl) {
  TestEdit edit(source, "b5_word", &trace);
  EXPECT_EQ(edit.link.Field(), nullptr);
  table.Open();
  EXPECT_EQ(trace.Take(), "BeforeOpen;edit:load(w1);edit:active;AfterOpen;AfterScroll");
  EXPECT_EQ(edit.link.Field(), &table.FieldByName("B5_Word"));
  table.Next();
  EXPECT_EQ(trace.Take(), "BeforeScroll;edit:load(w2);AfterScroll");
  table.Close();
  EXPECT_EQ(edit.link.Field(), nullptr);
  EXPECT_EQ(edit.text, "");
}

TEST_F(FieldLinks, TypingStartsTheEditThroughTheDataSource) {
  TestEdit edit(source, "B5_Word", &trace);
  table.Open();
  trace.Take();
  ASSERT_TRUE(edit.Type("!"));
  EXPECT_EQ(trace.Take(), "BeforeEdit;edit:editing;edit:load(w1);AfterEdit");
  EXPECT_EQ(edit.text, "w1!");
  EXPECT_TRUE(edit.link.IsModified());
  // The field still holds its old value until the control writes back.
  EXPECT_EQ(table.FieldByName("B5_Word").AsString(), "w1");
  edit.Leave();
  EXPECT_EQ(trace.Take(), "edit:write(w1!)");
  EXPECT_EQ(table.FieldByName("B5_Word").AsString(), "w1!");
  EXPECT_FALSE(edit.link.IsModified());
}

TEST_F(FieldLinks, AMoveWritesBackAndPostsThePendingText) {
  TestEdit edit(source, "B5_Word", &trace);
  table.Open();
  edit.Type("+");
  trace.Take();
  table.Next();
  EXPECT_EQ(trace.Take(),
            "edit:write(w1+);BeforePost;edit:browsing;edit:load(w1+);AfterPost;BeforeScroll;edit:load(w2);AfterScroll");
  EXPECT_EQ(Stored(0, 1), "w1+");
}

TEST_F(FieldLinks, PostWritesBackEveryModifiedControl) {
  TestEdit word(source, "B5_Word", &trace, "word");
  TestEdit hex(source, "B5_Hex", &trace, "hex");
  table.Open();
  word.Type("a");
  hex.Type("b");
  table.Post();
  EXPECT_EQ(Stored(0, 1), "w1a");
  EXPECT_EQ(Stored(0, 2), "H1b");
}

TEST_F(FieldLinks, EscapeReloadsAndKeepsTheEdit) {
  TestEdit edit(source, "B5_Word");
  table.Open();
  edit.Type("xyz");
  edit.Escape();
  EXPECT_EQ(edit.text, "w1");
  EXPECT_FALSE(edit.link.IsModified());
  EXPECT_EQ(table.State(), dsEdit);
  table.CheckBrowseMode();  // nothing was written: the edit is cancelled
  EXPECT_EQ(table.State(), dsBrowse);
}

TEST_F(FieldLinks, SettingAFieldByCodeReloadsItsControlsButNotTheWriter) {
  TestEdit writer(source, "B5_Word", &trace, "writer");
  TestEdit other(source, "B5_Word", &trace, "other");
  TestEdit hex(source, "B5_Hex", &trace, "hex");
  table.Open();
  writer.Type("1");
  trace.Take();
  table.FieldByName("B5_Word").SetAsString("code");
  EXPECT_EQ(trace.Take(), "writer:load(code);other:load(code)");
  writer.Type("2");
  writer.Leave();
  EXPECT_EQ(trace.Take(), "writer:write(code2);other:load(code2)");
}

TEST_F(FieldLinks, ReadOnlyControlsNeverEditButStillReload) {
  TestEdit edit(source, "B5_Word");
  edit.link.SetReadOnly(true);
  TestEdit id(source, "ID");  // a read-only field
  table.Open();
  EXPECT_FALSE(edit.Type("x"));
  EXPECT_FALSE(id.Type("x"));
  EXPECT_EQ(table.State(), dsBrowse);
  table.Edit();
  EXPECT_FALSE(edit.link.Editing());
  EXPECT_FALSE(id.link.Editing());
  table.FieldByName("B5_Word").SetAsString("shown");
  EXPECT_EQ(edit.text, "shown");
}

TEST_F(FieldLinks, WithoutAutoEditTheControlCannotStartAnEdit) {
  TestEdit edit(source, "B5_Word");
  source.SetAutoEdit(false);
  table.Open();
  EXPECT_FALSE(edit.Type("x"));
  EXPECT_EQ(table.State(), dsBrowse);
  table.Edit();
  EXPECT_TRUE(edit.Type("x"));
}

TEST_F(FieldLinks, AnEditRequestOnAnEmptyTableInsertsARow) {
  MemoryDataSet empty("OrvDaoTable1", CharacterColumns());
  source.SetDataSet(&empty);
  TestEdit edit(source, "B5_Word");
  empty.Open();
  EXPECT_TRUE(edit.link.CanModify());
  EXPECT_TRUE(edit.Type("new"));
  EXPECT_EQ(empty.State(), dsInsert);
  EXPECT_EQ(source.State(), dsInsert);
  empty.FieldByName("B5_Hex").SetAsString("41");
  empty.Post();
  ASSERT_EQ(empty.Rows().size(), 1u);
  EXPECT_EQ(empty.Rows()[0].values[1], "new");
}

TEST_F(FieldLinks, AMissingFieldShowsNothingAndCannotModify) {
  TestEdit edit(source, "Li_Chang");
  table.Open();
  EXPECT_EQ(edit.link.Field(), nullptr);
  EXPECT_FALSE(edit.link.CanModify());
  EXPECT_FALSE(edit.Type("x"));
  EXPECT_EQ(edit.text, "");
}

TEST_F(FieldLinks, AFailingWriteBackKeepsTheMarkForTheNextTry) {
  TestEdit edit(source, "Strokes");
  table.Open();
  ASSERT_TRUE(edit.Type("abc"));
  EXPECT_THROW(edit.Leave(), EConvertError);
  EXPECT_TRUE(edit.link.IsModified());
  EXPECT_EQ(table.State(), dsEdit);
  EXPECT_THROW(table.Post(), EConvertError);
  EXPECT_EQ(table.State(), dsEdit);
  edit.text = "42";
  table.Post();
  EXPECT_EQ(Stored(0, 3), "42");
}

TEST_F(FieldLinks, ARequiredFieldFocusesItsControl) {
  TestEdit hex(source, "B5_Hex");
  table.Open();
  table.Insert();
  EXPECT_THROW(table.Post(), EDatabaseError);
  EXPECT_TRUE(hex.focused);
}

TEST_F(FieldLinks, DataSourceStateAndEvents) {
  std::vector<TDataSetState> states;
  int changes = 0;
  source.OnStateChange = [&](TDataSource& s) { states.push_back(s.State()); };
  source.OnDataChange = [&](TDataSource&, TField*) { ++changes; };
  table.Open();
  table.Edit();
  table.Cancel();
  table.Next();
  source.SetEnabled(false);
  table.Next();
  EXPECT_EQ(states, (std::vector<TDataSetState>{dsBrowse, dsEdit, dsBrowse, dsInactive}));
  EXPECT_EQ(changes, 3);  // the record notice of Edit, the re-read of Cancel, the scroll
}

TEST_F(FieldLinks, LinksGoInactiveWhenTheirDataSourceOrDatasetGoes) {
  TestEdit edit(source, "B5_Word");
  {
    auto temporary = std::make_unique<MemoryDataSet>("T", CharacterColumns(), CharacterRows(1));
    source.SetDataSet(temporary.get());
    temporary->Open();
    EXPECT_TRUE(edit.link.Active());
  }
  EXPECT_FALSE(edit.link.Active());
  EXPECT_EQ(edit.link.Field(), nullptr);
  EXPECT_EQ(source.DataSet(), nullptr);
  {
    TDataSource local;
    local.SetDataSet(&table);
    table.Open();
    edit.link.SetDataSource(&local);
    EXPECT_TRUE(edit.link.Active());
  }
  EXPECT_FALSE(edit.link.Active());
  EXPECT_EQ(edit.link.DataSource(), nullptr);
  table.Next();  // the gone data source is no longer told
}

}  // namespace
}  // namespace framework::testing
