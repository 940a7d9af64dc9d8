#pragma once
// The file side of a copy.
//
// FileReader reads a database file of the program's own format without
// changing it: its tables in order of creation and their rows in key order,
// in one read transaction, so what it reads is one consistent state.
// A path that is no database of ours is refused with CopyError.
//
// FileWriter writes a new database file through DatabaseBuilder. The file
// is built under a temporary name beside the target, synced, then read
// back and checked (SQLite's integrity check, row counts and checksums
// equal to what the caller expects) and only then given its name. A target
// that exists is refused before anything is written and is never replaced;
// a writer destroyed before finish() leaves nothing behind.
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/dao/database_builder.h"
#include "platform/dao/sqlite_handle.h"
#include "tools/dbcopy/copy_model.h"

namespace dbcopy {

class FileReader {
 public:
  explicit FileReader(const std::string& path);
  const std::vector<Table>& tables() const noexcept { return tables_; }
  // The highest key ever handed out for the table (kept by the file even
  // when the rows holding it were deleted); 0 when none.
  std::int64_t highestKeyUsed(const Table& table);
  void readRows(const Table& table, const std::function<void(const Row&)>& consume);
  // SQLite's own integrity check; the first problem, empty when none.
  std::string integrityProblem();

 private:
  std::string path_;
  dao::SqliteConnection sql_;
  std::vector<Table> tables_;
};

class FileWriter {
 public:
  explicit FileWriter(const std::string& target);
  ~FileWriter();
  FileWriter(const FileWriter&) = delete;
  FileWriter& operator=(const FileWriter&) = delete;

  void createTable(const Table& table);
  void insertRows(const Table& table, const std::vector<Row>& rows);
  void keepKeysAbove(const Table& table, std::int64_t highestUsed);
  // Commits, checks the written file against `expected` (per table name,
  // every table of the file) and gives it the target's name.
  void finish(const std::map<std::string, TableChecksum>& expected);

 private:
  std::string target_;
  std::string building_;
  std::unique_ptr<dao::DatabaseBuilder> builder_;
  bool finished_ = false;
};

}  // namespace dbcopy
