#include "tests/platform/dao/conformance/file_test_database.h"

#include <sqlite3.h>

#include <stdexcept>

#include "platform/dao/file_storage.h"

namespace conformance {

namespace {

class FileTestDatabase final : public TestDatabase {
 public:
  void create(const std::vector<SeedTable>& tables) override {
    dao::DatabaseBuilder builder = dao::DatabaseBuilder::createNew(path_);
    for (const SeedTable& table : tables) {
      builder.createTable(table.definition);
      if (!table.rows.empty()) builder.insertRows(table.definition.name, table.columns, table.rows);
    }
    builder.commit();
  }

  std::shared_ptr<dao::Storage> open(const dao::OpenSettings& settings) override {
    return dao::FileStorage::open(path_, settings);
  }

  void execute(const std::string& sql) override {
    sqlite3* other = nullptr;
    if (sqlite3_open(path_.c_str(), &other) != SQLITE_OK) {
      sqlite3_close(other);
      throw std::runtime_error("cannot open " + path_);
    }
    char* message = nullptr;
    const int result = sqlite3_exec(other, sql.c_str(), nullptr, nullptr, &message);
    const std::string text = message != nullptr ? message : "";
    sqlite3_free(message);
    sqlite3_close(other);
    if (result != SQLITE_OK) throw std::runtime_error(sql + ": " + text);
  }

 private:
  enginetest::TemporaryFolder folder_;
  std::string path_ = folder_.file("conformance.mdb");
};

}  // namespace

std::unique_ptr<TestDatabase> makeFileDatabase() { return std::make_unique<FileTestDatabase>(); }

}  // namespace conformance
