#include "tests/data/data_test_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "framework/DbErrors.h"
#include "platform/automation/class_registry.h"
#include "platform/automation/ole_exception.h"
#include "platform/big5/big5.h"

namespace datatest {

using automation::ObjectRef;
using automation::Variant;

TemporaryFolder::TemporaryFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "zen-data-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a temporary folder");
  path_ = pattern;
}

TemporaryFolder::~TemporaryFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

ScopedCurrentDirectory::ScopedCurrentDirectory(const std::filesystem::path& directory)
    : previous_(std::filesystem::current_path()) {
  std::filesystem::current_path(directory);
}

ScopedCurrentDirectory::~ScopedCurrentDirectory() {
  std::error_code ignored;
  std::filesystem::current_path(previous_, ignored);
}

std::string B5(const std::string& utf8) { return big5::fromUtf8(utf8); }
std::string U8(const std::string& big5Text) { return big5::toUtf8Lenient(big5Text); }

dao::TableDefinition WordsTable() {
  dao::TableDefinition table;
  table.name = "Words";
  table.columns = {
      {.name = "ID", .type = dao::dbLong, .autoIncrement = true},
      {.name = "B5_Word", .type = dao::dbText, .size = 8},
      {.name = "B5_Hex", .type = dao::dbText, .size = 32, .indexed = true},
      {.name = "Code", .type = dao::dbText, .size = 8, .unique = true},
      {.name = "Amount", .type = dao::dbLong, .defaultValue = "0"},
      {.name = "Note", .type = dao::dbMemo},
      {.name = "Loose", .type = dao::dbText, .size = 0},
  };
  return table;
}

dao::TableDefinition LookupTable() {
  dao::TableDefinition table;
  table.name = "Lookup";
  table.columns = {
      {.name = "ID", .type = dao::dbLong, .autoIncrement = true},
      {.name = "Col01", .type = dao::dbText, .size = 16},
      {.name = "Col02", .type = dao::dbText, .size = 16},
      {.name = "Binary", .type = dao::dbLong},
  };
  return table;
}

void CreateDatabase(const std::string& path, const std::vector<Word>& words,
                    const std::vector<std::pair<std::string, std::string>>& lookup) {
  dao::DatabaseBuilder builder = dao::DatabaseBuilder::createNew(path);
  builder.createTable(WordsTable());
  builder.createTable(LookupTable());
  std::vector<std::vector<dao::CellValue>> rows;
  for (const Word& word : words) rows.push_back({word.word, word.hex, word.code, word.amount, word.note});
  if (!rows.empty()) builder.insertRows("Words", {"B5_Word", "B5_Hex", "Code", "Amount", "Note"}, rows);
  rows.clear();
  for (const auto& [first, second] : lookup) rows.push_back({first, second});
  if (!rows.empty()) builder.insertRows("Lookup", {"Col01", "Col02"}, rows);
  builder.commit();
}

void CreateNumberedWords(const std::string& path, int count) {
  std::vector<Word> words;
  for (int i = 1; i <= count; ++i) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "A4%02X", i);
    words.push_back({"W" + std::to_string(i), hex, "C" + std::to_string(i), std::to_string(i), std::nullopt});
  }
  CreateDatabase(path, words);
}

Form::Form(const std::string& path) {
  database = std::make_unique<data::TOrvDaoDatabase>("OrvDaoDatabase1", &owner);
  database->SetDatabase(path);
  database->SetConnected(true);
}

Form::~Form() {
  tables.clear();
  database.reset();
}

data::TOrvDaoTable& Form::OpenTable(const std::string& tableName, const std::string& name) {
  auto table = std::make_unique<data::TOrvDaoTable>(name, &owner);
  table->SetDatabase(database.get());
  table->SetTableName(tableName);
  table->Open();
  tables.push_back(std::move(table));
  return *tables.back();
}

OtherUser::OtherUser(const std::string& path) {
  engine_ = automation::createOleObject("DAO.DBEngine.36");
  engine_->put("LockTimeout", 200);
  ObjectRef workspace = engine_->getObject("CreateWorkspace", {"Other", "Admin", "", 2});
  database_ = workspace->getObject("OpenDatabase", {path, false, false, ";UID=Admin;PWD=;"});
}

ObjectRef OtherUser::Open(const std::string& table, int row) {
  ObjectRef recordset = database_->getObject("OpenRecordset", {table, 2, 0, 3});
  if (row > 0) recordset->call("Move", {row});
  return recordset;
}

std::vector<std::optional<std::string>> OtherUser::Column(const std::string& table, const std::string& field) {
  std::vector<std::optional<std::string>> values;
  ObjectRef recordset = database_->getObject("OpenRecordset", {table, 2, 0, 3});
  while (!recordset->get("EOF").asBoolean()) {
    const Variant value = recordset->getObject("Fields", {field})->get("Value");
    values.push_back(value.isNull() ? std::nullopt : std::optional<std::string>(value.asText()));
    recordset->call("MoveNext");
  }
  recordset->call("Close");
  return values;
}

int OtherUser::RowCount(const std::string& table) {
  ObjectRef recordset = database_->getObject("OpenRecordset", {table, 2, 0, 3});
  if (recordset->get("EOF").asBoolean()) return 0;
  recordset->call("MoveLast");
  return recordset->get("RecordCount").asInt32();
}

void OtherUser::SetValue(const std::string& table, int row, const std::string& field, const Variant& value) {
  ObjectRef recordset = Open(table, row);
  recordset->call("Edit");
  recordset->getObject("Fields", {field})->put("Value", value);
  recordset->call("Update");
  recordset->call("Close");
}

void OtherUser::DeleteRow(const std::string& table, int row) {
  ObjectRef recordset = Open(table, row);
  recordset->call("Delete");
  recordset->call("Close");
}

void ExpectEngineError(const std::function<void()>& call, int number, const std::string& description) {
  try {
    call();
    ADD_FAILURE() << "expected engine error " << number << " (" << description << ")";
  } catch (const automation::EOleException& error) {
    EXPECT_EQ(error.errorNumber(), number) << error.what();
    EXPECT_EQ(std::string(error.what()), description);
  }
}

void ExpectDatabaseError(const std::function<void()>& call, const std::string& message) {
  try {
    call();
    ADD_FAILURE() << "expected EDatabaseError \"" << message << "\"";
  } catch (const framework::EDatabaseError& error) {
    EXPECT_EQ(std::string(error.what()), message);
  }
}

std::string Text(data::TOrvDaoTable& table, const std::string& field) { return table.FieldByName(field).AsString(); }

}  // namespace datatest
