#pragma once
// Shared by the engine's tests: a temporary folder per test, small databases
// made with the DatabaseBuilder, an engine session reached the way the
// program reaches it (ProgID, workspace, OpenDatabase), and assertions on
// the engine's errors by number and text.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/automation/automation_object.h"
#include "platform/automation/class_registry.h"
#include "platform/automation/ole_exception.h"
#include "platform/automation/com_init.h"
#include "platform/dao/database_builder.h"

namespace enginetest {

class TemporaryFolder {
 public:
  TemporaryFolder();
  ~TemporaryFolder();
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::string file(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// "People": ID (auto-increment), Name Text(10) required, Age Long,
// Code Text(8) unique and indexed, Note Memo, Stamp Date with format
// "Short Time". Rows are given as {Name, Age, Code}.
dao::TableDefinition peopleTable();
struct Person {
  std::string name;
  std::optional<int> age;
  std::string code;
};
void createPeopleDatabase(const std::string& path, const std::vector<Person>& people);
// A database with "People" holding `count` rows named "P<n>", age n, code "C<n>".
void createNumberedPeople(const std::string& path, int count);

// One engine, workspace and database, opened as the program opens them.
struct EngineSession {
  explicit EngineSession(const std::string& path, bool exclusive = false, bool readOnly = false);
  automation::ObjectRef openTable(const std::string& table = "People");

  automation::ScopedComInitialization com;
  automation::ObjectRef engine;
  automation::ObjectRef workspace;
  automation::ObjectRef database;
};

// Value of field `name` of the recordset's current row.
automation::Variant fieldValue(const automation::ObjectRef& recordset, const std::string& name);
void setField(const automation::ObjectRef& recordset, const std::string& name, const automation::Variant& value);

// Runs `call`, expecting the engine's EOleException with this number and text.
void expectEngineError(const std::function<void()>& call, int number, const std::string& description);

// The file's bytes (empty for a missing file); for "unchanged" checks.
std::string fileBytes(const std::string& path);

}  // namespace enginetest
