#pragma once
// The engine's behaviour over any storage: one GoogleTest suite, run once
// per kind of storage. Each kind supplies a TestDatabase (a fresh database
// per test, opened as many times as a test needs, i.e. several programs on
// one database) and instantiates the suites with
//
//     ZEN_INSTANTIATE_STORAGE_CONFORMANCE(Server, (conformance::StorageKind{"Server", makeServerDatabase}));
//
// in a test source of its own that links zen_storage_conformance.
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <memory>
#include <string>
#include <vector>

#include "platform/automation/automation_object.h"
#include "platform/automation/com_init.h"
#include "platform/dao/database_builder.h"
#include "platform/dao/storage.h"
#include "tests/platform/dao/engine_test_support.h"

namespace conformance {

// A table to create and the rows to put in it, in order (keys 1, 2, ...).
struct SeedTable {
  dao::TableDefinition definition;
  std::vector<std::string> columns;  // the columns each row gives; never the auto-increment one
  std::vector<std::vector<dao::CellValue>> rows;
};

// One database of one kind of storage, made for one test.
class TestDatabase {
 public:
  virtual ~TestDatabase() = default;
  // Creates the database with these tables and rows (called once).
  virtual void create(const std::vector<SeedTable>& tables) = 0;
  // A new, independent connection to it.
  virtual std::shared_ptr<dao::Storage> open(const dao::OpenSettings& settings) = 0;
  // Runs one SQL statement on the database outside the engine, as another
  // program would. The tests write statements both SQLite and PostgreSQL
  // take: identifiers in double quotes, texts in single quotes.
  virtual void execute(const std::string& sql) = 0;
};

struct StorageKind {
  std::string name;  // letters and digits: it names the instantiated tests
  std::function<std::unique_ptr<TestDatabase>()> make;
};

// GoogleTest names the kind in messages by this.
inline void PrintTo(const StorageKind& kind, std::ostream* out) { *out << kind.name; }

// The program's six tables (schema/) with a few rows each, then "People"
// (enginetest::peopleTable) with `people`.
std::vector<SeedTable> programTables(const std::vector<enginetest::Person>& people);
// People named "P<n>", age n, code "C<n>", for n = 1..count.
std::vector<enginetest::Person> numberedPeople(int count);

struct StoredRow {
  std::string name;
  automation::Variant age;
  bool operator==(const StoredRow&) const = default;
};

// Every suite's base: the storage kind's database, and programs on it
// reached through the automation surface (a Database object over a storage).
class StorageTest : public ::testing::TestWithParam<StorageKind> {
 protected:
  void SetUp() override;
  void createPeople(const std::vector<enginetest::Person>& people);
  void createNumberedPeople(int count) { createPeople(numberedPeople(count)); }
  // A Database object over a new connection (another program each time).
  automation::ObjectRef openDatabase(bool readOnly = false);
  // A dynaset of the table on a new connection.
  automation::ObjectRef openTable(const std::string& table = "People");
  // Names and ages of every row of "People" as a fresh connection sees them.
  using Row = StoredRow;
  std::vector<Row> storedRows();

  std::unique_ptr<TestDatabase> database;
  automation::ScopedComInitialization com;
};

std::string kindName(const ::testing::TestParamInfo<StorageKind>& info);

}  // namespace conformance

// The suites (see the *_conformance.cpp files); GoogleTest pastes their
// names into identifiers, so they live outside any namespace.
class StorageNavigation : public conformance::StorageTest {};
class StorageEditing : public conformance::StorageTest {};
class StorageFindFirst : public conformance::StorageTest {};
class StorageTwoPrograms : public conformance::StorageTest {};
class StorageDatabase : public conformance::StorageTest {};

#define ZEN_INSTANTIATE_STORAGE_CONFORMANCE(prefix, kind)                                                              \
  INSTANTIATE_TEST_SUITE_P(prefix, StorageNavigation, ::testing::Values(kind), ::conformance::kindName);            \
  INSTANTIATE_TEST_SUITE_P(prefix, StorageEditing, ::testing::Values(kind), ::conformance::kindName);               \
  INSTANTIATE_TEST_SUITE_P(prefix, StorageFindFirst, ::testing::Values(kind), ::conformance::kindName);             \
  INSTANTIATE_TEST_SUITE_P(prefix, StorageTwoPrograms, ::testing::Values(kind), ::conformance::kindName);           \
  INSTANTIATE_TEST_SUITE_P(prefix, StorageDatabase, ::testing::Values(kind), ::conformance::kindName)
