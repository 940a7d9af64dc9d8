#pragma once
// One open database file of the engine: the SQLite connection with the
// engine's settings, its prepared statements, and the rules for writing.
//
// Contract:
//  - open() checks the file before SQLite touches it, and refuses (without
//    changing a byte) what is not a database of ours: EngineError 3024 for a
//    missing file, 3343 for an empty file, a folder, an Access (Jet) file (the
//    text says so), an SQLite file of another program or anything else, 3051
//    for a file that cannot be read, or cannot be written when not opened
//    read-only, 3049 for a damaged file of ours, 3045 when the file is held
//    exclusively by another connection, or when an exclusive open finds it in
//    use. Waits for locks up to the lock timeout before giving up.
//  - Read-only connections never write to the database file.
//  - Every write runs in write() as one transaction begun as a writer at once
//    (BEGIN IMMEDIATE, so a reader never has to upgrade its snapshot, which
//    SQLite refuses with SQLITE_BUSY_SNAPSHOT); a writer that finds the file
//    locked waits up to the lock timeout, then fails with 3218. If the work
//    throws, the transaction is rolled back and nothing is changed.
//  - contentStamp() changes whenever a commit (this connection's or
//    another's) may have changed the file since the previous call.
//  - After close() every use throws EngineError 3420.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/dao/change_detector.h"
#include "platform/dao/engine_error.h"
#include "platform/dao/sqlite_handle.h"

namespace dao {

struct OpenSettings {
  bool exclusive = false;
  bool readOnly = false;
  int lockTimeoutMilliseconds = 5000;
};

class DatabaseConnection {
 public:
  static std::shared_ptr<DatabaseConnection> open(const std::string& path, const OpenSettings& settings);
  ~DatabaseConnection();
  DatabaseConnection(const DatabaseConnection&) = delete;
  DatabaseConnection& operator=(const DatabaseConnection&) = delete;

  const std::string& path() const noexcept { return path_; }
  bool isReadOnly() const noexcept { return settings_.readOnly; }
  bool isExclusive() const noexcept { return settings_.exclusive; }
  bool isOpen() const noexcept { return sqlite_.isOpen(); }
  void close() noexcept;

  SqliteConnection& sql();
  // A prepared statement kept for the connection's lifetime; reset it after use (StatementUse).
  SqliteStatement& statement(const std::string& sql);
  std::uint64_t contentStamp();

  template <class Work>
  void write(Work&& work) {
    beginWrite();
    try {
      work();
    } catch (...) {
      rollbackWrite();
      throw;
    }
    commitWrite();
  }

  // The engine's error for an SQLite failure, naming `subject` (a field or
  // the file) where the description has a place for it.
  [[noreturn]] void raiseSqliteFailure(const SqliteError& failure, std::string_view subject = {}) const;

 private:
  struct PassKey {};

 public:
  DatabaseConnection(PassKey, std::string path, OpenSettings settings);

 private:
  void connect();
  void beginWrite();
  void commitWrite();
  void rollbackWrite() noexcept;

  std::string path_;
  OpenSettings settings_;
  SqliteConnection sqlite_;
  std::unordered_map<std::string, SqliteStatement> statements_;
  std::unique_ptr<ChangeDetector> detector_;
  std::uint64_t lastExternalStamp_ = 0;
  std::uint64_t generation_ = 0;
};

}  // namespace dao
