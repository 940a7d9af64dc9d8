// Whole builds of the database, read back with plain SQLite: the table
// layout, the lookup contents, the character records and their order.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>

#include "classify/lookup_tables.h"
#include "platform/big5/big5.h"
#include "schema/schema.h"
#include "tests/tools/test_files.h"
#include "tools/dbbuild/big5_ideographs.h"
#include "tools/dbbuild/builder_cli.h"
#include "tools/dbbuild/lexora_writer.h"

namespace dbbuild {
namespace {

using testing::QueryRow;
using testing::TempFolder;

std::string sqlName(std::string_view name) { return "\"" + std::string(name) + "\""; }

std::string fileContent(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The record of one Big5 code: word, code, code in radicals, radical.
QueryRow recordOf(const std::filesystem::path& db, std::string_view hex) {
  const auto rows = testing::queryRows(
      db, "SELECT B5_Word, CJ_Code, CJ_Code_CN, Radical_Word FROM \"0_Data_Input\" WHERE B5_Hex = '" +
              std::string(hex) + "'");
  return rows.size() == 1 ? rows[0] : QueryRow{};
}

// The columns as the engine describes them in the file (zen_columns): names
// in stored order, types, text sizes, and the one index the search uses.
void expectTableLayout(const std::filesystem::path& db) {
  for (const schema::TableDefinition& table : schema::allTables()) {
    const auto columns = testing::queryRows(
        db, "SELECT name, dao_type, size, auto_increment, indexed FROM zen_columns WHERE table_name = '" +
                std::string(table.name) + "' ORDER BY ordinal");
    ASSERT_EQ(columns.size(), table.fields.size()) << table.name;
    for (std::size_t i = 0; i < columns.size(); ++i) {
      const schema::FieldDefinition& field = table.fields[i];
      const QueryRow& column = columns[i];
      EXPECT_EQ(column[0], field.name) << table.name;
      const char* type = field.type == schema::FieldType::String ? "10"
                         : field.type == schema::FieldType::Memo ? "12"
                                                                 : "4";
      EXPECT_EQ(column[1], type) << field.name;
      if (field.type == schema::FieldType::String) {
        EXPECT_EQ(column[2], std::to_string(field.size)) << field.name;
      }
      EXPECT_EQ(column[3], field.type == schema::FieldType::AutoInc ? "1" : "0") << field.name;
      const bool searched = table.name == schema::tables::DataInput && field.name == schema::fields::B5_Hex;
      EXPECT_EQ(column[4], searched ? "1" : "0") << field.name;
    }
  }
}

void expectLookupContents(const std::filesystem::path& db) {
  for (const classify::LookupTableContent& content : classify::lookupTableContents()) {
    std::string columns;
    for (const auto& column : content.columns) columns += (columns.empty() ? "" : ", ") + sqlName(column.column);
    const auto rows =
        testing::queryRows(db, "SELECT " + columns + " FROM " + sqlName(content.table) + " ORDER BY ID");
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(content.rowCount)) << content.table;
    for (std::size_t row = 0; row < rows.size(); ++row)
      for (std::size_t c = 0; c < content.columns.size(); ++c)
        EXPECT_EQ(rows[row][c], content.columns[c].rows[row]) << content.table << "." << content.columns[c].column;
  }
  // The one column no content fills stays Null.
  for (const auto& row : testing::queryRows(db, "SELECT Test FROM \"1_Li_Chang\"")) EXPECT_FALSE(row[0]);
}

// Every record, one per ideograph in Big5 order; each stored text is one
// code page 950 can hold, and B5_Hex spells the bytes of B5_Word.
void expectRecordsInBig5Order(const std::filesystem::path& db) {
  const auto rows = testing::queryRows(
      db, "SELECT B5_Word, B5_Hex, CJ_Code, CJ_Code_CN, Radical_Word FROM \"0_Data_Input\" ORDER BY ID");
  const std::vector<std::uint16_t> codes = big5IdeographCodes();
  ASSERT_EQ(rows.size(), codes.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const QueryRow& row = rows[i];
    ASSERT_EQ(row[1], big5HexText(codes[i])) << i;
    ASSERT_TRUE(row[0]);
    ASSERT_EQ(big5::fromUtf8(*row[0]), big5Bytes(codes[i])) << *row[1];
    if (row[2]) {
      EXPECT_TRUE(row[2]->size() >= 1 && row[2]->size() <= 5) << *row[1];
      EXPECT_EQ(row[2]->find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ"), std::string::npos) << *row[1];
      ASSERT_TRUE(row[3]);
      EXPECT_EQ(big5::byteLength(*row[3]), 2 * row[2]->size()) << *row[1];
    } else {
      EXPECT_FALSE(row[3]) << *row[1];
    }
    if (row[4]) {
      EXPECT_EQ(big5::byteLength(*row[4]), 2u) << *row[1];
    }
  }
  // Every field the builder does not fill is Null.
  std::string anyFilled;
  for (const schema::FieldDefinition& field : schema::findTable(schema::tables::DataInput)->fields) {
    const std::string_view name = field.name;
    if (name == "ID" || name == "B5_Word" || name == "B5_Hex" || name == "CJ_Code" || name == "CJ_Code_CN" ||
        name == "Radical_Word")
      continue;
    anyFilled += (anyFilled.empty() ? "" : " OR ") + sqlName(name) + " IS NOT NULL";
  }
  EXPECT_EQ(testing::queryRows(db, "SELECT count(*) FROM \"0_Data_Input\" WHERE " + anyFilled)[0][0], "0");
}

// A build from small data files of the test's own: everything but the
// Cangjie codes and radicals of the few characters they list is the same
// as with the real data.
class SmallSourceBuildTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::writeCangjieDatabase(folder_ / "5.db", {{"m", "一"}, {"l", "中"}, {"xl", "中"}, {"mu", "\u5140"}});
    testing::writeCangjieDatabase(folder_ / "3.db", {{"m", "一"}});
    testing::writeBzip2(folder_ / "unihan.bz2",
                        "U+4E00\tkRSUnicode\t1.0\nU+4E2D\tkRSUnicode\t2.3\nU+FA0C\tkCompatibilityVariant\tU+5140\n");
    testing::writeText(folder_ / "radicals.txt", testing::radicalListText());
    testing::writeText(folder_ / "notice", "Freely redistributable.\n");
    options_.cangjie5 = folder_ / "5.db";
    options_.cangjie3 = folder_ / "3.db";
    options_.unihan = folder_ / "unihan.bz2";
    options_.radicals = folder_ / "radicals.txt";
    options_.licenses = {{"Test data", folder_ / "notice"}};
    std::filesystem::create_directory(folder_ / "out");
    options_.output = folder_ / "out" / "Lexora_Concept.mdb";
  }

  TempFolder folder_;
  BuilderOptions options_;
};

TEST_F(SmallSourceBuildTest, FileHoldsSchemaLookupsAndRecords) {
  const BuildReport report = buildLexoraDatabase(options_);
  const auto& db = options_.output;
  expectTableLayout(db);
  expectLookupContents(db);
  expectRecordsInBig5Order(db);

  EXPECT_EQ(recordOf(db, "A440"), (QueryRow{"一", "M", "一", "一"}));
  EXPECT_EQ(recordOf(db, "A4A4"), (QueryRow{"中", "L", "中", std::nullopt}));
  EXPECT_EQ(recordOf(db, "A461"), (QueryRow{"\u5140", "MU", "一山", std::nullopt}));
  EXPECT_EQ(recordOf(db, "C94A"), (QueryRow{"\uFA0C", "MU", "一山", std::nullopt}));
  EXPECT_EQ(recordOf(db, "A441"), (QueryRow{"乙", std::nullopt, std::nullopt, std::nullopt}));

  EXPECT_EQ(report.statistics.records, 13053u);
  EXPECT_EQ(report.statistics.withoutCode, 13053u - 4u);  // all but 一, 中, 兀 and its compatibility twin
  EXPECT_EQ(report.licenseFile, folder_ / "out" / "Lexora_Concept.LICENSES.txt");
  const std::string notice = fileContent(report.licenseFile);
  EXPECT_NE(notice.find("Freely redistributable."), std::string::npos);
  EXPECT_NE(notice.find((folder_ / "5.db").string()), std::string::npos);
}

// The real build from the data files Debian installs.
TEST(DebianDataBuildTest, KnownCharactersAndCounts) {
  const BuilderOptions defaults;
  for (const auto& path : {defaults.cangjie5, defaults.cangjie3, defaults.unihan, defaults.radicals})
    if (!std::filesystem::exists(path)) GTEST_SKIP() << path << " is not installed";

  TempFolder folder;
  std::ostringstream out, err;
  const auto output = folder / "Lexora_Concept.mdb";
  ASSERT_EQ(runBuilder({output.string()}, out, err), kExitBuilt) << err.str();
  EXPECT_NE(out.str().find("records:"), std::string::npos);
  expectLookupContents(output);
  expectRecordsInBig5Order(output);

  EXPECT_EQ(recordOf(output, "A440"), (QueryRow{"一", "M", "一", "一"}));
  // The radical of 中 is 丨 (radical 2), which code page 950 lacks.
  EXPECT_EQ(recordOf(output, "A4A4"), (QueryRow{"中", "L", "中", std::nullopt}));
  EXPECT_EQ(recordOf(output, "AB43"), (QueryRow{"青", "QMB", "手一月", "青"}));
  // Listed by the Cangjie table only under their canonical forms U+5140 and U+55C0.
  EXPECT_EQ(recordOf(output, "C94A"), (QueryRow{"\uFA0C", "MU", "一山", "儿"}));
  EXPECT_EQ(recordOf(output, "DDFC"), (QueryRow{"\uFA0D", "GRHNE", "土口竹弓水", "口"}));
  // 疒 has no form in code page 950; 靑 is written 青.
  EXPECT_EQ(recordOf(output, "AF66")[3], std::nullopt);  // 病
  EXPECT_EQ(recordOf(output, "C052")[3], "青");          // 靜
  EXPECT_FALSE(std::filesystem::is_empty(licensePathFor(output)));
}

}  // namespace
}  // namespace dbbuild
