// Importing real Jet files: Big5 text with user-defined characters byte for
// byte, Null apart from the empty string, long memos, IDs and unknown
// columns kept; a Jet 4 file's compressed Unicode; invalid bytes stopping
// the import; the destination never overwritten.
#include <gtest/gtest.h>

#include <filesystem>

#include "export/export_line.h"
#include "platform/big5/big5.h"
#include "tests/import/import_test_support.h"
#include "tests/import/jet_test_files.h"

namespace {

using jettest::Jet3Row;

constexpr const char* kSelectCharacters =
    "SELECT ID, B5_Word, CJ_Code, Li_Chang, Li_Chang_B, Xian_Xiang, Xian_Xiang_B, Ren_Zhi, Ren_Zhi_B, Si_Bei, "
    "Si_Bei_B, \"8_XI_B\", Gai_Nian, Gai_Nian_Hex, CJ_Input, Note, Remark FROM \"0_Data_Input\" ORDER BY ID";

class Big5Jet3Import : public ::testing::Test {
 protected:
  void SetUp() override {
    jettest::makeBig5Jet3File(source_, "0_Data_Input", jettest::characterTableColumns(), rows_);
    sourceBytes_ = jettest::readBytes(source_);
  }

  jetimport::ImportCommand command() const {
    jetimport::ImportCommand c;
    c.source = source_;
    c.destination = destination_;
    c.timeLimitSeconds = 60;
    return c;
  }

  jettest::ScratchFolder folder_;
  std::string source_ = folder_.path("OLD.mdb");
  std::string destination_ = folder_.path("NEW.mdb");
  std::vector<Jet3Row> rows_ = jettest::fidelityRows();
  std::string sourceBytes_;
};

TEST_F(Big5Jet3Import, EveryValueArrivesByteForByteWithNullAndEmptyApart) {
  const jettest::ImportRun run = jettest::runImport(command());
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(folder_.names(), (std::vector<std::string>{"NEW.mdb", "OLD.mdb"}));
  EXPECT_EQ(jettest::readBytes(source_), sourceBytes_);

  const auto stored = jettest::query(destination_, kSelectCharacters);
  ASSERT_EQ(stored.size(), rows_.size());
  for (std::size_t r = 0; r < rows_.size(); ++r) {
    EXPECT_EQ(stored[r][0], rows_[r][0]) << "the ID is kept";
    for (std::size_t c = 1; c < rows_[r].size(); ++c) {
      const std::optional<std::string>& expected = rows_[r][c];
      const std::optional<std::string>& actual = stored[r][c];
      ASSERT_EQ(actual.has_value(), expected.has_value()) << "row " << r << " column " << c;
      if (expected) {
        EXPECT_EQ(big5::fromUtf8(*actual), *expected) << "row " << r << " column " << c;
      }
    }
  }
  // The memo of more than 16 KiB (libmdb's default bind size) is whole.
  ASSERT_TRUE(stored[2][15]);
  EXPECT_GT(stored[2][15]->size(), 20000u);
  EXPECT_EQ(stored[2][15]->substr(stored[2][15]->size() - 6), "\uF6B1end");
  // The user-defined character is the Private Use code Windows gives it.
  EXPECT_EQ(*stored[1][1], "\uE000");
}

TEST_F(Big5Jet3Import, ExportOfAnImportedRecordEqualsExportOfTheStoredBytes) {
  ASSERT_EQ(jettest::runImport(command()).exitCode, 0);
  const auto stored = jettest::query(destination_, kSelectCharacters);
  const auto record = [](const auto& cell) {
    return [&cell](std::size_t c, bool fromDatabase) {
      const auto& value = cell[c];
      if (!value) return std::string();
      return fromDatabase ? big5::fromUtf8(*value) : *value;
    };
  };
  for (std::size_t r = 0; r < 3; ++r) {
    const auto build = [&](const auto& field, bool fromDatabase) {
      exporting::ExportRecord e;
      e.B5_Word = field(1, fromDatabase);
      e.CJ_Code = field(2, fromDatabase);
      e.Li_Chang = field(3, fromDatabase);
      e.Li_Chang_B = field(4, fromDatabase);
      e.Xian_Xiang = field(5, fromDatabase);
      e.Xian_Xiang_B = field(6, fromDatabase);
      e.Ren_Zhi = field(7, fromDatabase);
      e.Ren_Zhi_B = field(8, fromDatabase);
      e.Si_Bei = field(9, fromDatabase);
      e.Si_Bei_B = field(10, fromDatabase);
      e.XI_B_8 = field(11, fromDatabase);
      e.Gai_Nian = field(12, fromDatabase);
      e.Gai_Nian_Hex = field(13, fromDatabase);
      e.CJ_Input = field(14, fromDatabase);
      return exporting::buildExportText(e, false);
    };
    const auto fromJet = build(record(rows_[r]), false);
    const auto fromImport = build(record(stored[r]), true);
    ASSERT_TRUE(fromJet) << r;
    EXPECT_EQ(fromImport, fromJet) << r;
    EXPECT_NE(fromImport->find(*rows_[r][1]), std::string::npos) << "the character's own bytes are in the line";
  }
}

TEST_F(Big5Jet3Import, ReportListsUserDefinedCharactersLongTextAndWhatWasAddedOrMissing) {
  jetimport::ImportCommand c = command();
  c.reportFile = folder_.path("report.txt");
  const jettest::ImportRun run = jettest::runImport(c);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(jettest::readBytes(*c.reportFile), run.out);
  const std::string& report = run.out;
  for (const char* line : {
           "Source format: Jet 3 (Access 97), code page 950\n",
           "  0_Data_Input                      4 / 4         \n",
           "  1_Li_Chang                        0 / 2           (not in the source; created)\n",
           "Records holding user-defined characters (4):\n",
           "  0_Data_Input  ID 2  B5_Word: \uE000 U+E000 (Big5 FA40)\n",
           "  0_Data_Input  ID 2  Li_Chang: \uE311 U+E311 (Big5 8E40)\n",
           "  0_Data_Input  ID 2  Xian_Xiang: \uEEB8 U+EEB8 (Big5 8140)\n",
           "  0_Data_Input  ID 5  Note: \uF6B1 U+F6B1 (Big5 C6A1)\n",
           "Text longer than the program's field (kept whole) (1):\n"
           "  0_Data_Input  ID 5  Li_Chang: 60 characters, the program's field holds 50\n",
           "  0_Data_Input.Li_Chang: size 50 -> 100 (the source's size)\n",
           "Columns the program does not use (copied) (1):\n  0_Data_Input.Remark\n",
           "  0_Data_Input.B5_Hex\n",
       }) {
    EXPECT_NE(report.find(line), std::string::npos) << line << "\n--- in ---\n" << report;
  }
  EXPECT_EQ(report.find("not Big5"), std::string::npos);
  // The program's lookup tables are created with the standard lists.
  EXPECT_EQ(jettest::query(destination_, "SELECT count(*) FROM \"5_GN\"")[0][0], "8");
}

TEST_F(Big5Jet3Import, ExistingDestinationIsNeverTouched) {
  jettest::writeBytes(destination_, "somebody's work");
  const jettest::ImportRun run = jettest::runImport(command());
  EXPECT_EQ(run.exitCode, jetimport::kExitDestinationExists);
  EXPECT_NE(run.err.find("exists already; it is left as it is"), std::string::npos) << run.err;
  EXPECT_EQ(jettest::readBytes(destination_), "somebody's work");
  EXPECT_EQ(folder_.names(), (std::vector<std::string>{"NEW.mdb", "OLD.mdb"}));
}

// The finished file is opened for its check by a file: URI; characters that
// mean something in a URI, and text that is not ASCII, are only names.
TEST_F(Big5Jet3Import, NamesWithCharactersOfUrisAndChineseTextAreOnlyNames) {
  const std::filesystem::path folder = folder_.path("舊 資料 100%");
  std::filesystem::create_directory(folder);
  jetimport::ImportCommand c = command();
  c.destination = (folder / "new #1?a=b&c%20.mdb").string();
  const jettest::ImportRun run = jettest::runImport(c);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  EXPECT_EQ(names, std::vector<std::string>{"new #1?a=b&c%20.mdb"});
  EXPECT_EQ(jettest::query(c.destination, "SELECT count(*) FROM \"0_Data_Input\"")[0][0], std::to_string(rows_.size()));
}

class InvalidBytesImport : public ::testing::Test {
 protected:
  void SetUp() override {
    using K = jettest::Jet3Column::Kind;
    jettest::makeBig5Jet3File(source_, "0_data_input", {{K::AutoNumber, "id", 4}, {K::Text, "b5_word", 8}, {K::Text, "Note", 50}},
                              {{"3", std::string("\xA4\xA4\xFF", 3), "ok"}, {"4", "x", std::string("a\xA4\x20", 3)}});
  }
  jettest::ScratchFolder folder_;
  std::string source_ = folder_.path("OLD.mdb");
};

TEST_F(InvalidBytesImport, StopsWithTheListAndWritesNothing) {
  jetimport::ImportCommand c;
  c.source = source_;
  c.destination = folder_.path("NEW.mdb");
  const jettest::ImportRun run = jettest::runImport(c);
  EXPECT_EQ(run.exitCode, jetimport::kExitInvalidText);
  EXPECT_NE(run.err.find("Nothing was written. Run again with --replace-invalid"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("  0_Data_Input  ID 3  B5_Word: bytes FF at byte offset 2 (value A4 A4 FF)\n"),
            std::string::npos) << run.err;
  EXPECT_NE(run.err.find("  0_Data_Input  ID 4  Note: bytes A4 20 at byte offset 1 (value 61 A4 20)\n"),
            std::string::npos) << run.err;
  EXPECT_EQ(folder_.names(), std::vector<std::string>{"OLD.mdb"});
}

TEST_F(InvalidBytesImport, ReplaceInvalidWritesReplacementCharactersAndListsThem) {
  jetimport::ImportCommand c;
  c.source = source_;
  c.destination = folder_.path("NEW.mdb");
  c.replaceInvalid = true;
  const jettest::ImportRun run = jettest::runImport(c);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.out.find("Bytes that are not Big5 text, written as U+FFFD (2):"), std::string::npos) << run.out;
  const auto stored = jettest::query(c.destination, "SELECT ID, B5_Word, Note FROM \"0_Data_Input\" ORDER BY ID");
  ASSERT_EQ(stored.size(), 2u);
  EXPECT_EQ(stored[0][1], "中\uFFFD");
  EXPECT_EQ(stored[1][2], "a\uFFFD");
}

TEST(Jet4Import, CompressedUnicodeArrivesAsWrittenAndUnknownColumnsAreCopied) {
  jettest::ScratchFolder folder;
  const std::string source = folder.path("OLD.mdb");
  jettest::renameJetTable(jettest::sampleFolder() + "/testUnicodeCompV2003.mdb", source, "Table", "0_Data_Input");
  jetimport::ImportCommand c;
  c.source = source;
  c.destination = folder.path("NEW.mdb");
  const jettest::ImportRun run = jettest::runImport(c);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const auto stored = jettest::query(c.destination, "SELECT ID, \"Unicode\" FROM \"0_Data_Input\" ORDER BY ID");
  ASSERT_EQ(stored.size(), 8u);
  EXPECT_EQ(stored[1][1], "ääkkösiä");
  EXPECT_EQ(stored[2][1], "Мир");
  // Greek with the kappa symbol U+03F0 and polytonic accents, as Access stored it.
  EXPECT_EQ(stored[3][1], "\u03F0\u03B1\u1F76 \u03C4\u1F79\u03C4' \u1F10\u03B3\u1F7C \u039A\u1F7B\u03F0\u03BB\u03C9\u03C0\u03B1");
  EXPECT_EQ(stored[4][1], "漢字仮名交じり文");
  ASSERT_TRUE(stored[7][1]);
  EXPECT_EQ(stored[7][1]->substr(stored[7][1]->size() - 4), "þÿ");
  EXPECT_NE(run.out.find("Source format: Jet 4 (Access 2000-2003), Unicode\n"), std::string::npos);
  EXPECT_NE(run.out.find("Columns the program does not use (copied) (1):\n  0_Data_Input.Unicode\n"), std::string::npos)
      << run.out;
  // Kana are not in code page 950: kept, and listed.
  EXPECT_NE(run.out.find("0_Data_Input  ID 5  Unicode: \u4EEE U+4EEE"), std::string::npos) << run.out;
}

}  // namespace

namespace {

TEST(Jet4Import, ColumnsOfEveryTypeAreCopiedWithTheirEngineTypes) {
  // A Microsoft Project table written by Access 2003, given the name of a
  // program table: its 74 columns of many types are all unknown to the
  // program and copied.
  jettest::ScratchFolder folder;
  const std::string source = folder.path("OLD.mdb");
  jettest::renameJetTable(jettest::sampleFolder() + "/test2V2003.mdb", source, "MSP_PROJECTS", "5_gn");
  jetimport::ImportCommand c;
  c.source = source;
  c.destination = folder.path("NEW.mdb");
  const jettest::ImportRun run = jettest::runImport(c);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.out.find("Columns the program does not use (copied) (74):\n"), std::string::npos) << run.out;
  const auto types = jettest::query(
      c.destination,
      "SELECT name, dao_type FROM zen_columns WHERE table_name = '5_GN' AND name IN ('PROJ_ID', 'PROJ_NAME', "
      "'PROJ_PROP_AUTHOR', 'PROJ_OPT_CALC_ACT_COSTS', 'PROJ_INFO_CURRENT_DATE', 'PROJ_OPT_DEF_OVT_RATE', "
      "'PROJ_OPT_CURRENCY_DIGITS', 'RESERVED_BINARY_DATA') ORDER BY ordinal");
  std::string described;
  for (const auto& row : types) described += *row[0] + "=" + *row[1] + " ";
  EXPECT_EQ(described,
            "PROJ_ID=4 PROJ_NAME=10 PROJ_PROP_AUTHOR=12 PROJ_OPT_CALC_ACT_COSTS=1 PROJ_OPT_CURRENCY_DIGITS=3 "
            "PROJ_INFO_CURRENT_DATE=8 PROJ_OPT_DEF_OVT_RATE=7 RESERVED_BINARY_DATA=11 ");
  const auto values = jettest::query(
      c.destination,
      "SELECT PROJ_ID, PROJ_NAME, PROJ_OPT_CALC_ACT_COSTS, substr(PROJ_PROP_AUTHOR, 1, 28), "
      "length(PROJ_PROP_AUTHOR), typeof(PROJ_INFO_CURRENT_DATE) FROM \"5_GN\"");
  ASSERT_EQ(values.size(), 1u);
  EXPECT_EQ(values[0][0], "1");
  EXPECT_EQ(values[0][1], "Project1");
  EXPECT_EQ(values[0][2], "1");
  EXPECT_EQ(values[0][3], "Jon Iles this is a a vawesra");
  EXPECT_GT(std::stoi(*values[0][4]), 255);
  EXPECT_EQ(values[0][5], "real");
}

}  // namespace
