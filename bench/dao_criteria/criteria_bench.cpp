// Criteria compilation, and FindFirst-style prefix searches on a table of
// 1,000,000 rows: the compiled criteria (NOCASE index range + exact test)
// against SQLite's own LIKE, which cannot use that index.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "platform/dao/criteria/criteria.h"
#include "platform/dao/database_builder.h"

namespace {

using dao::criteria::compileCriteria;
using dao::criteria::ResolvedColumn;

constexpr std::int64_t kRows = 1'000'000;

ResolvedColumn resolve(const std::string& name) {
  if (name == "B5_Hex" || name == "CJ_Code") return {name, dao::dbText};
  if (name == "ID") return {name, dao::dbLong};
  if (name == "Day") return {name, dao::dbDate};
  throw dao::criteria::CriteriaError("Unknown field '" + name + "'.");
}

void check(sqlite3* db, int rc, const char* what) {
  if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
    std::fprintf(stderr, "%s: %s\n", what, sqlite3_errmsg(db));
    std::abort();
  }
}

// Upper-case hex of a scrambled row number: every value is distinct, and a
// four-digit prefix matches about 15 rows spread over the whole table.
std::string hexOf(std::int64_t id) {
  char text[16];
  std::snprintf(text, sizeof text, "%06llX",
                static_cast<unsigned long long>((static_cast<std::uint64_t>(id) * 2654435761u) % 16777216u));
  return text;
}

struct BigTable {
  sqlite3* db = nullptr;
  std::string lastPrefix;  // the last row's whole value in lower case; no other row has it

  BigTable() {
    check(db, sqlite3_open(":memory:", &db), "open");
    dao::criteria::registerCriteriaFunctions(db);
    check(db, sqlite3_exec(db, "CREATE TABLE t(ID INTEGER PRIMARY KEY, B5_Hex TEXT, CJ_Code TEXT)", nullptr,
                           nullptr, nullptr), "create");
    check(db, sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), "begin");
    sqlite3_stmt* insert = nullptr;
    check(db, sqlite3_prepare_v2(db, "INSERT INTO t(ID, B5_Hex, CJ_Code) VALUES (?, ?, 'ABC')", -1, &insert,
                                 nullptr), "prepare insert");
    for (std::int64_t id = 1; id <= kRows; ++id) {
      const std::string hex = hexOf(id);
      sqlite3_bind_int64(insert, 1, id);
      sqlite3_bind_text(insert, 2, hex.data(), static_cast<int>(hex.size()), SQLITE_TRANSIENT);
      check(db, sqlite3_step(insert), "insert");
      sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    check(db, sqlite3_exec(db, "COMMIT; CREATE INDEX t_hex ON t(B5_Hex COLLATE NOCASE); ANALYZE;", nullptr,
                           nullptr, nullptr), "index");
    // The whole value of the last row, lower-cased as the data layer does.
    for (char c : hexOf(kRows)) lastPrefix += static_cast<char>(c >= 'A' && c <= 'F' ? c + 32 : c);
  }
  ~BigTable() { sqlite3_close(db); }
};

BigTable& table() {
  static BigTable t;
  return t;
}

void bindAll(sqlite3_stmt* stmt, const dao::criteria::CompiledCriteria& compiled) {
  int i = 1;
  for (const auto& p : compiled.parameters) {
    if (const auto* s = std::get_if<std::string>(&p)) {
      sqlite3_bind_text(stmt, i, s->data(), static_cast<int>(s->size()), SQLITE_TRANSIENT);
    } else if (const auto* n = std::get_if<std::int64_t>(&p)) {
      sqlite3_bind_int64(stmt, i, *n);
    } else if (const auto* r = std::get_if<double>(&p)) {
      sqlite3_bind_double(stmt, i, *r);
    } else {
      sqlite3_bind_null(stmt, i);
    }
    ++i;
  }
}

// One FindFirst: compile, prepare, take the first match in ID order.
std::int64_t findFirst(sqlite3* db, const std::string& criteria, const char* hint = "") {
  const auto compiled = compileCriteria(criteria, &resolve);
  const std::string sql =
      std::string("SELECT ID FROM t ") + hint + " WHERE " + compiled.whereSql + " ORDER BY ID LIMIT 1";
  sqlite3_stmt* stmt = nullptr;
  check(db, sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr), "prepare");
  bindAll(stmt, compiled);
  const std::int64_t id = sqlite3_step(stmt) == SQLITE_ROW ? sqlite3_column_int64(stmt, 0) : -1;
  sqlite3_finalize(stmt);
  return id;
}

void BM_CompileLocateCriteria(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(compileCriteria(R"(([B5_Hex]  LIKE LCASE("a4a4*")))", &resolve));
  }
}
BENCHMARK(BM_CompileLocateCriteria);

void BM_CompileThreeFieldCriteria(benchmark::State& state) {
  const std::string criteria =
      R"(([B5_Hex]  LIKE LCASE("a4[*]a4*")) AND ([ID]  = 12345) AND ([Day]  = #12/31/2020 10:00:00#))";
  for (auto _ : state) benchmark::DoNotOptimize(compileCriteria(criteria, &resolve));
}
BENCHMARK(BM_CompileThreeFieldCriteria);

void BM_FindFirstPrefixCompiledIndexed(benchmark::State& state) {
  BigTable& t = table();
  const std::string criteria = "([B5_Hex]  LIKE LCASE(\"" + t.lastPrefix.substr(0, 4) + "*\"))";
  if (findFirst(t.db, "([B5_Hex]  LIKE LCASE(\"" + t.lastPrefix + "*\"))") != kRows) {
    state.SkipWithError("the last row's value was not found");
    return;
  }
  for (auto _ : state) benchmark::DoNotOptimize(findFirst(t.db, criteria));
}
BENCHMARK(BM_FindFirstPrefixCompiledIndexed)->Unit(benchmark::kMicrosecond);

void BM_FindFirstLastRowCompiledIndexed(benchmark::State& state) {
  BigTable& t = table();
  const std::string criteria = "([B5_Hex]  LIKE LCASE(\"" + t.lastPrefix + "*\"))";
  for (auto _ : state) benchmark::DoNotOptimize(findFirst(t.db, criteria));
}
BENCHMARK(BM_FindFirstLastRowCompiledIndexed)->Unit(benchmark::kMicrosecond);

// The same compiled criteria with the index forbidden: the cost of the
// exact test alone over the whole table.
void BM_FindFirstLastRowCompiledScan(benchmark::State& state) {
  BigTable& t = table();
  const std::string criteria = "([B5_Hex]  LIKE LCASE(\"" + t.lastPrefix + "*\"))";
  for (auto _ : state) benchmark::DoNotOptimize(findFirst(t.db, criteria, "NOT INDEXED"));
}
BENCHMARK(BM_FindFirstLastRowCompiledScan)->Unit(benchmark::kMillisecond);

// SQLite's own case-insensitive LIKE ('%' wildcard; ASCII case only),
// prepared the same way. SQLite derives a NOCASE range from it by itself.
void rawSqliteLike(benchmark::State& state, const char* sql) {
  BigTable& t = table();
  const std::string pattern = t.lastPrefix + "%";
  for (auto _ : state) {
    sqlite3_stmt* stmt = nullptr;
    check(t.db, sqlite3_prepare_v2(t.db, sql, -1, &stmt, nullptr), "prepare");
    sqlite3_bind_text(stmt, 1, pattern.data(), static_cast<int>(pattern.size()), SQLITE_TRANSIENT);
    const std::int64_t id = sqlite3_step(stmt) == SQLITE_ROW ? sqlite3_column_int64(stmt, 0) : -1;
    sqlite3_finalize(stmt);
    if (id != kRows) state.SkipWithError("raw LIKE found another row");
    benchmark::DoNotOptimize(id);
  }
}

void BM_FindFirstLastRowRawSqliteLike(benchmark::State& state) {
  rawSqliteLike(state, "SELECT ID FROM t WHERE B5_Hex LIKE ? ORDER BY ID LIMIT 1");
}
BENCHMARK(BM_FindFirstLastRowRawSqliteLike)->Unit(benchmark::kMicrosecond);

void BM_FindFirstLastRowRawSqliteLikeScan(benchmark::State& state) {
  rawSqliteLike(state, "SELECT ID FROM t NOT INDEXED WHERE B5_Hex LIKE ? ORDER BY ID LIMIT 1");
}
BENCHMARK(BM_FindFirstLastRowRawSqliteLikeScan)->Unit(benchmark::kMillisecond);

}  // namespace
