// Event and notice orders of the dataset operations, checked as whole traces.
#include <gtest/gtest.h>

#include "Fixtures.h"
#include "Recorders.h"
#include "framework/DbErrors.h"

namespace framework::testing {
namespace {

class DataSetEvents : public ::testing::Test {
 protected:
  void Use(int rows) {
    table = std::make_unique<MemoryDataSet>("OrvDaoTable1", CharacterColumns(), CharacterRows(rows));
    source.SetDataSet(table.get());
    link.SetDataSource(&source);
    RecordEvents(*table, trace);
  }
  // Opens and forgets the open's trace.
  void UseOpen(int rows) {
    Use(rows);
    table->Open();
    trace.Take();
  }
  std::string Word() { return table->FieldByName("B5_Word").AsString(); }

  Trace trace;
  std::unique_ptr<MemoryDataSet> table;
  TDataSource source{"DataSource1"};
  RecordingLink link{trace};
};

TEST_F(DataSetEvents, OpenWithRowsEndsInAfterScroll) {
  Use(3);
  table->Open();
  EXPECT_EQ(trace.Take(), "BeforeOpen;link:ActiveChanged;AfterOpen;AfterScroll");
  EXPECT_EQ(table->State(), dsBrowse);
  EXPECT_TRUE(table->Bof());
  EXPECT_FALSE(table->Eof());
  EXPECT_EQ(Word(), "w1");
}

TEST_F(DataSetEvents, OpenEmptyFiresNoScroll) {
  Use(0);
  table->Open();
  EXPECT_EQ(trace.Take(), "BeforeOpen;link:ActiveChanged;AfterOpen");
  EXPECT_TRUE(table->IsEmpty());
  EXPECT_TRUE(table->Bof());
  EXPECT_TRUE(table->Eof());
  EXPECT_TRUE(table->FieldByName("B5_Word").IsNull());
}

TEST_F(DataSetEvents, CloseFromEditDropsTheEditAndDeactivatesLinksBeforeFieldsGo) {
  UseOpen(2);
  table->Edit();
  table->FieldByName("B5_Word").SetAsString("changed");
  trace.Take();
  table->Close();
  EXPECT_EQ(trace.Take(), "BeforeClose;link:ActiveChanged;link:EditingChanged;AfterClose");
  EXPECT_EQ(table->State(), dsInactive);
  EXPECT_EQ(table->Fields().Count(), 0);
  EXPECT_EQ(table->Rows()[0].values[1], "w1");
}

TEST_F(DataSetEvents, ScrollsFireAroundTheNotice) {
  UseOpen(3);
  table->Next();
  EXPECT_EQ(trace.Take(), "BeforeScroll;link:DataSetScrolled(1);AfterScroll");
  table->Next();
  trace.Take();
  // At the last row a Next finds nothing: Eof is set, the scroll events still run.
  table->Next();
  EXPECT_EQ(trace.Take(), "BeforeScroll;AfterScroll");
  EXPECT_TRUE(table->Eof());
  // At Eof a further Next does nothing at all.
  table->Next();
  EXPECT_EQ(trace.Take(), "");
  table->Prior();
  EXPECT_EQ(trace.Take(), "BeforeScroll;link:DataSetScrolled(-1);AfterScroll");
  table->Last();
  EXPECT_EQ(trace.Take(), "BeforeScroll;link:DataSetChanged;AfterScroll");
  EXPECT_TRUE(table->Eof());
  table->First();
  EXPECT_EQ(trace.Take(), "BeforeScroll;link:DataSetChanged;AfterScroll");
}

TEST_F(DataSetEvents, FirstAndLastOnAnEmptyDatasetLeaveItAtBothEnds) {
  UseOpen(0);
  table->First();
  table->Last();
  EXPECT_EQ(trace.Take(), "BeforeScroll;link:DataSetChanged;AfterScroll;BeforeScroll;link:DataSetChanged;AfterScroll");
  EXPECT_TRUE(table->Bof() && table->Eof());
  EXPECT_EQ(table->RecNo(), -1);
  EXPECT_EQ(table->RecordCount(), 0);
}

TEST_F(DataSetEvents, BrowseModeChecksReachTheLinksFirst) {
  UseOpen(3);
  link.recordBrowseChecks = true;
  table->Next();
  EXPECT_EQ(trace.Take(), "link:CheckBrowseMode;BeforeScroll;link:DataSetScrolled(1);AfterScroll");
  table->Delete();
  EXPECT_EQ(trace.Take(),
            "link:CheckBrowseMode;BeforeDelete;BeforeScroll;link:DataSetChanged;AfterDelete;AfterScroll");
  table->Edit();
  EXPECT_EQ(trace.Take(), "link:CheckBrowseMode;BeforeEdit;link:EditingChanged;link:RecordChanged();AfterEdit");
}

TEST_F(DataSetEvents, EditAndPost) {
  UseOpen(3);
  table->Edit();
  EXPECT_EQ(trace.Take(), "BeforeEdit;link:EditingChanged;link:RecordChanged();AfterEdit");
  // A second Edit while editing does nothing.
  table->Edit();
  EXPECT_EQ(trace.Take(), "");
  table->FieldByName("B5_Word").SetAsString("new");
  EXPECT_EQ(trace.Take(), "link:RecordChanged(B5_Word)");
  EXPECT_TRUE(table->Modified());
  table->Post();
  EXPECT_EQ(trace.Take(), "link:UpdateData;BeforePost;link:EditingChanged;link:DataSetChanged;AfterPost");
  EXPECT_EQ(table->State(), dsBrowse);
  EXPECT_FALSE(table->Modified());
  EXPECT_EQ(table->Rows()[0].values[1], "new");
  EXPECT_EQ(Word(), "new");
}

TEST_F(DataSetEvents, CancelOfAnEditRereadsTheRow) {
  UseOpen(3);
  table->Next();
  table->Edit();
  table->FieldByName("B5_Word").SetAsString("typed");
  trace.Take();
  table->Cancel();
  EXPECT_EQ(trace.Take(), "BeforeCancel;link:EditingChanged;link:DataSetChanged;AfterCancel");
  EXPECT_EQ(Word(), "w2");
  EXPECT_EQ(table->Rows()[1].values[1], "w2");
}

TEST_F(DataSetEvents, InsertAndPost) {
  UseOpen(3);
  table->Next();
  table->Insert();
  EXPECT_EQ(trace.Take(),
            "BeforeScroll;link:DataSetScrolled(1);AfterScroll;"
            "BeforeInsert;BeforeScroll;link:EditingChanged;NewRecord;"
            "link:DataSetChanged;AfterInsert;AfterScroll");
  EXPECT_EQ(table->State(), dsInsert);
  EXPECT_TRUE(table->FieldByName("B5_Word").IsNull());
  // The record number still names the row the insert began on.
  EXPECT_EQ(table->RecNo(), 2);
  table->FieldByName("B5_Word").SetAsString("ins");
  table->FieldByName("B5_Hex").SetAsString("A4A4");
  trace.Take();
  table->Post();
  EXPECT_EQ(trace.Take(), "link:UpdateData;BeforePost;link:EditingChanged;link:DataSetChanged;AfterPost");
  EXPECT_EQ(table->Column(1), (std::vector<std::string>{"w1", "ins", "w2", "w3"}));
  EXPECT_EQ(Word(), "ins");
  EXPECT_EQ(table->RecNo(), 2);
}

TEST_F(DataSetEvents, CancelOfAnInsertScrollsBackAndStoresNothing) {
  UseOpen(3);
  table->Last();
  table->Insert();
  table->FieldByName("B5_Word").SetAsString("gone");
  trace.Take();
  table->Cancel();
  EXPECT_EQ(trace.Take(),
            "BeforeCancel;BeforeScroll;link:EditingChanged;link:DataSetChanged;AfterCancel;AfterScroll");
  EXPECT_EQ(table->Rows().size(), 3u);
  EXPECT_EQ(Word(), "w3");
}

TEST_F(DataSetEvents, DeleteInTheMiddleShowsTheNextRow) {
  UseOpen(3);
  table->Next();
  trace.Take();
  table->Delete();
  EXPECT_EQ(trace.Take(), "BeforeDelete;BeforeScroll;link:DataSetChanged;AfterDelete;AfterScroll");
  EXPECT_EQ(Word(), "w3");
  EXPECT_EQ(table->RecordCount(), 2);
}

TEST_F(DataSetEvents, DeletingTheLastRowShowsTheNewLastAndTheOnlyRowLeavesItEmpty) {
  UseOpen(2);
  table->Last();
  table->Delete();
  EXPECT_EQ(Word(), "w1");
  EXPECT_EQ(table->RecNo(), 1);
  table->Delete();
  EXPECT_TRUE(table->IsEmpty());
  EXPECT_TRUE(table->Bof() && table->Eof());
  trace.Take();
  try {
    table->Delete();
    FAIL() << "delete on an empty dataset";
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "OrvDaoTable1: Cannot perform this operation on an empty dataset");
  }
  EXPECT_EQ(trace.Take(), "");
}

TEST_F(DataSetEvents, DeleteInInsertStateCancelsTheInsert) {
  UseOpen(2);
  table->Insert();
  trace.Take();
  table->Delete();
  EXPECT_EQ(trace.Take(),
            "BeforeCancel;BeforeScroll;link:EditingChanged;link:DataSetChanged;AfterCancel;AfterScroll");
  EXPECT_EQ(table->Rows().size(), 2u);
}

TEST_F(DataSetEvents, PostRefusedByBeforePostKeepsTheEdit) {
  UseOpen(2);
  table->BeforePost = [this](TDataSet&) {
    trace.Add("BeforePost");
    Abort();
  };
  table->Edit();
  table->FieldByName("B5_Word").SetAsString("kept");
  trace.Take();
  EXPECT_THROW(table->Post(), EAbort);
  EXPECT_EQ(trace.Take(), "link:UpdateData;BeforePost");
  EXPECT_EQ(table->State(), dsEdit);
  EXPECT_TRUE(table->Modified());
  EXPECT_EQ(Word(), "kept");
  EXPECT_EQ(table->Rows()[0].values[1], "w1");
}

TEST_F(DataSetEvents, PostFailingInTheCursorKeepsTheValuesAndSucceedsOnRetry) {
  UseOpen(2);
  table->Edit();
  table->FieldByName("B5_Word").SetAsString("retry");
  table->failPost = "Write conflict";
  EXPECT_THROW(table->Post(), EDatabaseError);
  EXPECT_EQ(table->State(), dsEdit);
  EXPECT_EQ(Word(), "retry");
  table->failPost.clear();
  table->Post();
  EXPECT_EQ(table->Rows()[0].values[1], "retry");
}

TEST_F(DataSetEvents, EditRefusedByTheCursorStaysInBrowse) {
  UseOpen(2);
  table->failEdit = "Locked";
  trace.Take();
  EXPECT_THROW(table->Edit(), EDatabaseError);
  EXPECT_EQ(trace.Take(), "BeforeEdit");
  EXPECT_EQ(table->State(), dsBrowse);
}

TEST_F(DataSetEvents, EditOnAnEmptyDatasetInserts) {
  UseOpen(0);
  table->Edit();
  EXPECT_EQ(trace.Take(),
            "BeforeInsert;BeforeScroll;link:EditingChanged;NewRecord;"
            "link:DataSetChanged;AfterInsert;AfterScroll");
  EXPECT_EQ(table->State(), dsInsert);
  EXPECT_FALSE(table->IsEmpty());
}

TEST_F(DataSetEvents, MoveWithAChangedRecordPostsIt) {
  UseOpen(3);
  table->Edit();
  table->FieldByName("B5_Word").SetAsString("moved");
  trace.Take();
  table->Next();
  EXPECT_EQ(trace.Take(),
            "link:UpdateData;link:UpdateData;BeforePost;link:EditingChanged;"
            "link:DataSetChanged;AfterPost;BeforeScroll;link:DataSetScrolled(1);AfterScroll");
  EXPECT_EQ(table->Rows()[0].values[1], "moved");
  EXPECT_EQ(Word(), "w2");
}

TEST_F(DataSetEvents, MoveWithAnUnchangedRecordCancelsIt) {
  UseOpen(3);
  table->Insert();
  trace.Take();
  table->Next();
  EXPECT_EQ(trace.Take(),
            "link:UpdateData;BeforeCancel;BeforeScroll;link:EditingChanged;"
            "link:DataSetChanged;AfterCancel;AfterScroll;BeforeScroll;link:DataSetScrolled(1);AfterScroll");
  EXPECT_EQ(table->Rows().size(), 3u);
  EXPECT_EQ(Word(), "w2");
}

TEST_F(DataSetEvents, ValuesSetByOnNewRecordAloneDoNotMakeTheRowWorthPosting) {
  Use(1);
  table->OnNewRecord = [](TDataSet& ds) { ds.FieldByName("B5_Word").SetAsString("default"); };
  table->Open();
  table->Insert();
  EXPECT_EQ(Word(), "default");
  EXPECT_FALSE(table->Modified());
  table->CheckBrowseMode();
  EXPECT_EQ(table->Rows().size(), 1u);
}

TEST_F(DataSetEvents, AFailingOnNewRecordAbandonsTheInsert) {
  Use(2);
  table->OnNewRecord = [](TDataSet&) { throw EDatabaseError("no"); };
  table->Open();
  EXPECT_THROW(table->Insert(), EDatabaseError);
  EXPECT_EQ(table->State(), dsBrowse);
  EXPECT_EQ(Word(), "w1");
}

TEST_F(DataSetEvents, PostAndUpdateRecordOutsideEditingFail) {
  UseOpen(1);
  try {
    table->Post();
    FAIL() << "post in browse state";
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "OrvDaoTable1: Dataset not in edit or insert mode");
  }
  table->Cancel();  // nothing to cancel: no events
  EXPECT_EQ(trace.Take(), "");
}

TEST_F(DataSetEvents, ReadOnlyDatasetRefusesChanges) {
  Use(1);
  table->SetReadOnly(true);
  table->Open();
  for (auto operation : {&TDataSet::Edit, &TDataSet::Insert, &TDataSet::Delete}) {
    try {
      ((*table).*operation)();
      FAIL() << "a read-only dataset changed";
    } catch (const EDatabaseError& e) {
      EXPECT_STREQ(e.what(), "OrvDaoTable1: Cannot modify a read-only dataset");
    }
  }
  EXPECT_EQ(table->State(), dsBrowse);
}

TEST_F(DataSetEvents, OperationsOnAClosedDatasetFail) {
  Use(1);
  try {
    table->Next();
    FAIL() << "move on a closed dataset";
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "OrvDaoTable1: Cannot perform this operation on a closed dataset");
  }
  EXPECT_THROW(table->Edit(), EDatabaseError);
  EXPECT_THROW(table->RecordCount(), EDatabaseError);
  EXPECT_EQ(table->RecNo(), -1);
}

TEST_F(DataSetEvents, InsertRecordStoresAtOnceWithoutInsertState) {
  UseOpen(2);
  table->Next();
  trace.Take();
  table->InsertRecord({"", "rec", "H", std::nullopt, ""});
  EXPECT_EQ(trace.Take(), "BeforeInsert;BeforeScroll;link:DataSetChanged;AfterScroll");
  EXPECT_EQ(table->Column(1), (std::vector<std::string>{"w1", "rec", "w2"}));
  EXPECT_EQ(Word(), "rec");
  table->AppendRecord({"", "tail", "H"});
  EXPECT_EQ(table->Column(1).back(), "tail");
  EXPECT_EQ(table->RecNo(), 4);
}

TEST_F(DataSetEvents, DisabledControlsHearOneChangeAtTheEnd) {
  UseOpen(5);
  table->DisableControls();
  table->DisableControls();
  while (!table->Eof()) table->Next();
  table->First();
  table->EnableControls();
  EXPECT_EQ(trace.Take().find("link:"), std::string::npos);
  table->EnableControls();
  EXPECT_EQ(trace.Take(), "link:DataSetChanged");
  // Requests still reach the links while disabled.
  table->DisableControls();
  table->Edit();
  table->EnableControls();
  EXPECT_EQ(trace.Take(),
            "BeforeEdit;link:EditingChanged;AfterEdit;link:DataSetChanged");
}

}  // namespace
}  // namespace framework::testing
