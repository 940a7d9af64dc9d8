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
//  - Once write() returns, the change is in the database file itself, not
//    only in the write-ahead log: every commit is followed by a checkpoint
//    that empties the log (it waits for readers up to the lock timeout; a
//    checkpoint that still cannot finish leaves the change safe in the log,
//    and the next commit's checkpoint carries it over). Copying the
//    database file alone therefore copies every acknowledged change.
//  - The log and its index ("-wal", "-shm") must stay the files SQLite
//    opened: when another program deletes or replaces either while the
//    connection is open, every later write fails with EngineError 3043 and
//    a text saying so, instead of writing where nobody else looks.
//  - On a network or FUSE file system (file_system_type.h) the connection
//    uses a rollback journal instead of the write-ahead log (unless another
//    connection holding the file in log mode prevents the switch), and
//    networkFileSystem() names the file system; empty on a local disk.
//  - contentStamp() changes whenever a commit (this connection's or
//    another's) may have changed the file since the previous call.
//  - After close() every use throws EngineError 3420.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/dao/change_detector.h"
#include "platform/dao/engine_error.h"
#include "platform/dao/sqlite_handle.h"
#include "platform/dao/storage.h"

namespace dao {

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
  const std::string& networkFileSystem() const noexcept { return networkFileSystem_; }
  bool usesWriteAheadLog() const noexcept { return writeAheadLog_; }
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
  void rememberLogFiles();
  void requireLogFilesUnchanged() const;
  void checkpoint() noexcept;

  std::string path_;
  OpenSettings settings_;
  SqliteConnection sqlite_;
  std::unordered_map<std::string, SqliteStatement> statements_;
  std::unique_ptr<ChangeDetector> detector_;
  std::uint64_t lastExternalStamp_ = 0;
  std::uint64_t generation_ = 0;
  std::string networkFileSystem_;
  bool writeAheadLog_ = false;
  struct FileIdentity {
    std::string path;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
  };
  std::vector<FileIdentity> logFiles_;
};

}  // namespace dao
