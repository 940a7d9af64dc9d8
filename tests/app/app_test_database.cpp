#include "tests/app/app_test_database.h"

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>

#include "classify/lookup_tables.h"
#include "platform/dao/database_builder.h"
#include "schema/engine_tables.h"

namespace {

// The first characters of Big5's frequent-character range, with their codes.
struct Character {
  const char* word;
  const char* hex;
  const char* code;  // Cangjie
};
constexpr Character kCharacters[] = {
    {"一", "A440", "M"},  {"乙", "A441", "NU"},  {"丁", "A442", "MN"},  {"七", "A443", "JU"},
    {"乃", "A444", "NHS"}, {"九", "A445", "KN"}, {"了", "A446", "NN"},  {"二", "A447", "MM"},
    {"人", "A448", "O"},  {"儿", "A449", "HU"},
};

}  // namespace

AppTestDatabase::AppTestDatabase(int characters, const std::vector<std::string_view>& leaveOut) {
  std::string pattern = (std::filesystem::temp_directory_path() / "zen-app-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a temporary folder");
  folder_ = pattern;
  dao::DatabaseBuilder builder = dao::DatabaseBuilder::createNew(path());
  for (const schema::TableDefinition& table : schema::allTables()) {
    if (std::find(leaveOut.begin(), leaveOut.end(), table.name) != leaveOut.end()) continue;
    builder.createTable(schema::engineTableDefinition(table));
  }
  std::vector<std::vector<dao::CellValue>> rows;
  for (int i = 0; i < characters && i < static_cast<int>(std::size(kCharacters)); ++i) {
    rows.push_back({kCharacters[i].word, kCharacters[i].hex, kCharacters[i].code});
  }
  if (!rows.empty()) builder.insertRows(std::string(schema::tables::DataInput), {"B5_Word", "B5_Hex", "CJ_Code"}, rows);
  // The lookup tables hold what the classification lists need.
  for (const classify::LookupTableContent& table : classify::lookupTableContents()) {
    if (std::find(leaveOut.begin(), leaveOut.end(), table.table) != leaveOut.end()) continue;
    std::vector<std::string> columns;
    for (const auto& column : table.columns) columns.push_back(column.column);
    std::vector<std::vector<dao::CellValue>> values(static_cast<std::size_t>(table.rowCount));
    for (std::size_t row = 0; row < values.size(); ++row)
      for (const auto& column : table.columns) values[row].push_back(column.rows[row]);
    builder.insertRows(std::string(table.table), columns, values);
  }
  builder.commit();
  previousDirectory_ = std::filesystem::current_path().string();
  std::filesystem::current_path(folder_);
}

AppTestDatabase::~AppTestDatabase() {
  std::error_code ignored;
  std::filesystem::current_path(previousDirectory_, ignored);
  std::filesystem::remove_all(folder_, ignored);
}
