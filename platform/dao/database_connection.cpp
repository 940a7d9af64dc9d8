#include "platform/dao/database_connection.h"

#include <unistd.h>

#include "platform/dao/criteria.h"
#include "platform/dao/file_format.h"

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
    if (!settings_.readOnly && journalMode != "wal") {
      sqlite_.execute("PRAGMA journal_mode=WAL");
      journalMode = sqlite_.queryText("PRAGMA journal_mode");
    }
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

void DatabaseConnection::beginWrite() {
  if (settings_.readOnly) raise(error::readOnlyObject);
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
