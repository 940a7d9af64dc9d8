// The engine against raw SQLite doing the same work in the same run: opening
// the character table, reading every field of every row, FindFirst of a
// B5_Hex prefix that only the last row has (with and without the index), one
// Edit+Update (raw with the same durability: WAL, every commit synced), and a prefix FindFirst on a 1,000,000-row table. Each engine
// benchmark has a "Raw" twin; compare the two times.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <string>
#include <vector>

#include "bench/dao/bench_database.h"
#include "platform/automation/class_registry.h"
#include "platform/automation/com_init.h"

namespace {

using automation::ObjectRef;
using automation::Variant;

struct Engine {
  automation::ScopedComInitialization com;
  ObjectRef engine = automation::createOleObject("DAO.DBEngine.36");
  ObjectRef workspace = engine->getObject("CreateWorkspace", {"Bench", "Admin", "", 2});

  ObjectRef open(const std::string& path) { return workspace->getObject("OpenDatabase", {path, false, false, ";UID=Admin;PWD=;"}); }
};

Engine& engine() {
  static Engine instance;
  return instance;
}

ObjectRef openTable(const ObjectRef& database, const std::string& table) {
  return database->getObject("OpenRecordset", {table, 2, 0, 3});
}

std::string quoted(const std::string& name) { return "\"" + name + "\""; }

sqlite3* openRaw(const std::string& path) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
  sqlite3_busy_timeout(db, 5000);
  sqlite3_exec(db, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
  return db;
}

// Reads a column as the engine's caller would get it: text copied out.
void consumeColumn(sqlite3_stmt* statement, int column) {
  switch (sqlite3_column_type(statement, column)) {
    case SQLITE_INTEGER: benchmark::DoNotOptimize(sqlite3_column_int64(statement, column)); break;
    case SQLITE_TEXT: {
      std::string text(reinterpret_cast<const char*>(sqlite3_column_text(statement, column)),
                       static_cast<std::size_t>(sqlite3_column_bytes(statement, column)));
      benchmark::DoNotOptimize(text);
      break;
    }
    default: break;
  }
}

// ---- opening the character table ----

void BM_Open_Engine(benchmark::State& state) {
  const std::string& path = bench::BenchDatabases::instance().characterPath();
  for (auto _ : state) {
    ObjectRef database = engine().open(path);
    ObjectRef recordset = openTable(database, bench::kCharacterTable);
    benchmark::DoNotOptimize(recordset->get("EOF"));
    recordset->call("Close");
    database->call("Close");
  }
}
BENCHMARK(BM_Open_Engine)->Unit(benchmark::kMicrosecond);

void BM_Open_Raw(benchmark::State& state) {
  const std::string& path = bench::BenchDatabases::instance().characterPath();
  for (auto _ : state) {
    sqlite3* db = openRaw(path);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA application_id", -1, &statement, nullptr);
    sqlite3_step(statement);
    benchmark::DoNotOptimize(sqlite3_column_int(statement, 0));
    sqlite3_finalize(statement);
    const std::string sql = "SELECT * FROM " + quoted(bench::kCharacterTable) + " ORDER BY ID";
    sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr);
    if (sqlite3_step(statement) == SQLITE_ROW) {
      for (int column = 0; column < sqlite3_column_count(statement); ++column) consumeColumn(statement, column);
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
  }
}
BENCHMARK(BM_Open_Raw)->Unit(benchmark::kMicrosecond);

// ---- MoveNext over every row, reading every field ----

void BM_ReadAllRows_Engine(benchmark::State& state) {
  ObjectRef database = engine().open(bench::BenchDatabases::instance().characterPath());
  ObjectRef recordset = openTable(database, bench::kCharacterTable);
  ObjectRef fields = recordset->getObject("Fields");
  std::vector<ObjectRef> fieldObjects;
  for (int i = 0; i < fields->get("Count").asInt32(); ++i) fieldObjects.push_back(fields->getObject("Item", {i}));
  for (auto _ : state) {
    recordset->call("MoveFirst");
    while (!recordset->get("EOF").asBoolean()) {
      for (const ObjectRef& field : fieldObjects) benchmark::DoNotOptimize(field->get("Value"));
      recordset->call("MoveNext");
    }
  }
  state.SetItemsProcessed(state.iterations() * bench::kCharacterRows);
  database->call("Close");
}
BENCHMARK(BM_ReadAllRows_Engine)->Unit(benchmark::kMillisecond);

void BM_ReadAllRows_Raw(benchmark::State& state) {
  sqlite3* db = openRaw(bench::BenchDatabases::instance().characterPath());
  sqlite3_stmt* statement = nullptr;
  const std::string sql = "SELECT * FROM " + quoted(bench::kCharacterTable) + " ORDER BY ID";
  sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr);
  for (auto _ : state) {
    while (sqlite3_step(statement) == SQLITE_ROW) {
      for (int column = 0; column < sqlite3_column_count(statement); ++column) consumeColumn(statement, column);
    }
    sqlite3_reset(statement);
  }
  state.SetItemsProcessed(state.iterations() * bench::kCharacterRows);
  sqlite3_finalize(statement);
  sqlite3_close(db);
}
BENCHMARK(BM_ReadAllRows_Raw)->Unit(benchmark::kMillisecond);

// ---- FindFirst of a B5_Hex prefix only the last row has ----

std::string lastRowCriteria() {
  std::string hex = bench::characterHex(bench::kCharacterRows - 1);
  for (char& c : hex) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return "([B5_Hex]  LIKE LCASE(\"" + hex + "*\"))";
}

void findLastRowWithEngine(benchmark::State& state, const char* table) {
  ObjectRef database = engine().open(bench::BenchDatabases::instance().characterPath());
  ObjectRef recordset = openTable(database, table);
  const Variant criteria = lastRowCriteria();
  for (auto _ : state) {
    recordset->call("FindFirst", {criteria});
    if (recordset->get("NoMatch").asBoolean()) state.SkipWithError("no match");
  }
  database->call("Close");
}

void BM_FindFirstIndexed_Engine(benchmark::State& state) { findLastRowWithEngine(state, bench::kCharacterTable); }
BENCHMARK(BM_FindFirstIndexed_Engine)->Unit(benchmark::kMicrosecond);

void BM_FindFirstIndexed_Raw(benchmark::State& state) {
  sqlite3* db = openRaw(bench::BenchDatabases::instance().characterPath());
  sqlite3_stmt* statement = nullptr;
  const std::string sql = "SELECT ID FROM " + quoted(bench::kCharacterTable) +
                          " WHERE B5_Hex COLLATE NOCASE >= ?1 AND B5_Hex COLLATE NOCASE < ?2 ORDER BY ID LIMIT 1";
  sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr);
  std::string low = bench::characterHex(bench::kCharacterRows - 1);
  std::string high = low;
  high.back() = static_cast<char>(high.back() + 1);
  for (auto _ : state) {
    sqlite3_bind_text(statement, 1, low.c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_text(statement, 2, high.c_str(), -1, SQLITE_STATIC);
    if (sqlite3_step(statement) != SQLITE_ROW) state.SkipWithError("no match");
    sqlite3_reset(statement);
  }
  sqlite3_finalize(statement);
  sqlite3_close(db);
}
BENCHMARK(BM_FindFirstIndexed_Raw)->Unit(benchmark::kMicrosecond);

void BM_FindFirstScan_Engine(benchmark::State& state) { findLastRowWithEngine(state, bench::kPlainCharacterTable); }
BENCHMARK(BM_FindFirstScan_Engine)->Unit(benchmark::kMicrosecond);

void BM_FindFirstScan_Raw(benchmark::State& state) {
  sqlite3* db = openRaw(bench::BenchDatabases::instance().characterPath());
  sqlite3_stmt* statement = nullptr;
  // SQLite's own LIKE: ASCII case folding only, "_" and "%" as wildcards.
  const std::string sql = "SELECT ID FROM " + quoted(bench::kPlainCharacterTable) + " WHERE B5_Hex LIKE ?1 ORDER BY ID LIMIT 1";
  sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr);
  const std::string pattern = bench::characterHex(bench::kCharacterRows - 1) + "%";
  for (auto _ : state) {
    sqlite3_bind_text(statement, 1, pattern.c_str(), -1, SQLITE_STATIC);
    if (sqlite3_step(statement) != SQLITE_ROW) state.SkipWithError("no match");
    sqlite3_reset(statement);
  }
  sqlite3_finalize(statement);
  sqlite3_close(db);
}
BENCHMARK(BM_FindFirstScan_Raw)->Unit(benchmark::kMicrosecond);

// ---- one Edit + Update ----

void BM_EditUpdate_Engine(benchmark::State& state) {
  ObjectRef database = engine().open(bench::BenchDatabases::instance().characterPath());
  ObjectRef recordset = openTable(database, bench::kCharacterTable);
  recordset->put("AbsolutePosition", 5000);
  ObjectRef field = recordset->getObject("Fields", {"CJ_Input"});
  int round = 0;
  for (auto _ : state) {
    recordset->call("Edit");
    field->put("Value", ++round % 2 == 0 ? "even definition" : "odd definition");
    recordset->call("Update");
  }
  database->call("Close");
}
BENCHMARK(BM_EditUpdate_Engine)->Unit(benchmark::kMicrosecond);

// Raw SQLite in the engine's journal mode (WAL). With full_sync:1 it syncs
// every commit to disk before COMMIT returns (synchronous=FULL), as the
// engine's Update does: the like-for-like baseline. full_sync:0 (NORMAL)
// shows what a commit costs without that sync.
void BM_EditUpdate_Raw(benchmark::State& state) {
  sqlite3* db = openRaw(bench::BenchDatabases::instance().characterPath());
  // As the engine commits: the log copied into the database file after each
  // commit (below), and with full_sync:1 on disk when COMMIT returns.
  sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
  sqlite3_exec(db, state.range(0) != 0 ? "PRAGMA synchronous=FULL" : "PRAGMA synchronous=NORMAL", nullptr, nullptr,
               nullptr);
  sqlite3_stmt* read = nullptr;
  sqlite3_stmt* update = nullptr;
  const std::string table = quoted(bench::kCharacterTable);
  sqlite3_prepare_v2(db, ("SELECT * FROM " + table + " WHERE ID = ?1").c_str(), -1, &read, nullptr);
  sqlite3_prepare_v2(db, ("UPDATE " + table + " SET CJ_Input = ?1, zen_version = zen_version + 1 WHERE ID = ?2").c_str(),
                     -1, &update, nullptr);
  int round = 0;
  for (auto _ : state) {
    // What an edit needs: the row as stored now, then one write transaction.
    sqlite3_bind_int(read, 1, 5001);
    if (sqlite3_step(read) == SQLITE_ROW) {
      for (int column = 0; column < sqlite3_column_count(read); ++column) consumeColumn(read, column);
    }
    sqlite3_reset(read);
    sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    sqlite3_bind_text(update, 1, ++round % 2 == 0 ? "even definition" : "odd definition", -1, SQLITE_STATIC);
    sqlite3_bind_int(update, 2, 5001);
    sqlite3_step(update);
    sqlite3_reset(update);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_wal_checkpoint_v2(db, "main", SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr);
  }
  sqlite3_finalize(read);
  sqlite3_finalize(update);
  sqlite3_close(db);
}
BENCHMARK(BM_EditUpdate_Raw)->ArgName("full_sync")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// ---- prefix FindFirst on 1,000,000 rows (indexed column) ----

void BM_FindFirstMillion_Engine(benchmark::State& state) {
  ObjectRef database = engine().open(bench::BenchDatabases::instance().millionPath());
  ObjectRef recordset = openTable(database, bench::kMillionTable);
  std::string key = bench::millionKey(bench::kMillionRows - 10);
  key[0] = 'r';
  const Variant criteria = "([Key]  LIKE LCASE(\"" + key + "*\"))";
  for (auto _ : state) {
    recordset->call("FindFirst", {criteria});
    if (recordset->get("NoMatch").asBoolean()) state.SkipWithError("no match");
  }
  database->call("Close");
}
BENCHMARK(BM_FindFirstMillion_Engine)->Unit(benchmark::kMicrosecond);

void BM_FindFirstMillion_Raw(benchmark::State& state) {
  sqlite3* db = openRaw(bench::BenchDatabases::instance().millionPath());
  sqlite3_stmt* statement = nullptr;
  const std::string sql = "SELECT ID FROM " + quoted(bench::kMillionTable) +
                          " WHERE Key COLLATE NOCASE >= ?1 AND Key COLLATE NOCASE < ?2 ORDER BY ID LIMIT 1";
  sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr);
  const std::string low = bench::millionKey(bench::kMillionRows - 10);
  std::string high = low;
  high.back() = static_cast<char>(high.back() + 1);
  for (auto _ : state) {
    sqlite3_bind_text(statement, 1, low.c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_text(statement, 2, high.c_str(), -1, SQLITE_STATIC);
    if (sqlite3_step(statement) != SQLITE_ROW) state.SkipWithError("no match");
    sqlite3_reset(statement);
  }
  sqlite3_finalize(statement);
  sqlite3_close(db);
}
BENCHMARK(BM_FindFirstMillion_Raw)->Unit(benchmark::kMicrosecond);

// ---- diagnostics: the parts of reading all rows ----

// One late-bound Field.Value read of the current row.
void BM_FieldValueRead_Engine(benchmark::State& state) {
  ObjectRef database = engine().open(bench::BenchDatabases::instance().characterPath());
  ObjectRef recordset = openTable(database, bench::kCharacterTable);
  ObjectRef field = recordset->getObject("Fields", {"B5_Hex"});
  for (auto _ : state) benchmark::DoNotOptimize(field->get("Value"));
  database->call("Close");
}
BENCHMARK(BM_FieldValueRead_Engine);

// MoveNext over every row without reading fields (rows are still read on landing).
void BM_MoveNextOnly_Engine(benchmark::State& state) {
  ObjectRef database = engine().open(bench::BenchDatabases::instance().characterPath());
  ObjectRef recordset = openTable(database, bench::kCharacterTable);
  for (auto _ : state) {
    recordset->call("MoveFirst");
    while (!recordset->get("EOF").asBoolean()) recordset->call("MoveNext");
  }
  database->call("Close");
}
BENCHMARK(BM_MoveNextOnly_Engine)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
