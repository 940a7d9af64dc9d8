#include "platform/dao/database_connection.h"

#include <sys/stat.h>
#include <unistd.h>

#include "platform/dao/criteria/criteria.h"
#include "platform/dao/file_format.h"
#include "platform/dao/file_system_type.h"

namespace dao {

namespace {

constexpr std::size_t kMaximumCachedStatements = 256;

[[noreturn]] void refuseFile(FileKind kind, const std::string& path) {
  const std::string quoted = "'" + path + "'";
  switch (kind) {
    case FileKind::Missing: raise(error::fileNotFound, path);
    case FileKind::Directory:
      throw EngineError(error::notOurDatabase,
                        "Unrecognized database format " + quoted + ": it is a folder, not a database file.");
    case FileKind::Empty:
      throw EngineError(error::notOurDatabase, "Unrecognized database format " + quoted + ": the file is empty.");
    case FileKind::JetDatabase:
      throw EngineError(error::notOurDatabase,
                        "Unrecognized database format " + quoted +
                            ": it is a Microsoft Access (Jet) database, which this engine cannot open. "
                            "To bring it across, run: zenmora-db import " + quoted +
                            " NEW.mdb (then keep the old file elsewhere and give NEW.mdb its name).");
    case FileKind::OtherSqlite:
      throw EngineError(error::notOurDatabase,
                        "Unrecognized database format " + quoted + ": it is an SQLite database of another program.");
    case FileKind::Unreadable:
      throw EngineError(error::cannotOpenForWriting, "Cannot open " + quoted + ": you have no permission to read it.");
    default: raise(error::notOurDatabase, path);
  }
}

}  // namespace

DatabaseConnection::DatabaseConnection(PassKey, std::string path, OpenSettings settings)
    : path_(std::move(path)), settings_(settings) {}

DatabaseConnection::~DatabaseConnection() { close(); }

std::shared_ptr<DatabaseConnection> DatabaseConnection::open(const std::string& path, const OpenSettings& settings) {
  const FileKind kind = probeFile(path);
  if (kind != FileKind::OurDatabase) refuseFile(kind, path);
  if (!settings.readOnly && ::access(path.c_str(), W_OK) != 0) raise(error::cannotOpenForWriting, path);
  auto connection = std::make_shared<DatabaseConnection>(PassKey{}, path, settings);
  connection->connect();
  return connection;
}

void DatabaseConnection::connect() {
  networkFileSystem_ = networkFileSystemName(path_);
  const int flags = (settings_.readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
  try {
    sqlite_ = SqliteConnection(path_, flags);
    sqlite3_busy_timeout(sqlite_.handle(), settings_.lockTimeoutMilliseconds);
    if (!settings_.readOnly && sqlite3_db_readonly(sqlite_.handle(), "main") == 1) {
      raise(error::cannotOpenForWriting, path_);
    }
    if (settings_.exclusive) sqlite_.execute("PRAGMA locking_mode=EXCLUSIVE");
    // One statement reads what proves the file ours and whole; being the
    // first read, it takes the locks (all of them when exclusive).
    std::string journalMode;
    {
      SqliteStatement check = sqlite_.prepare(
          "SELECT a.application_id, u.user_version, j.journal_mode, "
          "(SELECT value FROM zen_info WHERE key = 'format_version') "
          "FROM pragma_application_id a, pragma_user_version u, pragma_journal_mode j");
      if (!check.step() || check.integer(0) != kApplicationId) raise(error::notOurDatabase, path_);
      if (check.integer(1) > kFormatRevision) {
        throw EngineError(error::notOurDatabase, "Unrecognized database format '" + path_ +
                                                     "': it was made by a newer version of this engine.");
      }
      if (check.isNull(3)) raise(error::damagedDatabase, path_);
      journalMode = std::string(check.text(2));
    }
    // The log's index lives in memory shared by the processes using the
    // file, which exists only on one machine: on a network file system the
    // changes go through a rollback journal straight into the file.
    const std::string wantedMode = networkFileSystem_.empty() ? "wal" : "delete";
    if (!settings_.readOnly && journalMode != wantedMode) {
      try {
        sqlite_.execute("PRAGMA journal_mode=" + wantedMode);
      } catch (const SqliteError& failure) {
        // Another connection has the file open in the other mode, which
        // cannot change under it: keep the file's mode.
        if (failure.primaryCode() != SQLITE_BUSY && failure.primaryCode() != SQLITE_LOCKED) throw;
      }
      journalMode = sqlite_.queryText("PRAGMA journal_mode");
    }
    writeAheadLog_ = journalMode == "wal";
    if (writeAheadLog_ && !settings_.readOnly) rememberLogFiles();
    // A post that reports success must survive a power cut as well as a
    // crash: every commit reaches the disk before Update returns. It costs
    // a few milliseconds per post, which a person saving a record never
    // notices.
    sqlite_.execute("PRAGMA synchronous=FULL");
    detector_ = ChangeDetector::forConnection(sqlite_, settings_.exclusive, journalMode == "wal");
    lastExternalStamp_ = detector_->stamp();
    criteria::registerCriteriaFunctions(sqlite_.handle());
  } catch (const SqliteError& failure) {
    sqlite_.close();
    switch (failure.primaryCode()) {
      case SQLITE_BUSY:
      case SQLITE_LOCKED: raise(error::fileInUse, path_);
      case SQLITE_READONLY:
      case SQLITE_PERM:
      case SQLITE_CANTOPEN: raise(error::cannotOpenForWriting, path_);
      case SQLITE_IOERR:
      case SQLITE_FULL: raise(error::diskFailure, path_);
      default: raise(error::damagedDatabase, path_);
    }
  } catch (...) {
    sqlite_.close();
    throw;
  }
}

void DatabaseConnection::close() noexcept {
  statements_.clear();
  detector_.reset();
  sqlite_.close();
}

SqliteConnection& DatabaseConnection::sql() {
  if (!sqlite_.isOpen()) raise(error::objectClosed);
  return sqlite_;
}

SqliteStatement& DatabaseConnection::statement(const std::string& sql) {
  if (!sqlite_.isOpen()) raise(error::objectClosed);
  auto found = statements_.find(sql);
  if (found == statements_.end()) {
    // Criteria searches make statements of many shapes; keep the cache bounded.
    if (statements_.size() >= kMaximumCachedStatements) statements_.clear();
    try {
      found = statements_.emplace(sql, sqlite_.prepare(sql)).first;
    } catch (const SqliteError& failure) {
      raiseSqliteFailure(failure);
    }
  }
  return found->second;
}

std::uint64_t DatabaseConnection::contentStamp() {
  if (!detector_) raise(error::objectClosed);
  const std::uint64_t external = detector_->stamp();
  if (external != lastExternalStamp_) {
    lastExternalStamp_ = external;
    ++generation_;
  }
  return generation_;
}

void DatabaseConnection::rememberLogFiles() {
  logFiles_.clear();
  for (const char* suffix : {"-wal", "-shm"}) {
    FileIdentity file{path_ + suffix};
    struct stat status {};
    // An exclusive connection keeps the index in its own memory: no "-shm".
    if (::stat(file.path.c_str(), &status) != 0) continue;
    file.device = status.st_dev;
    file.inode = status.st_ino;
    logFiles_.push_back(std::move(file));
  }
}

void DatabaseConnection::requireLogFilesUnchanged() const {
  for (const FileIdentity& file : logFiles_) {
    struct stat status {};
    if (::stat(file.path.c_str(), &status) == 0 && status.st_dev == file.device && status.st_ino == file.inode) {
      continue;
    }
    // SQLite would go on writing into the file it has open, which no other
    // program sees any more; or it and the others would keep two logs.
    throw EngineError(error::diskFailure,
                      "Disk or network error while using '" + path_ + "': its log file '" + file.path +
                          "' was deleted or replaced by another program while the database was open. The change "
                          "was not saved. Close the program and open the database again.");
  }
}

void DatabaseConnection::checkpoint() noexcept {
  // Copies the log into the database file and empties it. Waits for readers
  // through the busy handler; when they outlast it, the change stays safe
  // in the log until the next checkpoint.
  sqlite3_wal_checkpoint_v2(sqlite_.handle(), "main", SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr);
}

void DatabaseConnection::beginWrite() {
  if (settings_.readOnly) raise(error::readOnlyObject);
  if (!sqlite_.isOpen()) raise(error::objectClosed);
  requireLogFilesUnchanged();
  try {
    sql().execute("BEGIN IMMEDIATE");
  } catch (const SqliteError& failure) {
    raiseSqliteFailure(failure);
  }
}

void DatabaseConnection::commitWrite() {
  try {
    sqlite_.execute("COMMIT");
  } catch (const SqliteError& failure) {
    rollbackWrite();
    raiseSqliteFailure(failure);
  }
  ++generation_;
  if (writeAheadLog_) checkpoint();
}

void DatabaseConnection::rollbackWrite() noexcept {
  if (sqlite_.isOpen() && sqlite3_get_autocommit(sqlite_.handle()) == 0) {
    sqlite3_exec(sqlite_.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
  }
  ++generation_;
}

void DatabaseConnection::raiseSqliteFailure(const SqliteError& failure, std::string_view subject) const {
  switch (failure.primaryCode()) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED: raise(error::recordLocked);
    case SQLITE_READONLY: raise(error::readOnlyObject);
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB: raise(error::damagedDatabase, path_);
    case SQLITE_IOERR:
    case SQLITE_FULL:
    case SQLITE_CANTOPEN: raise(error::diskFailure, path_);
    case SQLITE_CONSTRAINT: {
      // SQLite names the column: "UNIQUE constraint failed: table.column".
      std::string column(subject);
      const std::string_view message = failure.what();
      if (const auto dot = message.rfind('.'); column.empty() && dot != std::string_view::npos) {
        column = std::string(message.substr(dot + 1));
      }
      if (failure.code() == SQLITE_CONSTRAINT_UNIQUE || failure.code() == SQLITE_CONSTRAINT_PRIMARYKEY) {
        raise(error::duplicateValue, column);
      }
      if (failure.code() == SQLITE_CONSTRAINT_NOTNULL) raise(error::valueRequired, column);
      break;
    }
    default: break;
  }
  raise(error::unexpected, failure.what());
}

}  // namespace dao
