#include "tools/dbcopy/file_database.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "platform/dao/engine_error.h"
#include "platform/dao/file_format.h"
#include "tools/dbcopy/copy_error.h"

namespace dbcopy {

namespace {

using dao::quoteIdentifier;

Value storedValue(const dao::SqliteStatement& row, int index, const Table& table, std::size_t field, std::int64_t key) {
  const int type = row.columnType(index);
  if (type == SQLITE_NULL) return Value::null();
  const dao::ColumnDefinition& column = table.definition.columns[field];
  const auto wrong = [&]() -> CopyError {
    return CopyError("the file holds a value of the wrong kind in table " + table.definition.name + ", field " +
                     column.name + ", row " + std::to_string(key));
  };
  switch (valueClassOf(column.type)) {
    case ValueClass::Boolean:
      if (type != SQLITE_INTEGER) throw wrong();
      return Value::ofInteger(row.integer(index) != 0 ? -1 : 0);
    case ValueClass::SmallInteger:
    case ValueClass::Integer:
    case ValueClass::BigInteger:
      if (type != SQLITE_INTEGER) throw wrong();
      return Value::ofInteger(row.integer(index));
    case ValueClass::Single:
    case ValueClass::Double:
      if (type != SQLITE_INTEGER && type != SQLITE_FLOAT) throw wrong();
      return Value::ofReal(row.real(index));
    case ValueClass::Text:
      if (type != SQLITE_TEXT) throw wrong();
      return Value::ofText(row.text(index));
    case ValueClass::Bytes:
      if (type != SQLITE_BLOB) throw wrong();
      return Value::ofBytes(row.blob(index));
  }
  throw wrong();
}

automation::Variant engineValue(const Value& value, int daoType) {
  if (value.kind == Value::Kind::Null) return automation::Variant::null();
  switch (daoType) {
    case dao::dbBoolean: return automation::Variant(value.integer != 0);
    case dao::dbByte:
    case dao::dbInteger: return automation::Variant(static_cast<std::int16_t>(value.integer));
    case dao::dbLong: return automation::Variant(static_cast<int>(value.integer));
    case dao::dbCurrency: return automation::Variant(automation::Currency{value.integer});
    case dao::dbSingle:
    case dao::dbDouble: return automation::Variant(value.real);
    case dao::dbDate: return automation::Variant(automation::Date{value.real});
    case dao::dbBinary:
    case dao::dbLongBinary: return automation::Variant(automation::ByteArray(value.bytes.begin(), value.bytes.end()));
    default: return automation::Variant(value.bytes);
  }
}

void syncPath(const std::string& path, int flags) {
  const int descriptor = ::open(path.c_str(), flags | O_CLOEXEC);
  if (descriptor >= 0) {
    ::fsync(descriptor);
    ::close(descriptor);
  }
}

std::string folderOf(const std::string& path) {
  const std::string folder = std::filesystem::path(path).parent_path().string();
  return folder.empty() ? "." : folder;
}

void removeDatabaseFiles(const std::string& path) {
  for (const char* suffix : {"", "-wal", "-shm", "-journal"}) ::unlink((path + suffix).c_str());
}

}  // namespace

FileReader::FileReader(const std::string& path) : path_(path) {
  switch (dao::probeFile(path)) {
    case dao::FileKind::OurDatabase: break;
    case dao::FileKind::Missing: throw CopyError("the file " + path + " does not exist");
    case dao::FileKind::Directory: throw CopyError(path + " is a folder, not a database file");
    case dao::FileKind::Unreadable: throw CopyError("the file " + path + " cannot be read");
    default: throw CopyError(path + " is not a database file of this program");
  }
  try {
    sql_ = dao::SqliteConnection(path, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX);
    sql_.execute("BEGIN");
    dao::SqliteStatement tables = sql_.prepare("SELECT name, row_key, attributes FROM zen_tables ORDER BY rowid");
    dao::SqliteStatement columns = sql_.prepare(
        "SELECT name, dao_type, size, auto_increment, required, unique_values, indexed, default_value, format "
        "FROM zen_columns WHERE table_name = ?1 ORDER BY ordinal");
    while (tables.step()) {
      Table table;
      table.definition.name = std::string(tables.text(0));
      table.rowKey = std::string(tables.text(1));
      table.attributes = static_cast<std::int32_t>(tables.integer(2));
      table.definition.systemTable = (table.attributes & dao::kSystemTableAttributes) == dao::kSystemTableAttributes;
      columns.reset();
      columns.bindText(1, table.definition.name);
      while (columns.step()) {
        dao::ColumnDefinition column;
        column.name = std::string(columns.text(0));
        column.type = static_cast<int>(columns.integer(1));
        column.size = static_cast<int>(columns.integer(2));
        column.autoIncrement = columns.integer(3) != 0;
        column.required = columns.integer(4) != 0;
        column.unique = columns.integer(5) != 0;
        column.indexed = columns.integer(6) != 0;
        column.defaultValue = std::string(columns.text(7));
        column.format = std::string(columns.text(8));
        if (!isSupportedType(column.type))
          throw CopyError("field " + column.name + " of table " + table.definition.name + " has a type (" +
                          std::to_string(column.type) + ") a copy cannot carry");
        table.definition.columns.push_back(std::move(column));
      }
      tables_.push_back(std::move(table));
    }
  } catch (const dao::SqliteError& failure) {
    throw CopyError("the file " + path + " cannot be read as a database: " + failure.what());
  }
}

std::int64_t FileReader::highestKeyUsed(const Table& table) {
  try {
    dao::SqliteStatement sequence = sql_.prepare("SELECT seq FROM sqlite_sequence WHERE name = ?1");
    sequence.bindText(1, table.definition.name);
    return sequence.step() ? sequence.integer(0) : 0;
  } catch (const dao::SqliteError&) {
    return 0;  // no table has numbered a row yet
  }
}

void FileReader::readRows(const Table& table, const std::function<void(const Row&)>& consume) {
  const int keyField = table.autoIncrementIndex();
  std::string select = "SELECT " + quoteIdentifier(table.rowKey);
  for (std::size_t i = 0; i < table.definition.columns.size(); ++i) {
    if (static_cast<int>(i) != keyField) select += ", " + quoteIdentifier(table.definition.columns[i].name);
  }
  select += ", " + quoteIdentifier(dao::kRowVersionColumn) + " FROM " + quoteIdentifier(table.definition.name) +
            " ORDER BY " + quoteIdentifier(table.rowKey);
  try {
    dao::SqliteStatement statement = sql_.prepare(select);
    dao::StatementUse use(statement);
    Row row;
    row.values.resize(table.definition.columns.size());
    const int fields = static_cast<int>(table.definition.columns.size());
    while (statement.step()) {
      row.key = statement.integer(0);
      int index = 1;
      for (int i = 0; i < fields; ++i) {
        if (i == keyField) {
          row.values[static_cast<std::size_t>(i)] = Value::ofInteger(row.key);
        } else {
          row.values[static_cast<std::size_t>(i)] = storedValue(statement, index++, table, static_cast<std::size_t>(i), row.key);
        }
      }
      row.version = statement.integer(index);
      consume(row);
    }
  } catch (const dao::SqliteError& failure) {
    throw CopyError("reading table " + table.definition.name + " of " + path_ + " failed: " + failure.what());
  }
}

std::string FileReader::integrityProblem() {
  try {
    const std::string verdict = sql_.queryText("PRAGMA integrity_check(1)");
    return verdict == "ok" ? std::string() : verdict;
  } catch (const dao::SqliteError& failure) {
    return failure.what();
  }
}

FileWriter::FileWriter(const std::string& target) : target_(target) {
  struct stat status {};
  if (::lstat(target.c_str(), &status) == 0)
    throw CopyError(target + " exists already; a copy never overwrites a file");
  building_ = target + ".copying-" + std::to_string(::getpid());
  try {
    builder_ = std::make_unique<dao::DatabaseBuilder>(dao::DatabaseBuilder::createNew(building_));
  } catch (const dao::EngineError& failure) {
    throw CopyError("cannot create a database file beside " + target + ": " + failure.what());
  }
}

FileWriter::~FileWriter() {
  if (!finished_) {
    builder_.reset();
    removeDatabaseFiles(building_);
  }
}

void FileWriter::createTable(const Table& table) {
  try {
    builder_->createTable(table.definition);
  } catch (const dao::EngineError& failure) {
    throw CopyError("cannot create table " + table.definition.name + " in the file: " + failure.what());
  }
}

void FileWriter::insertRows(const Table& table, const std::vector<Row>& rows) {
  std::vector<dao::CopiedRow> copied;
  copied.reserve(rows.size());
  for (const Row& row : rows) {
    dao::CopiedRow out;
    out.key = row.key;
    out.version = row.version;
    out.values.reserve(row.values.size());
    for (std::size_t i = 0; i < row.values.size(); ++i)
      out.values.push_back(engineValue(row.values[i], table.definition.columns[i].type));
    copied.push_back(std::move(out));
  }
  try {
    builder_->insertCopiedRows(table.definition.name, copied);
  } catch (const dao::EngineError& failure) {
    throw CopyError("writing table " + table.definition.name + " to the file failed: " + failure.what());
  }
}

void FileWriter::keepKeysAbove(const Table& table, std::int64_t highestUsed) {
  try {
    builder_->keepKeysAbove(table.definition.name, highestUsed);
  } catch (const dao::EngineError& failure) {
    throw CopyError("writing the numbering of " + table.definition.name + " to the file failed: " + failure.what());
  }
}

void FileWriter::finish(const std::map<std::string, TableChecksum>& expected) {
  try {
    builder_->commit();
  } catch (const dao::EngineError& failure) {
    throw CopyError("cannot finish the file " + target_ + ": " + failure.what());
  }
  {
    FileReader check(building_);
    if (const std::string problem = check.integrityProblem(); !problem.empty())
      throw CopyError("the written file failed SQLite's integrity check: " + problem);
    if (check.tables().size() != expected.size())
      throw CopyError("the written file holds " + std::to_string(check.tables().size()) + " tables instead of " +
                      std::to_string(expected.size()));
    for (const Table& table : check.tables()) {
      TableChecksum written;
      check.readRows(table, [&](const Row& row) { written.add(row); });
      const auto wanted = expected.find(table.definition.name);
      if (wanted == expected.end()) throw CopyError("the written file holds an unexpected table " + table.definition.name);
      if (written.rows() != wanted->second.rows())
        throw CopyError("table " + table.definition.name + ": the file holds " + std::to_string(written.rows()) +
                        " rows, the source " + std::to_string(wanted->second.rows()));
      if (!(written == wanted->second))
        throw CopyError("table " + table.definition.name + ": the rows written differ from the rows read (checksum " +
                        written.hex() + " instead of " + wanted->second.hex() + ")");
    }
  }
  syncPath(building_, O_RDONLY);
  // link() never replaces: whatever appeared at the target meanwhile is kept.
  if (::link(building_.c_str(), target_.c_str()) != 0) {
    const int failure = errno;
    if (failure == EEXIST) throw CopyError(target_ + " exists already; a copy never overwrites a file");
    throw CopyError("cannot name the file " + target_ + ": " + std::strerror(failure));
  }
  removeDatabaseFiles(building_);
  finished_ = true;
  syncPath(folderOf(target_), O_RDONLY | O_DIRECTORY);
}

}  // namespace dbcopy
