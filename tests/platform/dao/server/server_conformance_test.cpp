// The engine's conformance suites over the server storage: each test gets a
// database of its own on the throwaway server, made with the server schema
// and filled through the storage itself.
#include "platform/dao/column_value.h"
#include "platform/dao/server/server_schema.h"
#include "platform/dao/server/server_storage.h"
#include "tests/platform/dao/conformance/storage_conformance.h"
#include "tests/platform/dao/server/server_test_support.h"

namespace {

class ServerTestDatabase final : public conformance::TestDatabase {
 public:
  void create(const std::vector<conformance::SeedTable>& tables) override {
    std::vector<dao::TableDefinition> definitions;
    for (const conformance::SeedTable& table : tables) definitions.push_back(table.definition);
    servertest::createServerDatabase(database_, definitions);
    dao::server::ServerStorage storage(database_.connectionString(), {});
    for (const conformance::SeedTable& table : tables) {
      const auto schema = storage.loadTableSchema(table.definition.name);
      const auto rows = storage.openTable(schema);
      std::vector<std::size_t> given;
      for (const std::string& name : table.columns) given.push_back(*schema->findColumn(name));
      for (const std::vector<dao::CellValue>& row : table.rows) {
        // As the builder stores them: converted and checked as Update does,
        // fields not given at their defaults.
        std::vector<automation::Variant> values;
        for (const dao::ColumnSchema& column : schema->columns) values.push_back(dao::defaultValueOf(column));
        for (std::size_t i = 0; i < given.size(); ++i) {
          const dao::ColumnSchema& column = schema->columns[given[i]];
          values[given[i]] = row[i] ? dao::toStoredValue(automation::Variant(*row[i]), column)
                                    : automation::Variant::null();
          dao::checkStoredValue(values[given[i]], column);
        }
        rows->insert(values);
      }
    }
  }

  std::shared_ptr<dao::Storage> open(const dao::OpenSettings& settings) override {
    return dao::server::openServerStorage(database_.connectionString(), settings);
  }

  void execute(const std::string& sql) override {
    postgres::PostgresConnection other = database_.connect();
    other.execute(sql);
  }

 private:
  servertest::ScratchDatabase database_;
};

std::unique_ptr<conformance::TestDatabase> makeServerDatabase() { return std::make_unique<ServerTestDatabase>(); }

}  // namespace

ZEN_INSTANTIATE_STORAGE_CONFORMANCE(Server, (conformance::StorageKind{"Server", makeServerDatabase}));
