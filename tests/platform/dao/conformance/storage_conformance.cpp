#include "tests/platform/dao/conformance/storage_conformance.h"

#include "platform/dao/dao_database.h"
#include "schema/engine_tables.h"
#include "schema/schema.h"

namespace conformance {

using automation::ObjectRef;

std::vector<enginetest::Person> numberedPeople(int count) {
  std::vector<enginetest::Person> people;
  for (int i = 1; i <= count; ++i) people.push_back({"P" + std::to_string(i), i, "C" + std::to_string(i)});
  return people;
}

std::vector<SeedTable> programTables(const std::vector<enginetest::Person>& people) {
  std::vector<SeedTable> tables;
  for (const schema::TableDefinition& table : schema::allTables()) {
    SeedTable seed{schema::engineTableDefinition(table), {}, {}};
    for (const dao::ColumnDefinition& column : seed.definition.columns) {
      if (!column.autoIncrement) seed.columns.push_back(column.name);
    }
    for (int row = 1; row <= 3; ++row) {
      std::vector<dao::CellValue> cells;
      for (const std::string& name : seed.columns) {
        const dao::ColumnDefinition& column = *std::find_if(
            seed.definition.columns.begin(), seed.definition.columns.end(),
            [&](const dao::ColumnDefinition& c) { return c.name == name; });
        if (column.type == dao::dbLong) {
          cells.emplace_back(std::to_string(row));
        } else {
          std::string text = "r" + std::to_string(row);
          if (column.size > 0 && text.size() > static_cast<std::size_t>(column.size)) text.resize(column.size);
          cells.emplace_back(text);
        }
      }
      seed.rows.push_back(std::move(cells));
    }
    tables.push_back(std::move(seed));
  }
  SeedTable peopleTable{enginetest::peopleTable(), {"Name", "Age", "Code"}, {}};
  for (const enginetest::Person& person : people) {
    peopleTable.rows.push_back({person.name, person.age ? dao::CellValue(std::to_string(*person.age)) : std::nullopt,
                                person.code.empty() ? std::nullopt : dao::CellValue(person.code)});
  }
  tables.push_back(std::move(peopleTable));
  return tables;
}

void StorageTest::SetUp() { database = GetParam().make(); }

void StorageTest::createPeople(const std::vector<enginetest::Person>& people) { database->create(programTables(people)); }

ObjectRef StorageTest::openDatabase(bool readOnly) {
  // The settings a program's session uses, with a short wait for locks.
  dao::OpenSettings settings;
  settings.readOnly = readOnly;
  settings.lockTimeoutMilliseconds = 200;
  return std::make_shared<dao::DaoDatabase>(std::make_shared<dao::ErrorLog>(), database->open(settings), "");
}

ObjectRef StorageTest::openTable(const std::string& table) {
  return openDatabase()->getObject("OpenRecordset", {table, 2, 0, 3});
}

std::vector<StorageTest::Row> StorageTest::storedRows() {
  ObjectRef recordset = openTable();
  std::vector<Row> rows;
  while (!recordset->get("EOF").asBoolean()) {
    rows.push_back({enginetest::fieldValue(recordset, "Name").asText(), enginetest::fieldValue(recordset, "Age")});
    recordset->call("MoveNext");
  }
  return rows;
}

std::string kindName(const ::testing::TestParamInfo<StorageKind>& info) { return info.param.name; }

}  // namespace conformance
