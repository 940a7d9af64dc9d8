#include "export/record_export.h"

#include <gtest/gtest.h>

#include "framework/DbErrors.h"
#include "framework/TField.h"
#include "platform/big5/big5.h"
#include "schema/schema.h"
#include "tests/framework/MemoryDataSet.h"

namespace {

using framework::testing::MemoryColumn;
using framework::testing::MemoryDataSet;

const std::string F = "\xA1\x40";

class RecordExportTest : public ::testing::Test {
 protected:
  RecordExportTest() {
    std::vector<MemoryColumn> columns;
    for (const auto& field : schema::findTable(schema::tables::DataInput)->fields)
      if (field.type == schema::FieldType::String) columns.emplace_back(std::string(field.name), framework::ftString, field.size);
    main = std::make_unique<MemoryDataSet>("OrvDaoTable1", columns);
    main->Open();
    targets.writeClipboard = [this](const std::string& text) { clipboard = text; ++writes; };
    targets.signalNothingExported = [this] { ++beeps; };
  }

  void addRecord(const char* word, const char* code) {
    main->Insert();
    main->FieldByName("B5_Word").SetAsString(big5::fromUtf8(word));
    main->FieldByName("CJ_Code").SetAsString(code);
    main->Post();
  }

  std::unique_ptr<MemoryDataSet> main;
  exporting::ExportTargets targets;
  std::string clipboard = "previous";
  int writes = 0;
  int beeps = 0;
};

TEST_F(RecordExportTest, CurrentRecordGoesToTheClipboardWithUnsavedEdits) {
  addRecord("中", "L");
  main->Edit();
  main->FieldByName("CJ_Input").SetAsString(big5::fromUtf8("中間"));
  exporting::exportRecord(*main, false, targets);
  EXPECT_EQ(writes, 1);
  EXPECT_EQ(beeps, 0);
  EXPECT_EQ(clipboard.substr(clipboard.size() - 4), big5::fromUtf8("中間"));
  EXPECT_EQ(clipboard.substr(0, 4), F + big5::fromUtf8("中"));
  EXPECT_EQ(main->State(), framework::dsEdit);  // nothing posted
}

TEST_F(RecordExportTest, NoLineLeavesTheClipboardAndSignals) {
  addRecord("一", "ABCDEF");
  exporting::exportRecord(*main, true, targets);
  EXPECT_EQ(clipboard, "previous");
  EXPECT_EQ(beeps, 1);
  main->Edit();
  main->FieldByName("CJ_Code").SetAsString("");
  exporting::exportRecord(*main, false, targets);
  EXPECT_EQ(clipboard, "previous");
  EXPECT_EQ(beeps, 2);
}

TEST_F(RecordExportTest, EmptyTableExportsNothing) {
  exporting::exportRecord(*main, false, targets);
  EXPECT_EQ(writes, 0);
  EXPECT_EQ(beeps, 1);
}

TEST_F(RecordExportTest, MissingFieldFailsBeforeTheClipboardIsTouched) {
  std::vector<MemoryColumn> columns{MemoryColumn("CJ_Code"), MemoryColumn("B5_Word")};
  main = std::make_unique<MemoryDataSet>("OrvDaoTable1", columns, std::vector<std::vector<std::string>>{{"M", "x"}});
  main->Open();
  try {
    exporting::exportRecord(*main, false, targets);
    FAIL() << "no error";
  } catch (const framework::EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "OrvDaoTable1: Field 'Li_Chang_B' not found");
  }
  EXPECT_EQ(clipboard, "previous");
}

}  // namespace
