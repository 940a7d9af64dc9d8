#include "tests/platform/dao/engine_test_support.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/automation/class_registry.h"
#include "platform/automation/ole_exception.h"

namespace enginetest {

using automation::Variant;

TemporaryFolder::TemporaryFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "zen-engine-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a temporary folder");
  path_ = pattern;
}

TemporaryFolder::~TemporaryFolder() {
  std::error_code ignored;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ignored);
  std::filesystem::remove_all(path_, ignored);
}

dao::TableDefinition peopleTable() {
  dao::TableDefinition table;
  table.name = "People";
  table.columns = {
      {.name = "ID", .type = dao::dbLong, .autoIncrement = true},
      {.name = "Name", .type = dao::dbText, .size = 10, .required = true},
      {.name = "Age", .type = dao::dbLong, .defaultValue = "0"},
      {.name = "Code", .type = dao::dbText, .size = 8, .unique = true, .indexed = true},
      {.name = "Note", .type = dao::dbMemo},
      {.name = "Stamp", .type = dao::dbDate, .format = "Short Time"},
  };
  return table;
}

void createPeopleDatabase(const std::string& path, const std::vector<Person>& people) {
  dao::DatabaseBuilder builder = dao::DatabaseBuilder::createNew(path);
  builder.createTable(peopleTable());
  std::vector<std::vector<dao::CellValue>> rows;
  for (const Person& person : people) {
    rows.push_back({person.name, person.age ? dao::CellValue(std::to_string(*person.age)) : std::nullopt,
                    person.code.empty() ? std::nullopt : dao::CellValue(person.code)});
  }
  builder.insertRows("People", {"Name", "Age", "Code"}, rows);
  builder.commit();
}

void createNumberedPeople(const std::string& path, int count) {
  std::vector<Person> people;
  for (int i = 1; i <= count; ++i) people.push_back({"P" + std::to_string(i), i, "C" + std::to_string(i)});
  createPeopleDatabase(path, people);
}

EngineSession::EngineSession(const std::string& path, bool exclusive, bool readOnly) {
  engine = automation::createOleObject("DAO.DBEngine.36");
  engine->put("LockTimeout", 200);
  workspace = engine->getObject("CreateWorkspace", {"TestWorkspace", "Admin", "", 2});
  engine->getObject("Workspaces")->call("Append", {workspace});
  database = workspace->getObject("OpenDatabase", {path, exclusive, readOnly, ";UID=Admin;PWD=;"});
}

automation::ObjectRef EngineSession::openTable(const std::string& table) {
  return database->getObject("OpenRecordset", {table, 2, 0, 3});
}

Variant fieldValue(const automation::ObjectRef& recordset, const std::string& name) {
  return recordset->getObject("Fields", {name})->get("Value");
}

void setField(const automation::ObjectRef& recordset, const std::string& name, const Variant& value) {
  recordset->getObject("Fields", {name})->put("Value", value);
}

void expectEngineError(const std::function<void()>& call, int number, const std::string& description) {
  try {
    call();
    ADD_FAILURE() << "expected engine error " << number << " (" << description << ")";
  } catch (const automation::EOleException& error) {
    EXPECT_EQ(error.errorNumber(), number) << error.what();
    EXPECT_EQ(std::string(error.what()), description);
    EXPECT_EQ(error.errorCode(), automation::hresult::fromServerError(number));
  }
}

std::string fileBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

}  // namespace enginetest
