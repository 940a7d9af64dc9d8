#pragma once
// Test helpers: an in-memory SQLite database with the criteria functions
// registered, and running compiled criteria on it.
#include <sqlite3.h>

#include <cstdint>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/dao/criteria/criteria.h"

namespace criteria_test {

struct DbCloser {
  void operator()(sqlite3* db) const { sqlite3_close(db); }
};
struct StmtFinalizer {
  void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using DbPtr = std::unique_ptr<sqlite3, DbCloser>;
using StmtPtr = std::unique_ptr<sqlite3_stmt, StmtFinalizer>;

inline DbPtr openMemoryDb() {
  sqlite3* raw = nullptr;
  if (sqlite3_open(":memory:", &raw) != SQLITE_OK) {
    sqlite3_close(raw);
    throw std::runtime_error("cannot open an in-memory database");
  }
  DbPtr db(raw);
  dao::criteria::registerCriteriaFunctions(db.get());
  return db;
}

inline void exec(sqlite3* db, const std::string& sql) {
  char* error = nullptr;
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
    const std::string message = error ? error : "unknown error";
    sqlite3_free(error);
    throw std::runtime_error(message + " in: " + sql);
  }
}

inline StmtPtr prepare(sqlite3* db, const std::string& sql) {
  sqlite3_stmt* raw = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &raw, nullptr) != SQLITE_OK) {
    throw std::runtime_error(std::string(sqlite3_errmsg(db)) + " in: " + sql);
  }
  return StmtPtr(raw);
}

// Binds the parameters from index `first` on.
inline void bindAll(sqlite3_stmt* stmt, const std::vector<dao::criteria::SqlParameter>& parameters,
                    int first = 1) {
  int index = first;
  for (const auto& p : parameters) {
    if (std::holds_alternative<std::int64_t>(p)) {
      sqlite3_bind_int64(stmt, index, std::get<std::int64_t>(p));
    } else if (std::holds_alternative<double>(p)) {
      sqlite3_bind_double(stmt, index, std::get<double>(p));
    } else if (std::holds_alternative<std::string>(p)) {
      const auto& s = std::get<std::string>(p);
      sqlite3_bind_text(stmt, index, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
    } else {
      sqlite3_bind_null(stmt, index);
    }
    ++index;
  }
}

// Runs `SELECT <column> FROM <table> WHERE <criteria> ORDER BY <column>` and
// returns the first column of every row as an integer.
inline std::vector<std::int64_t> selectIds(sqlite3* db, const std::string& table,
                                           const dao::criteria::CompiledCriteria& compiled,
                                           const std::string& idColumn = "id") {
  StmtPtr stmt = prepare(db, "SELECT " + idColumn + " FROM " + table + " WHERE " + compiled.whereSql +
                                 " ORDER BY " + idColumn);
  bindAll(stmt.get(), compiled.parameters);
  std::vector<std::int64_t> ids;
  int rc = 0;
  while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) ids.push_back(sqlite3_column_int64(stmt.get(), 0));
  if (rc != SQLITE_DONE) throw std::runtime_error(sqlite3_errmsg(db));
  return ids;
}

// A resolver over a fixed name -> column map; names are matched without
// regard to ASCII letter case, as the engine matches field names.
inline dao::criteria::ColumnResolver resolverFor(std::map<std::string, dao::criteria::ResolvedColumn> columns) {
  auto upper = [](std::string s) {
    for (char& c : s) {
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    }
    return s;
  };
  std::map<std::string, dao::criteria::ResolvedColumn> byUpper;
  for (auto& [name, column] : columns) byUpper[upper(name)] = column;
  return [byUpper, upper](const std::string& name) {
    const auto it = byUpper.find(upper(name));
    if (it == byUpper.end()) throw dao::criteria::CriteriaError("Unknown field '" + name + "'.");
    return it->second;
  };
}

}  // namespace criteria_test
