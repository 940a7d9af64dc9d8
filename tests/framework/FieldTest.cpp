// Field lookup, value conversions, size cuts, required fields and blobs.
#include <gtest/gtest.h>

#include "Fixtures.h"
#include "Recorders.h"
#include "framework/BlobFields.h"
#include "framework/DbErrors.h"
#include "framework/ScalarFields.h"
#include "framework/TStringField.h"

namespace framework::testing {
namespace {

class Fields : public ::testing::Test {
 protected:
  void SetUp() override {
    source.SetDataSet(&table);
    table.Open();
  }
  TField& F(std::string_view name) { return table.FieldByName(name); }

  MemoryDataSet table{"OrvDaoTable1",
                      {
                          {"ID", ftAutoInc, 0},
                          {"B5_Word", ftString, 8},
                          {"B5_Hex", ftString, 8, true},
                          {"Strokes", ftInteger, 0},
                          {"Small", ftSmallint, 0},
                          {"Ratio", ftFloat, 0},
                          {"Flag", ftBoolean, 0},
                          {"Note", ftMemo, 0},
                      },
                      {{"1", "\xA4\xA4", "A4A4", "12.6", "7", "0.5", "True", "memo text"},
                       {"2", "", "", "12.5", "", "", "", ""}}};
  TDataSource source;
};

TEST_F(Fields, FieldsFollowTheDefinitionsInClassAndOrder) {
  ASSERT_EQ(table.Fields().Count(), 8);
  EXPECT_NE(dynamic_cast<TAutoIncField*>(&F("ID")), nullptr);
  EXPECT_NE(dynamic_cast<TStringField*>(&F("B5_Word")), nullptr);
  EXPECT_NE(dynamic_cast<TSmallintField*>(&F("Small")), nullptr);
  EXPECT_NE(dynamic_cast<TMemoField*>(&F("Note")), nullptr);
  EXPECT_EQ(F("B5_Hex").FieldNo(), 3);
  EXPECT_EQ(F("B5_Word").Size(), 8);
  EXPECT_TRUE(F("ID").ReadOnly());
  EXPECT_TRUE(F("B5_Hex").Required());
}

TEST_F(Fields, FieldByNameIgnoresLetterCaseAndNamesTheDatasetWhenMissing) {
  EXPECT_EQ(&F("b5_word"), &F("B5_WORD"));
  EXPECT_EQ(table.FindField("nosuch"), nullptr);
  try {
    F("Li_Chang");
    FAIL() << "missing field";
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "OrvDaoTable1: Field 'Li_Chang' not found");
  }
  table.SetName("");
  try {
    F("Li_Chang");
    FAIL() << "missing field";
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "Field 'Li_Chang' not found");
  }
}

TEST_F(Fields, CaseFoldingLeavesBig5TrailBytesAlone) {
  // A4 61 and A4 41 are two different characters whose trail bytes are the
  // ASCII letters a and A.
  MemoryDataSet named("T", {{"\xA4\x61", ftString, 4}});
  named.Open();
  EXPECT_NE(named.FindField("\xA4\x61"), nullptr);
  EXPECT_EQ(named.FindField("\xA4\x41"), nullptr);
}

TEST_F(Fields, StringFieldCutsAtAWholeBig5Character) {
  table.Edit();
  // Seven ASCII bytes then a two-byte character: the character would end at
  // byte 9, past the size of 8, so it is dropped whole.
  F("B5_Word").SetAsString("abcdefg\xA4\xA4");
  EXPECT_EQ(F("B5_Word").AsString(), "abcdefg");
  F("B5_Word").SetAsString("\xA4\xA4\xA4\xA5\xA4\xA6\xA4\xA7\xA4\xA8");
  EXPECT_EQ(F("B5_Word").AsString(), "\xA4\xA4\xA4\xA5\xA4\xA6\xA4\xA7");
  F("B5_Word").SetAsString("12345678");
  EXPECT_EQ(F("B5_Word").AsString(), "12345678");
}

TEST_F(Fields, EmptyTextIsNullAndClearStoresNull) {
  EXPECT_FALSE(F("B5_Word").IsNull());
  table.Edit();
  F("B5_Word").SetAsString("");
  EXPECT_TRUE(F("B5_Word").IsNull());
  F("Strokes").Clear();
  EXPECT_TRUE(F("Strokes").IsNull());
  EXPECT_EQ(F("Strokes").AsString(), "");
  EXPECT_EQ(F("Strokes").AsInteger(), 0);
  table.Post();
  EXPECT_EQ(table.Rows()[0].values[1], "");
  EXPECT_EQ(table.Rows()[0].values[3], "");
}

TEST_F(Fields, IntegerTextsReadRoundedHalfToEven) {
  EXPECT_EQ(F("Strokes").AsInteger(), 13);
  EXPECT_EQ(F("Strokes").AsString(), "13");
  table.Next();
  EXPECT_EQ(F("Strokes").AsInteger(), 12);
  EXPECT_EQ(F("Strokes").AsString(), "12");
}

TEST_F(Fields, IntegerWritesStoreDecimalTextAndCheckTheRange) {
  table.Edit();
  EXPECT_THROW(F("Strokes").SetAsString("13.5"), EConvertError);
  EXPECT_THROW(F("Strokes").SetAsString("x"), EConvertError);
  F("Strokes").SetAsInteger(-4);
  EXPECT_EQ(F("Strokes").AsString(), "-4");
  F("Strokes").SetAsFloat(2.5);
  EXPECT_EQ(F("Strokes").AsInteger(), 2);
  try {
    F("Small").SetAsInteger(40000);
    FAIL() << "out of range";
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "40000 is not a valid value for field 'Small'. The allowed range is -32768 to 32767");
  }
  EXPECT_EQ(F("Small").AsInteger(), 7);
  // A text field stores an integer as its decimal text.
  F("B5_Word").SetAsInteger(0);
  EXPECT_EQ(F("B5_Word").AsString(), "0");
  EXPECT_THROW(F("B5_Hex").AsInteger(), EConvertError);
}

TEST_F(Fields, FloatAndBooleanTexts) {
  EXPECT_DOUBLE_EQ(F("Ratio").AsFloat(), 0.5);
  EXPECT_EQ(F("Ratio").AsInteger(), 0);
  EXPECT_TRUE(F("Flag").AsBoolean());
  EXPECT_THROW(F("Flag").AsInteger(), EDatabaseError);
  table.Edit();
  F("Ratio").SetAsFloat(0.1);
  EXPECT_EQ(F("Ratio").AsString(), "0.1");
  F("Flag").SetAsString("no");
  EXPECT_EQ(F("Flag").AsString(), "False");
  EXPECT_THROW(F("Flag").SetAsString("maybe"), EConvertError);
  EXPECT_THROW(F("Ratio").SetAsString("1,5"), EConvertError);
}

TEST_F(Fields, ReadOnlyFieldsIgnoreWritesAndChangedFlagsMarkWrites) {
  table.Edit();
  F("ID").SetAsString("99");
  EXPECT_EQ(F("ID").AsString(), "1");
  EXPECT_FALSE(F("ID").CanModify());
  // Writing the text a field already has still marks it changed and stores it.
  F("B5_Hex").SetAsString("A4A4");
  EXPECT_TRUE(table.Modified());
  table.Post();
  EXPECT_EQ(table.Rows()[0].values[2], "A4A4");
}

TEST_F(Fields, WritingInBrowseStateLastsUntilTheNextRead) {
  F("B5_Word").SetAsString("temp");
  EXPECT_EQ(F("B5_Word").AsString(), "temp");
  EXPECT_EQ(table.State(), dsBrowse);
  table.Next();
  table.Prior();
  EXPECT_EQ(F("B5_Word").AsString(), "\xA4\xA4");
  EXPECT_EQ(table.Rows()[0].values[1], "\xA4\xA4");
}

TEST_F(Fields, ARequiredNullFieldStopsThePostAfterAskingForItsControl) {
  Trace trace;
  RecordingLink link{trace};
  link.SetDataSource(&source);
  table.Insert();
  F("B5_Word").SetAsString("x");
  trace.Take();
  try {
    table.Post();
    FAIL() << "required field";
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "Field 'B5_Hex' must have a value");
  }
  EXPECT_EQ(trace.Take(), "link:UpdateData;link:FocusControl(B5_Hex)");
  EXPECT_EQ(table.State(), dsInsert);
  F("B5_Hex").SetAsString("41");
  table.Post();
  EXPECT_EQ(table.Rows().size(), 3u);
}

TEST_F(Fields, ValidationCanRefuseAndOnChangeFollowsTheLinks) {
  std::string seen;
  F("B5_Word").OnValidate = [](TField&, const std::string* text) {
    if (text != nullptr && *text == "bad") throw EDatabaseError("refused");
  };
  F("B5_Word").OnChange = [&seen](TField& field) { seen = field.AsString(); };
  table.Edit();
  EXPECT_THROW(F("B5_Word").SetAsString("bad"), EDatabaseError);
  EXPECT_EQ(F("B5_Word").AsString(), "\xA4\xA4");
  EXPECT_EQ(seen, "");
  F("B5_Word").SetAsString("good");
  EXPECT_EQ(seen, "good");
}

TEST_F(Fields, MemoGoesThroughABlobStreamAndNotifiesOnce) {
  Trace trace;
  RecordingLink link{trace};
  link.SetDataSource(&source);
  EXPECT_EQ(F("Note").AsString(), "memo text");
  table.Edit();
  trace.Take();
  {
    auto stream = table.CreateBlobStream(F("Note"), bmReadWrite);
    stream->Seek(5);
    stream->Write("TEXT and more");
    stream->Seek(4);
    stream->Truncate();
    EXPECT_EQ(trace.Take(), "");
    stream->Close();
    EXPECT_EQ(trace.Take(), "link:RecordChanged(Note)");
  }
  EXPECT_EQ(F("Note").AsString(), "memo");
  F("Note").SetAsString("");
  EXPECT_TRUE(F("Note").IsNull());
  auto reader = table.CreateBlobStream(F("Note"), bmRead);
  EXPECT_THROW(reader->Write("x"), EDatabaseError);
}

}  // namespace
}  // namespace framework::testing
