#include "platform/dao/database_builder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <initializer_list>
#include <random>

#include "platform/automation/text_compare.h"
#include "platform/dao/column_binding.h"
#include "platform/dao/column_value.h"
#include "platform/dao/engine_error.h"
#include "platform/dao/file_catalog.h"
#include "platform/dao/file_format.h"
#include "platform/dao/sqlite_handle.h"
#include "platform/dao/table_schema.h"

namespace dao {

namespace {

bool pathIsTaken(const std::string& path) {
  struct stat status {};
  return ::lstat(path.c_str(), &status) == 0;
}

std::string temporaryPathBeside(const std::string& path) {
  std::random_device entropy;
  return path + ".building-" + std::to_string(::getpid()) + "-" + std::to_string(entropy());
}

void removeDatabaseFiles(const std::string& path) {
  for (const char* suffix : {"", "-wal", "-shm", "-journal"}) ::unlink((path + suffix).c_str());
}

void flushToDisk(const std::string& path) {
  const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor >= 0) {
    ::fsync(descriptor);
    ::close(descriptor);
  }
}

[[noreturn]] void refuseDefinition(const std::string& description) {
  throw EngineError(error::invalidArgument, description);
}

void validateTable(SqliteConnection& sql, const TableDefinition& table) {
  if (table.name.empty()) refuseDefinition("A table needs a name.");
  if (isReservedName(table.name)) refuseDefinition("The table name '" + table.name + "' is reserved by the engine.");
  SqliteStatement existing = sql.prepare("SELECT 1 FROM zen_tables WHERE name = ?1 COLLATE NOCASE");
  existing.bindText(1, table.name);
  if (existing.step()) raise(error::tableExists, table.name);
  if (table.columns.empty()) refuseDefinition("The table '" + table.name + "' needs at least one field.");
  int autoIncrementColumns = 0;
  for (std::size_t i = 0; i < table.columns.size(); ++i) {
    const ColumnDefinition& column = table.columns[i];
    if (column.name.empty()) refuseDefinition("A field of table '" + table.name + "' has no name.");
    if (isReservedName(column.name)) refuseDefinition("The field name '" + column.name + "' is reserved by the engine.");
    for (std::size_t j = 0; j < i; ++j) {
      if (automation::equalsIgnoringAsciiCase(table.columns[j].name, column.name)) raise(error::duplicateFieldName, column.name);
    }
    if (!isSupportedColumnType(column.type)) raise(error::invalidFieldType);
    if (column.autoIncrement && (column.type != dbLong || ++autoIncrementColumns > 1)) raise(error::invalidFieldType);
    if (column.size < 0 || (column.type == dbText && column.size > 255)) {
      refuseDefinition("The size of field '" + column.name + "' is out of range.");
    }
  }
}

std::string rowKeyOf(const TableDefinition& table) {
  for (const ColumnDefinition& column : table.columns) {
    if (column.autoIncrement) return column.name;
  }
  return std::string(kHiddenRowKeyColumn);
}

// How rows go into one table for one list of named fields.
struct InsertPlan {
  static constexpr std::size_t kNotGiven = static_cast<std::size_t>(-1);
  std::string table;
  std::vector<std::string> columns;
  bool keepKeys = false;
  std::shared_ptr<const TableSchema> schema;
  std::vector<std::size_t> written;              // the fields the statement sets, in parameter order
  std::vector<std::size_t> cellOf;               // per field: its cell in a row, or kNotGiven
  std::vector<automation::Variant> defaults;     // per field: its default value
  SqliteStatement statement;                     // one row
  // Several rows in one statement: each statement's fixed work (its start
  // and end, the table's auto-increment counter read and written) is done
  // once for them all. Made when a call brings that many rows.
  std::size_t rowsPerStatement = 1;
  SqliteStatement severalRows;
};

// Rows at most per statement, and parameters at most per statement (the
// least any SQLite allows is 999).
constexpr std::size_t kRowsPerStatement = 16;
constexpr std::size_t kParametersPerStatement = 999;

std::unique_ptr<InsertPlan> planInsert(SqliteConnection& sql, const std::string& table,
                                       const std::vector<std::string>& columns, bool keepKeys) {
  auto plan = std::make_unique<InsertPlan>();
  plan->table = table;
  plan->columns = columns;
  plan->keepKeys = keepKeys;
  plan->schema = loadTableSchema(sql, table);
  const TableSchema& schema = *plan->schema;
  if (schema.alwaysReadOnly) raise(error::readOnlyObject);
  plan->cellOf.assign(schema.columns.size(), InsertPlan::kNotGiven);
  for (std::size_t i = 0; i < columns.size(); ++i) {
    const auto index = schema.findColumn(columns[i]);
    if (!index) raise(error::itemNotFound);
    if (schema.columns[*index].autoIncrement && !keepKeys) raise(error::fieldNotUpdatable, schema.columns[*index].name);
    plan->cellOf[*index] = i;
  }
  std::string names;
  std::string placeholders;
  for (std::size_t i = 0; i < schema.columns.size(); ++i) {
    if (schema.columns[i].autoIncrement && !keepKeys) continue;
    plan->written.push_back(i);
    names += quoteIdentifier(schema.columns[i].name) + ", ";
    placeholders += "?" + std::to_string(plan->written.size()) + ", ";
  }
  names.resize(names.size() - 2);
  placeholders.resize(placeholders.size() - 2);
  for (const ColumnSchema& column : schema.columns) plan->defaults.push_back(defaultValueOf(column));
  try {
    plan->statement =
        sql.prepare("INSERT INTO " + quoteIdentifier(schema.sqlName) + "(" + names + ") VALUES(" + placeholders + ")");
  } catch (const SqliteError& failure) {
    raise(error::unexpected, failure.what());
  }
  plan->rowsPerStatement =
      plan->written.empty() ? 1 : std::min(kRowsPerStatement, kParametersPerStatement / plan->written.size());
  return plan;
}

// The statement that inserts plan.rowsPerStatement rows at once.
void prepareSeveralRows(SqliteConnection& sql, InsertPlan& plan) {
  const TableSchema& schema = *plan.schema;
  std::string names;
  std::string values;
  for (std::size_t r = 0; r < plan.rowsPerStatement; ++r) {
    values += r == 0 ? "(" : ", (";
    for (std::size_t i = 0; i < plan.written.size(); ++i) {
      if (r == 0) names += (i == 0 ? "" : ", ") + quoteIdentifier(schema.columns[plan.written[i]].name);
      values += (i == 0 ? "?" : ", ?") + std::to_string(r * plan.written.size() + i + 1);
    }
    values += ")";
  }
  try {
    plan.severalRows = sql.prepare("INSERT INTO " + quoteIdentifier(schema.sqlName) + "(" + names + ") VALUES" + values);
  } catch (const SqliteError& failure) {
    raise(error::unexpected, failure.what());
  }
}

// Runs `work` (which inserts rows) inside a savepoint, so that a call that
// fails inserts none of its rows; a value a unique field already holds
// becomes 3022 naming the field. `kept`, statements that outlive the call,
// are reset whatever happens.
template <class Work>
void insertAllOrNothing(SqliteConnection& sql, std::initializer_list<SqliteStatement*> kept, Work&& work) {
  const auto resetKept = [&] {
    for (SqliteStatement* statement : kept) statement->reset();
  };
  try {
    sql.execute("SAVEPOINT zen_insert_rows");
    try {
      work();
      resetKept();
      sql.execute("RELEASE zen_insert_rows");
    } catch (...) {
      resetKept();
      sql.execute("ROLLBACK TO zen_insert_rows");
      sql.execute("RELEASE zen_insert_rows");
      throw;
    }
  } catch (const SqliteError& failure) {
    if (failure.primaryCode() == SQLITE_CONSTRAINT) {
      const std::string_view message = failure.what();
      const auto dot = message.rfind('.');
      raise(error::duplicateValue, dot == std::string_view::npos ? std::string_view() : message.substr(dot + 1));
    }
    raise(error::unexpected, failure.what());
  }
}

}  // namespace

struct DatabaseBuilder::Impl {
  std::string finalPath;
  std::string buildPath;
  SqliteConnection sql;
  // Plain (not unique) indexes are made at commit, once the rows are in:
  // sorting every key once is much cheaper than keeping the index in order
  // through each insert. Unique indexes are made at once, since they refuse
  // duplicates as the rows arrive.
  std::vector<std::string> deferredIndexes;
  std::unique_ptr<InsertPlan> lastInsert;  // finalized before the connection closes
  bool finished = false;

  ~Impl() {
    lastInsert.reset();
    if (!finished) {
      sql.close();
      removeDatabaseFiles(buildPath);
    }
  }

  SqliteConnection& connection() {
    if (finished) raise(error::objectClosed);
    return sql;
  }
};

DatabaseBuilder::DatabaseBuilder(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
DatabaseBuilder::DatabaseBuilder(DatabaseBuilder&&) noexcept = default;
DatabaseBuilder& DatabaseBuilder::operator=(DatabaseBuilder&&) noexcept = default;
DatabaseBuilder::~DatabaseBuilder() = default;

DatabaseBuilder DatabaseBuilder::createNew(const std::string& path) {
  if (path.empty()) raise(error::fileNotFound, path);
  if (pathIsTaken(path)) raise(error::databaseExists);
  auto impl = std::make_unique<Impl>();
  impl->finalPath = path;
  impl->buildPath = temporaryPathBeside(path);
  try {
    impl->sql = SqliteConnection(impl->buildPath, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX |
                                                      SQLITE_OPEN_EXCLUSIVE);
    SqliteConnection& sql = impl->sql;
    // Built with the rollback journal in memory: every page is written once
    // (in WAL mode a large build is written twice, to the log and back). The
    // file is switched to WAL when the build is committed, and synced then.
    // (Set before anything is written, so no step of the build waits for
    // the disk.)
    sql.execute("PRAGMA journal_mode=MEMORY");
    sql.execute("PRAGMA synchronous=OFF");
    sql.execute("BEGIN IMMEDIATE");
    sql.execute("PRAGMA application_id=" + std::to_string(kApplicationId));
    sql.execute("PRAGMA user_version=" + std::to_string(kFormatRevision));
    sql.execute(
        "CREATE TABLE zen_info(key TEXT PRIMARY KEY, value TEXT NOT NULL);"
        "CREATE TABLE zen_tables(name TEXT NOT NULL UNIQUE COLLATE NOCASE, row_key TEXT NOT NULL, "
        "attributes INTEGER NOT NULL);"
        "CREATE TABLE zen_columns(table_name TEXT NOT NULL, ordinal INTEGER NOT NULL, name TEXT NOT NULL, "
        "dao_type INTEGER NOT NULL, size INTEGER NOT NULL, auto_increment INTEGER NOT NULL, "
        "required INTEGER NOT NULL, unique_values INTEGER NOT NULL, indexed INTEGER NOT NULL, "
        "default_value TEXT NOT NULL, format TEXT NOT NULL, PRIMARY KEY(table_name, ordinal));");
    SqliteStatement info = sql.prepare("INSERT INTO zen_info(key, value) VALUES(?1, ?2)");
    info.bindText(1, "format_version");
    info.bindText(2, kFormatVersion);
    info.step();
    info.reset();
    info.bindText(1, "collating_order");
    info.bindText(2, std::to_string(kCollatingOrder));
    info.step();
  } catch (const SqliteError& failure) {
    if (failure.primaryCode() == SQLITE_CANTOPEN) raise(error::diskFailure, path);
    raise(error::unexpected, failure.what());
  }
  return DatabaseBuilder(std::move(impl));
}

void DatabaseBuilder::createTable(const TableDefinition& table) {
  SqliteConnection& sql = impl_->connection();
  impl_->lastInsert.reset();
  try {
    validateTable(sql, table);
    const std::string rowKey = rowKeyOf(table);
    const std::string quotedTable = quoteIdentifier(table.name);
    std::string columnsSql;
    if (rowKey == kHiddenRowKeyColumn) columnsSql = quoteIdentifier(rowKey) + " INTEGER PRIMARY KEY AUTOINCREMENT, ";
    for (const ColumnDefinition& column : table.columns) {
      columnsSql += quoteIdentifier(column.name) + " ";
      columnsSql += column.autoIncrement ? std::string("INTEGER PRIMARY KEY AUTOINCREMENT") : std::string(sqlColumnType(column.type));
      columnsSql += ", ";
    }
    const std::string version = quoteIdentifier(kRowVersionColumn);
    columnsSql += version + " INTEGER NOT NULL DEFAULT 0";
    sql.execute("CREATE TABLE " + quotedTable + "(" + columnsSql + ")");
    // Writers that do not know the row version still cause write conflicts.
    sql.execute("CREATE TRIGGER " + quoteIdentifier("zen_version_" + table.name) + " AFTER UPDATE ON " + quotedTable +
                " FOR EACH ROW WHEN NEW." + version + " IS OLD." + version + " BEGIN UPDATE " + quotedTable +
                " SET " + version + " = OLD." + version + " + 1 WHERE rowid = NEW.rowid; END");

    SqliteStatement tableRow = sql.prepare("INSERT INTO zen_tables(name, row_key, attributes) VALUES(?1, ?2, ?3)");
    tableRow.bindText(1, table.name);
    tableRow.bindText(2, rowKey);
    tableRow.bindInteger(3, table.systemTable ? kSystemTableAttributes : 0);
    tableRow.step();

    SqliteStatement columnRow = sql.prepare(
        "INSERT INTO zen_columns(table_name, ordinal, name, dao_type, size, auto_increment, required, "
        "unique_values, indexed, default_value, format) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11)");
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
      const ColumnDefinition& column = table.columns[i];
      columnRow.reset();
      columnRow.bindText(1, table.name);
      columnRow.bindInteger(2, static_cast<std::int64_t>(i));
      columnRow.bindText(3, column.name);
      columnRow.bindInteger(4, column.type);
      columnRow.bindInteger(5, ColumnSchema::reportedSize(column.type, column.size));
      columnRow.bindInteger(6, column.autoIncrement ? 1 : 0);
      columnRow.bindInteger(7, column.required ? 1 : 0);
      columnRow.bindInteger(8, column.unique ? 1 : 0);
      columnRow.bindInteger(9, column.indexed ? 1 : 0);
      columnRow.bindText(10, column.defaultValue);
      columnRow.bindText(11, column.format);
      columnRow.step();
      const bool text = column.type == dbText || column.type == dbMemo;
      const std::string indexed = quoteIdentifier(column.name) + (text ? " COLLATE NOCASE" : "");
      const std::string suffix = table.name + "_" + std::to_string(i);
      if (column.unique && !column.autoIncrement) {
        sql.execute("CREATE UNIQUE INDEX " + quoteIdentifier("zen_ux_" + suffix) + " ON " + quotedTable + "(" +
                    indexed + ")");
      }
      if (column.indexed && !column.unique && !column.autoIncrement) {
        impl_->deferredIndexes.push_back("CREATE INDEX " + quoteIdentifier("zen_ix_" + suffix) + " ON " + quotedTable +
                                         "(" + indexed + ")");
      }
    }
  } catch (const SqliteError& failure) {
    raise(error::unexpected, failure.what());
  }
}

void DatabaseBuilder::insertRows(const std::string& table, const std::vector<std::string>& columns,
                                 const std::vector<std::vector<CellValue>>& rows) {
  insert(table, columns, rows, false);
}

void DatabaseBuilder::insertRowsKeepingKeys(const std::string& table, const std::vector<std::string>& columns,
                                            const std::vector<std::vector<CellValue>>& rows) {
  insert(table, columns, rows, true);
}

void DatabaseBuilder::insert(const std::string& table, const std::vector<std::string>& columns,
                             const std::vector<std::vector<CellValue>>& rows, bool keepKeys) {
  SqliteConnection& sql = impl_->connection();
  // Rows often come in many calls for the same table and fields (an import
  // hands them over in batches): the plan and its statement are kept.
  std::unique_ptr<InsertPlan>& plan = impl_->lastInsert;
  if (!plan || plan->table != table || plan->columns != columns || plan->keepKeys != keepKeys) {
    plan.reset();
    plan = planInsert(sql, table, columns, keepKeys);
  }
  const TableSchema& schema = *plan->schema;
  const std::size_t rowsAtOnce = plan->rowsPerStatement;
  if (rowsAtOnce > 1 && rows.size() >= rowsAtOnce && !plan->severalRows.handle()) prepareSeveralRows(sql, *plan);
  // Binds a row's values from parameter `first` + 1 on.
  const auto bindRow = [&](SqliteStatement& insert, const std::vector<CellValue>& row, std::size_t first) {
    if (row.size() != columns.size()) refuseDefinition("Every row needs one value per named field.");
    for (std::size_t i = 0; i < plan->written.size(); ++i) {
      const std::size_t field = plan->written[i];
      const ColumnSchema& column = schema.columns[field];
      const int parameter = static_cast<int>(first + i + 1);
      if (plan->cellOf[field] == InsertPlan::kNotGiven) {
        checkStoredValue(plan->defaults[field], column);
        bindStoredValue(insert, parameter, plan->defaults[field], column);
        continue;
      }
      const CellValue& cell = row[plan->cellOf[field]];
      if (cell && column.isText()) {
        // Text is stored as given: checked and bound without a copy
        // (the row outlives the statement's step). No more bytes than
        // the size cannot be more characters.
        const int limit = column.textLimit();
        if (limit > 0 && cell->size() > static_cast<std::size_t>(limit) &&
            characterCount(*cell) > static_cast<std::size_t>(limit))
          raise(error::textTooLong, column.name);
        if (sqlite3_bind_text64(insert.handle(), parameter, cell->data(), cell->size(), SQLITE_STATIC,
                                SQLITE_UTF8) != SQLITE_OK)
          raise(error::unexpected, sqlite3_errmsg(sql.handle()));
        continue;
      }
      const automation::Variant value =
          cell ? toStoredValue(automation::Variant(*cell), column) : automation::Variant::null();
      checkStoredValue(value, column);
      bindStoredValue(insert, parameter, value, column);
    }
  };
  insertAllOrNothing(sql, {&plan->statement, &plan->severalRows}, [&] {
      // Every parameter is bound again below: no need to clear them.
      std::size_t next = 0;
      if (plan->severalRows.handle()) {
        SqliteStatement& insert = plan->severalRows;
        for (; rows.size() - next >= rowsAtOnce; next += rowsAtOnce) {
          sqlite3_reset(insert.handle());
          for (std::size_t r = 0; r < rowsAtOnce; ++r) bindRow(insert, rows[next + r], r * plan->written.size());
          insert.step();
        }
      }
      SqliteStatement& insert = plan->statement;
      for (; next < rows.size(); ++next) {
        sqlite3_reset(insert.handle());
        bindRow(insert, rows[next], 0);
        insert.step();
      }
  });
}

void DatabaseBuilder::commit(Sync sync) {
  SqliteConnection& sql = impl_->connection();
  impl_->lastInsert.reset();
  try {
    for (const std::string& index : impl_->deferredIndexes) sql.execute(index);
  } catch (const SqliteError& failure) {
    raise(error::unexpected, failure.what());
  }
  try {
    sql.execute("COMMIT");
    sql.execute("PRAGMA journal_mode=WAL");
    sql.execute("PRAGMA wal_checkpoint(TRUNCATE)");
  } catch (const SqliteError&) {
    raise(error::diskFailure, impl_->finalPath);
  }
  sql.close();
  if (sync == Sync::beforeNaming) flushToDisk(impl_->buildPath);
  // link() never replaces: whatever appeared at the path meanwhile is kept.
  if (::link(impl_->buildPath.c_str(), impl_->finalPath.c_str()) != 0) {
    const int failure = errno;
    removeDatabaseFiles(impl_->buildPath);
    impl_->finished = true;
    if (failure == EEXIST) raise(error::databaseExists);
    raise(error::diskFailure, impl_->finalPath);
  }
  removeDatabaseFiles(impl_->buildPath);
  impl_->finished = true;
}

}  // namespace dao

namespace dao {

void DatabaseBuilder::insertCopiedRows(const std::string& table, const std::vector<CopiedRow>& rows) {
  SqliteConnection& sql = impl_->connection();
  const std::shared_ptr<const TableSchema> schema = loadTableSchema(sql, table);
  if (schema->alwaysReadOnly) raise(error::readOnlyObject);
  std::optional<std::size_t> keyColumn;
  std::string names = schema->rowKeySql + ", ";
  std::string placeholders = "?1, ";
  int parameter = 1;
  for (std::size_t i = 0; i < schema->columns.size(); ++i) {
    if (schema->columns[i].autoIncrement) {
      keyColumn = i;
      continue;
    }
    names += quoteIdentifier(schema->columns[i].name) + ", ";
    placeholders += "?" + std::to_string(++parameter) + ", ";
  }
  names += quoteIdentifier(kRowVersionColumn);
  placeholders += "?" + std::to_string(++parameter);
  insertAllOrNothing(sql, {}, [&] {
      SqliteStatement insert = sql.prepare("INSERT INTO " + quoteIdentifier(schema->sqlName) + "(" + names +
                                           ") VALUES(" + placeholders + ")");
      for (const CopiedRow& row : rows) {
        if (row.values.size() != schema->columns.size()) refuseDefinition("Every row needs one value per field.");
        insert.reset();
        insert.bindInteger(1, row.key);
        int index = 1;
        for (std::size_t i = 0; i < schema->columns.size(); ++i) {
          if (keyColumn == i) continue;
          checkStoredValue(row.values[i], schema->columns[i]);
          bindStoredValue(insert, ++index, row.values[i], schema->columns[i]);
        }
        insert.bindInteger(++index, row.version);
        insert.step();
      }
  });
}

void DatabaseBuilder::keepKeysAbove(const std::string& table, std::int64_t highestUsed) {
  SqliteConnection& sql = impl_->connection();
  const std::shared_ptr<const TableSchema> schema = loadTableSchema(sql, table);
  if (schema->alwaysReadOnly) raise(error::readOnlyObject);
  try {
    // Every table has an AUTOINCREMENT key, so SQLite keeps its highest key here.
    SqliteStatement insert = sql.prepare(
        "INSERT INTO sqlite_sequence(name, seq) SELECT ?1, 0 WHERE NOT EXISTS "
        "(SELECT 1 FROM sqlite_sequence WHERE name = ?1)");
    insert.bindText(1, schema->sqlName);
    insert.step();
    SqliteStatement update = sql.prepare("UPDATE sqlite_sequence SET seq = max(seq, ?2) WHERE name = ?1");
    update.bindText(1, schema->sqlName);
    update.bindInteger(2, highestUsed);
    update.step();
  } catch (const SqliteError& failure) {
    raise(error::unexpected, failure.what());
  }
}

}  // namespace dao
