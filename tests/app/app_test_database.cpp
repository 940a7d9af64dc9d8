#include "tests/app/app_test_database.h"

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>

#include "platform/dao/database_builder.h"
#include "schema/schema.h"

namespace {

dao::TableDefinition TableOf(const schema::TableDefinition& table) {
  dao::TableDefinition definition;
  definition.name = std::string(table.name);
  for (const schema::FieldDefinition& field : table.fields) {
    dao::ColumnDefinition column;
    column.name = std::string(field.name);
    switch (field.type) {
      case schema::FieldType::AutoInc:
        column.type = dao::dbLong;
        column.autoIncrement = true;
        break;
      case schema::FieldType::String:
        column.type = dao::dbText;
        column.size = field.size;
        break;
      case schema::FieldType::Memo: column.type = dao::dbMemo; break;
      case schema::FieldType::Integer: column.type = dao::dbLong; break;
    }
    definition.columns.push_back(column);
  }
  return definition;
}

// The first characters of Big5's frequent-character range, with their codes.
constexpr std::pair<const char*, const char*> kCharacters[] = {
    {"一", "A440"}, {"乙", "A441"}, {"丁", "A442"}, {"七", "A443"}, {"乃", "A444"},
    {"九", "A445"}, {"了", "A446"}, {"二", "A447"}, {"人", "A448"}, {"儿", "A449"},
};

}  // namespace

AppTestDatabase::AppTestDatabase(int characters, const std::vector<std::string_view>& leaveOut) {
  std::string pattern = (std::filesystem::temp_directory_path() / "zen-app-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a temporary folder");
  folder_ = pattern;
  dao::DatabaseBuilder builder = dao::DatabaseBuilder::createNew(path());
  for (const schema::TableDefinition& table : schema::allTables()) {
    if (std::find(leaveOut.begin(), leaveOut.end(), table.name) != leaveOut.end()) continue;
    builder.createTable(TableOf(table));
  }
  std::vector<std::vector<dao::CellValue>> rows;
  for (int i = 0; i < characters && i < static_cast<int>(std::size(kCharacters)); ++i) {
    rows.push_back({kCharacters[i].first, kCharacters[i].second});
  }
  if (!rows.empty()) builder.insertRows(std::string(schema::tables::DataInput), {"B5_Word", "B5_Hex"}, rows);
  builder.commit();
  previousDirectory_ = std::filesystem::current_path().string();
  std::filesystem::current_path(folder_);
}

AppTestDatabase::~AppTestDatabase() {
  std::error_code ignored;
  std::filesystem::current_path(previousDirectory_, ignored);
  std::filesystem::remove_all(folder_, ignored);
}
