#include "tests/import/import_test_support.h"

#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace jettest {

ScratchFolder::ScratchFolder() {
  std::random_device entropy;
  folder_ = std::filesystem::temp_directory_path() /
            ("zenmora-import-" + std::to_string(::getpid()) + "-" + std::to_string(entropy()));
  std::filesystem::create_directories(folder_);
}

ScratchFolder::~ScratchFolder() {
  std::error_code ec;
  std::filesystem::remove_all(folder_, ec);
}

std::vector<std::string> ScratchFolder::names() const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder_)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

ImportRun runImport(jetimport::ImportCommand command) {
  std::ostringstream out;
  std::ostringstream err;
  ImportRun run;
  run.exitCode = jetimport::runGuardedImport(command, out, err);
  run.out = out.str();
  run.err = err.str();
  return run;
}

std::string readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

std::vector<std::vector<std::optional<std::string>>> query(const std::string& database, const std::string& sql) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    throw std::runtime_error("cannot open " + database);
  }
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
    const std::string message = sqlite3_errmsg(db);
    sqlite3_close(db);
    throw std::runtime_error(message);
  }
  std::vector<std::vector<std::optional<std::string>>> rows;
  while (sqlite3_step(statement) == SQLITE_ROW) {
    std::vector<std::optional<std::string>> row;
    for (int c = 0; c < sqlite3_column_count(statement); ++c) {
      if (sqlite3_column_type(statement, c) == SQLITE_NULL) {
        row.emplace_back(std::nullopt);
      } else {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_blob(statement, c));
        row.emplace_back(std::string(text ? text : "", static_cast<std::size_t>(sqlite3_column_bytes(statement, c))));
      }
    }
    rows.push_back(std::move(row));
  }
  sqlite3_finalize(statement);
  sqlite3_close(db);
  return rows;
}

}  // namespace jettest
