// libFuzzer target: any byte string as a criteria text. compileCriteria must
// either refuse it with CriteriaError or return SQL that SQLite prepares,
// whose '?' count matches the parameters, and that runs to the end on a
// small table (a pattern read from a field may still be refused while the
// query runs). Anything else - a crash, a sanitizer report, another
// exception type, SQL that does not prepare - is a finding. The PostgreSQL
// form must compile exactly when the SQLite one does, with one numbered
// placeholder per parameter.
#include <sqlite3.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/dao/criteria/criteria.h"
#include "platform/dao/database_builder.h"

namespace {

using dao::criteria::CriteriaError;
using dao::criteria::ResolvedColumn;

[[noreturn]] void finding(const std::string& what, const std::string& sql) {
  std::fprintf(stderr, "criteria fuzz finding: %s\nSQL: %.2000s\n", what.c_str(), sql.c_str());
  std::abort();
}

sqlite3* database() {
  static sqlite3* const db = [] {
    sqlite3* handle = nullptr;
    if (sqlite3_open(":memory:", &handle) != SQLITE_OK) std::abort();
    dao::criteria::registerCriteriaFunctions(handle);
    const char* setup =
        "CREATE TABLE t(id INTEGER PRIMARY KEY, a TEXT, n INTEGER, d REAL, g BLOB, b INTEGER, m TEXT, x TEXT);"
        "CREATE INDEX t_a ON t(a COLLATE NOCASE);"
        "INSERT INTO t(a, n, d, g, b, m, x) VALUES"
        " ('A4A4', 1, 44196.5, X'3D2C1B0A5F4E71608293A4B5C6D7E8F9', -1, 'a*', '2020-01-02'),"
        " ('\xC3\x89" "cole', -7, -1.25, X'00', 0, '[z-a]', 'x'),"
        " ('x[y_%', NULL, NULL, NULL, 1, '[', NULL),"
        " (NULL, 9223372036854775807, 1e300, 'text', NULL, NULL, '12/31/2020'),"
        " (CAST(X'FF61C3' AS TEXT), 0, 0, NULL, 5, '#?', '');";
    if (sqlite3_exec(handle, setup, nullptr, nullptr, nullptr) != SQLITE_OK) std::abort();
    return handle;
  }();
  return db;
}

ResolvedColumn resolve(const std::string& name) {
  static const struct {
    const char* name;
    int type;
  } kColumns[] = {{"a", dao::dbText}, {"B5_Hex", dao::dbText}, {"t.a", dao::dbText}, {"n", dao::dbLong},
                  {"d", dao::dbDate}, {"g", dao::dbGUID},      {"b", dao::dbBoolean}, {"m", dao::dbMemo},
                  {"x", dao::dbDate}, {"8_XI_B", dao::dbText}, {"bin", dao::dbBinary}};
  for (const auto& c : kColumns) {
    if (name == c.name) {
      const std::string column = name == "B5_Hex" || name == "t.a" || name == "8_XI_B" ? "a"
                                 : name == "bin"                                      ? "g"
                                                                                      : name;
      return {column, c.type};
    }
  }
  throw CriteriaError("Unknown field '" + name + "'.");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  dao::criteria::CompiledCriteria compiled;
  try {
    compiled = dao::criteria::compileCriteria(text, &resolve);
  } catch (const CriteriaError&) {
    try {
      dao::criteria::compileCriteria(text, &resolve, dao::criteria::SqlDialect::Postgres);
    } catch (const CriteriaError&) {
      return 0;
    }
    finding("the PostgreSQL form compiles where the SQLite one does not", std::string(text));
  }
  const auto server = dao::criteria::compileCriteria(text, &resolve, dao::criteria::SqlDialect::Postgres);
  // The server's form may carry fewer parameters than SQLite's (an index
  // range alone answers "ab*" there), never a placeholder without one.
  if (server.parameters.size() > compiled.parameters.size() ||
      server.whereSql.find("$" + std::to_string(server.parameters.size()) + "::") == std::string::npos) {
    if (!server.parameters.empty()) finding("the PostgreSQL placeholders do not match the parameters", server.whereSql);
  }
  if (server.whereSql.find("$" + std::to_string(server.parameters.size() + 1) + "::") != std::string::npos) {
    finding("the PostgreSQL form has more placeholders than parameters", server.whereSql);
  }

  sqlite3* db = database();
  const std::string sql = "SELECT id FROM t WHERE " + compiled.whereSql;
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &stmt, nullptr) != SQLITE_OK) {
    finding(std::string("compiled SQL does not prepare: ") + sqlite3_errmsg(db), sql);
  }
  if (sqlite3_bind_parameter_count(stmt) != static_cast<int>(compiled.parameters.size())) {
    finding("parameter count differs from the '?' in the SQL", sql);
  }
  int index = 1;
  for (const auto& p : compiled.parameters) {
    if (const auto* i = std::get_if<std::int64_t>(&p)) {
      sqlite3_bind_int64(stmt, index, *i);
    } else if (const auto* r = std::get_if<double>(&p)) {
      sqlite3_bind_double(stmt, index, *r);
    } else if (const auto* s = std::get_if<std::string>(&p)) {
      sqlite3_bind_text(stmt, index, s->data(), static_cast<int>(s->size()), SQLITE_TRANSIENT);
    } else {
      sqlite3_bind_null(stmt, index);
    }
    ++index;
  }
  int rc = 0;
  while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
  }
  if (rc != SQLITE_DONE && std::string_view(sqlite3_errmsg(db)).find("Invalid LIKE pattern") == std::string_view::npos) {
    finding(std::string("compiled SQL fails while running: ") + sqlite3_errmsg(db), sql);
  }
  sqlite3_finalize(stmt);
  return 0;
}
