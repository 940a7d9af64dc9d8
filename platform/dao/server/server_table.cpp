#include "platform/dao/server/server_table.h"

#include <algorithm>
#include <limits>

#include "platform/dao/criteria/criteria.h"
#include "platform/dao/engine_error.h"
#include "platform/dao/file_format.h"
#include "platform/dao/find_criteria.h"
#include "platform/dao/server/server_schema.h"
#include "platform/dao/server/server_session.h"
#include "platform/dao/server/server_values.h"

namespace dao::server {

namespace {

using postgres::Parameter;
using postgres::PostgresConnection;
using postgres::PostgresResult;

std::string quoted(std::string_view name) { return PostgresConnection::quoteIdentifier(name); }

std::string placeholder(std::size_t number) { return "$" + std::to_string(number); }

// A LIMIT: "no limit" is SQL NULL.
Parameter limitOf(std::size_t limit) {
  if (limit > static_cast<std::size_t>(std::numeric_limits<std::int64_t>::max())) return std::nullopt;
  return std::to_string(limit);
}

// A FindFirst's statement: the criteria's condition over the keys after a
// given one, a page of them.
class ServerCompiledFind final : public CompiledFind {
 public:
  std::string sql;
  std::vector<Parameter> parameters;  // the criteria's; the key and the page follow
};

// The stored values of a row as the server's text gives them.
class ServerRowSnapshot final : public RowSnapshot {
 public:
  std::vector<Parameter> stored;
};

}  // namespace

ServerTable::ServerTable(std::shared_ptr<ServerSession> session, std::shared_ptr<const TableSchema> schema)
    : StoredTable(std::move(schema)), session_(std::move(session)) {
  const TableSchema& table = this->schema();
  table_ = quoted(table.sqlName);
  key_ = table.rowKeySql;
  selectList_ = key_ + ", " + (table.hasRowVersion ? quoted(kRowVersionColumn) : std::string("0"));
  for (const ColumnSchema& column : table.columns) selectList_ += ", " + quoted(column.name);

  std::string names;
  std::string values;
  std::size_t number = 0;
  for (std::size_t i = 0; i < table.columns.size(); ++i) {
    if (table.columns[i].autoIncrement) continue;
    const std::string separator = number == 0 ? "" : ", ";
    ++number;
    names += separator + quoted(table.columns[i].name);
    values += separator + placeholder(number) + "::" + columnType(i);
  }
  ServerSession& made = *session_;
  insert_ = &made.statement("INSERT INTO " + table_ +
                            (number == 0 ? " DEFAULT VALUES" : " (" + names + ") VALUES (" + values + ")") +
                            " RETURNING " + key_);
  readByKey_ = &made.statement("SELECT " + selectList_ + " FROM " + table_ + " WHERE " + key_ + " = $1");
  readBetween_ = &made.statement("SELECT " + selectList_ + " FROM " + table_ + " WHERE " + key_ +
                                 " BETWEEN $1 AND $2 ORDER BY " + key_);
  const std::string keyRange = " FROM " + table_ + " WHERE " + key_ + " > $1 AND " + key_ + " <= $2";
  keysAfter_ = &made.statement("SELECT " + key_ + keyRange + " ORDER BY " + key_ + " LIMIT $3");
  keysBefore_ = &made.statement("SELECT " + key_ + keyRange + " ORDER BY " + key_ + " DESC LIMIT $3");
  keysBetween_ = &made.statement("SELECT " + key_ + " FROM " + table_ + " WHERE " + key_ + " BETWEEN $1 AND $2 ORDER BY " +
                                 key_);
  countBetween_ = &made.statement("SELECT count(*)" + keyRange);
}

std::string ServerTable::columnType(std::size_t column) const {
  const ColumnSchema& schema = this->schema().columns[column];
  return schema.autoIncrement ? std::string("bigint") : std::string(serverColumnType(schema.daoType));
}

void ServerTable::requireWritable() const {
  if (schema().alwaysReadOnly || session_->settings().readOnly) raise(dao::error::readOnlyObject);
}

void ServerTable::readRowsOf(const PostgresResult& result, int firstColumn, std::vector<RowData>& rows) const {
  const std::vector<ColumnSchema>& columns = schema().columns;
  rows.resize(static_cast<std::size_t>(result.rows()));
  for (int row = 0; row < result.rows(); ++row) {
    RowData& data = rows[static_cast<std::size_t>(row)];
    data.rowId = result.integer(row, firstColumn);
    data.version = result.integer(row, firstColumn + 1);
    data.values.resize(columns.size());
    for (std::size_t i = 0; i < columns.size(); ++i) {
      const int column = firstColumn + 2 + static_cast<int>(i);
      if (result.isNull(row, column)) {
        data.values[i].assignNull();
      } else {
        fromServerText(result.text(row, column), columns[i], data.values[i]);
      }
    }
  }
}

OpenedTable ServerTable::open(std::size_t rows) {
  // The highest key and the first rows read by one statement, so from one
  // snapshot of the table. LIMIT asks for at least one row: without rows
  // the highest key would be lost (an empty table has neither).
  const PostgresResult result =
      session_->run("SELECT (SELECT max(" + key_ + ") FROM " + table_ + "), " + selectList_ + " FROM " + table_ +
                        " ORDER BY " + key_ + " LIMIT $1",
                    {limitOf(rows == 0 ? 1 : rows)}, &schema());
  OpenedTable opened;
  if (result.rows() == 0) return opened;
  opened.highestKey = result.integer(0, 0);
  readRowsOf(result, 1, opened.firstRows);
  if (rows == 0) opened.firstRows.clear();
  return opened;
}

void ServerTable::keysForward(std::int64_t after, std::int64_t bound, std::size_t limit,
                              std::vector<std::int64_t>& keys) {
  const PostgresResult result =
      session_->run(*keysAfter_, {std::to_string(after), std::to_string(bound), limitOf(limit)}, &schema());
  for (int row = 0; row < result.rows(); ++row) keys.push_back(result.integer(row, 0));
}

void ServerTable::keysBackward(std::int64_t after, std::int64_t bound, std::size_t limit,
                               std::vector<std::int64_t>& keys) {
  const PostgresResult result =
      session_->run(*keysBefore_, {std::to_string(after), std::to_string(bound), limitOf(limit)}, &schema());
  for (int row = 0; row < result.rows(); ++row) keys.push_back(result.integer(row, 0));
}

std::vector<std::int64_t> ServerTable::keysBetween(std::int64_t low, std::int64_t high) {
  std::vector<std::int64_t> keys;
  const PostgresResult result = session_->run(*keysBetween_, {std::to_string(low), std::to_string(high)}, &schema());
  keys.reserve(static_cast<std::size_t>(result.rows()));
  for (int row = 0; row < result.rows(); ++row) keys.push_back(result.integer(row, 0));
  return keys;
}

std::int64_t ServerTable::countKeys(std::int64_t after, std::int64_t bound) {
  return session_->run(*countBetween_, {std::to_string(after), std::to_string(bound)}, &schema()).integer(0, 0);
}

void ServerTable::readRows(std::int64_t low, std::int64_t high, std::vector<RowData>& rows) {
  const PostgresResult result = session_->run(*readBetween_, {std::to_string(low), std::to_string(high)}, &schema());
  readRowsOf(result, 0, rows);
}

std::unique_ptr<RowSnapshot> ServerTable::readForEdit(std::int64_t key, RowData& row) {
  const PostgresResult result = session_->run(*readByKey_, {std::to_string(key)}, &schema());
  if (result.rows() == 0) return nullptr;
  std::vector<RowData> rows(1);
  rows[0] = std::move(row);
  readRowsOf(result, 0, rows);
  row = std::move(rows[0]);
  auto snapshot = std::make_unique<ServerRowSnapshot>();
  for (std::size_t i = 0; i < schema().columns.size(); ++i) {
    const int column = 2 + static_cast<int>(i);
    snapshot->stored.push_back(result.isNull(0, column) ? Parameter() : Parameter(std::string(result.text(0, column))));
  }
  return snapshot;
}

const ServerSession::Statement& ServerTable::updateStatement(std::span<const std::size_t> written) {
  for (const auto& [fields, statement] : updates_) {
    if (std::equal(fields.begin(), fields.end(), written.begin(), written.end())) return *statement;
  }
  // One statement, so one transaction: it writes only where the row is
  // still exactly as Edit read it, whoever changed it meanwhile and however.
  // Parameters: the written values, the key, the version, then the stored
  // value of every column.
  const std::vector<ColumnSchema>& columns = schema().columns;
  std::string sql = "UPDATE " + table_ + " SET ";
  std::size_t number = 0;
  for (const std::size_t column : written)
    sql += quoted(columns[column].name) + " = " + placeholder(++number) + "::" + columnType(column) + ", ";
  const std::string versionColumn = quoted(kRowVersionColumn);
  sql += versionColumn + " = " + versionColumn + " + 1 WHERE " + key_ + " = " + placeholder(number + 1) + " AND " +
         versionColumn + " = " + placeholder(number + 2);
  number += 2;
  for (std::size_t i = 0; i < columns.size(); ++i)
    sql += " AND " + quoted(columns[i].name) + " IS NOT DISTINCT FROM " + placeholder(++number) + "::" + columnType(i);
  const ServerSession::Statement& statement = session_->statement(sql);
  updates_.emplace_back(std::vector<std::size_t>(written.begin(), written.end()), &statement);
  return statement;
}

void ServerTable::update(std::int64_t key, const RowSnapshot& snapshot, std::int64_t version,
                         std::span<const std::size_t> written, std::span<const automation::Variant> values) {
  requireWritable();
  const auto* stored = dynamic_cast<const ServerRowSnapshot*>(&snapshot);
  const std::vector<ColumnSchema>& columns = schema().columns;
  if (stored == nullptr || stored->stored.size() != columns.size()) raise(dao::error::invalidArgument);
  const ServerSession::Statement& statement = updateStatement(written);
  std::vector<Parameter> parameters;
  parameters.reserve(written.size() + 2 + columns.size());
  for (const std::size_t column : written) parameters.push_back(toServerText(values[column], columns[column]));
  parameters.push_back(std::to_string(key));
  parameters.push_back(std::to_string(version));
  parameters.insert(parameters.end(), stored->stored.begin(), stored->stored.end());
  if (session_->run(statement, parameters, &schema()).affectedRows() == 0) raise(dao::error::writeConflict);
}

std::int64_t ServerTable::insert(std::span<const automation::Variant> values) {
  requireWritable();
  const std::vector<ColumnSchema>& columns = schema().columns;
  std::vector<Parameter> parameters;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (!columns[i].autoIncrement) parameters.push_back(toServerText(values[i], columns[i]));
  }
  return session_->run(*insert_, parameters, &schema()).integer(0, 0);
}

void ServerTable::remove(std::int64_t key) {
  requireWritable();
  const PostgresResult result =
      session_->run("DELETE FROM " + table_ + " WHERE " + key_ + " = $1", {std::to_string(key)}, &schema());
  if (result.affectedRows() == 0) raise(dao::error::recordDeleted);
}

std::shared_ptr<const CompiledFind> ServerTable::compileFind(std::string_view criteriaText) {
  criteria::CompiledCriteria compiled =
      compileFindCriteria(schema(), criteriaText, [](std::string_view text, const criteria::ColumnResolver& resolve) {
        return criteria::compileCriteria(text, resolve, criteria::SqlDialect::Postgres);
      });
  // Only keys are searched, a page at a time from the key after the last
  // page's: the first match is nearly always the one taken (one round
  // trip), and a match far down costs no pass over the whole table.
  auto search = std::make_shared<ServerCompiledFind>();
  const std::string after = placeholder(compiled.parameters.size() + 1);
  const std::string limit = placeholder(compiled.parameters.size() + 2);
  search->sql = "SELECT " + key_ + " FROM " + table_ + " WHERE (" + compiled.whereSql + ") AND " + key_ + " > " +
                after + "::bigint ORDER BY " + key_ + " LIMIT " + limit + "::bigint";
  for (const criteria::SqlParameter& parameter : compiled.parameters)
    search->parameters.push_back(criteria::postgresParameterText(parameter));
  return search;
}

std::optional<std::int64_t> ServerTable::findFirst(const CompiledFind& compiled,
                                                   const std::function<bool(std::int64_t)>& accept) {
  const auto& search = dynamic_cast<const ServerCompiledFind&>(compiled);
  std::vector<Parameter> parameters = search.parameters;
  parameters.emplace_back("0");
  parameters.emplace_back();
  std::size_t page = 32;
  for (;;) {
    parameters.back() = std::to_string(page);
    const PostgresResult result = session_->run(search.sql, parameters, &schema());
    for (int row = 0; row < result.rows(); ++row) {
      const std::int64_t key = result.integer(row, 0);
      if (accept(key)) return key;
    }
    if (static_cast<std::size_t>(result.rows()) < page) return std::nullopt;
    parameters[parameters.size() - 2] = std::to_string(result.integer(result.rows() - 1, 0));
    page = std::min<std::size_t>(page * 4, 8192);
  }
}

}  // namespace dao::server
