// The data layer's operations as the main window makes them, each against
// raw SQLite doing the same work on the same file in the same run (the
// *_Raw twin of every *_Table benchmark). The files come from the
// environment (bench/run_benchmarks.sh makes copies):
//   ZEN_BENCH_DB_13K  a copy of the bundled Lexora_Concept.mdb
//   ZEN_BENCH_DB_1M   the same database with 1,000,000 character records
// Benchmarks whose file is not given are skipped.
//  - OpenSixTables: connect and open the six tables of the program.
//  - Next: one move with the record buffer filled (raw: the next key of the
//    keyset, its whole row read).
//  - Locate: the search box's Locate of a B5_Hex prefix (selective: one
//    row; Late: first match far down the table; None: matches nothing);
//    raw: the NOCASE index range, first row key in order, that row read.
//  - RecordCount: cached (second call) and uncached (after Refresh); raw:
//    SELECT count(*).
//  - Post: Edit, one text field changed, Post; raw: BEGIN IMMEDIATE, the
//    UPDATE, COMMIT. The counters p50_us and p99_us are the percentiles of
//    single posts. Raw is run with synchronous NORMAL and FULL, and FULL
//    with a checkpoint after each commit (what the engine does).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench/ops/ops_raw.h"
#include "data/TOrvDaoDatabase.h"
#include "data/TOrvDaoTable.h"
#include "framework/TField.h"
#include "platform/automation/com_init.h"
#include "schema/schema.h"

namespace {

using opsbench::RawConnection;
using opsbench::RawStatement;

constexpr const char* kMainTable = "0_Data_Input";

const char* databasePath(bool million) { return std::getenv(million ? "ZEN_BENCH_DB_1M" : "ZEN_BENCH_DB_13K"); }

bool skipWithoutFile(benchmark::State& state, bool million) {
  if (databasePath(million) != nullptr) return false;
  state.SkipWithError("database file not given in the environment");
  return true;
}

struct OpenTables {
  explicit OpenTables(const std::string& path, bool allSix = false) {
    database.SetDatabase(path);
    database.SetConnected(true);
    for (const schema::TableDefinition& definition : schema::allTables()) {
      const std::string name(definition.name);
      if (!allSix && name != kMainTable) continue;
      auto table = std::make_unique<data::TOrvDaoTable>("OrvDaoTable" + std::to_string(tables.size() + 1), &owner);
      table->SetDatabase(&database);
      table->SetTableName(name);
      table->Open();
      if (name == kMainTable) main = table.get();
      tables.push_back(std::move(table));
    }
  }
  ~OpenTables() {
    for (auto& table : tables) table->Close();
    database.SetConnected(false);
  }
  automation::ScopedComInitialization com;
  framework::TComponent owner{"Form1"};
  data::TOrvDaoDatabase database{"OrvDaoDatabase1", &owner};
  std::vector<std::unique_ptr<data::TOrvDaoTable>> tables;
  data::TOrvDaoTable* main = nullptr;
};

// ---- opening the six tables ----

void BM_OpenSixTables_Table(benchmark::State& state) {
  if (skipWithoutFile(state, false)) return;
  for (auto _ : state) OpenTables open(databasePath(false), true);
}
BENCHMARK(BM_OpenSixTables_Table)->Unit(benchmark::kMillisecond);

void BM_OpenSixTables_Raw(benchmark::State& state) {
  if (skipWithoutFile(state, false)) return;
  for (auto _ : state) {
    RawConnection db(databasePath(false));
    for (const schema::TableDefinition& definition : schema::allTables()) {
      const std::string name(definition.name);
      const std::vector<std::int64_t> keys = opsbench::readKeyset(db, name);
      RawStatement byKey(db.get(), "SELECT * FROM " + opsbench::quoted(name) + " WHERE rowid=?1");
      if (!keys.empty()) benchmark::DoNotOptimize(opsbench::readRow(byKey, keys.front()));
    }
  }
}
BENCHMARK(BM_OpenSixTables_Raw)->Unit(benchmark::kMillisecond);

// ---- Next with the record buffer filled ----

void BM_Next_Table(benchmark::State& state) {
  const bool million = state.range(0) != 0;
  if (skipWithoutFile(state, million)) return;
  OpenTables open(databasePath(million));
  for (auto _ : state) {
    open.main->Next();
    if (open.main->Eof()) open.main->First();
  }
}
BENCHMARK(BM_Next_Table)->Arg(0)->Arg(1)->ArgName("million")->Unit(benchmark::kMicrosecond);

void BM_Next_Raw(benchmark::State& state) {
  const bool million = state.range(0) != 0;
  if (skipWithoutFile(state, million)) return;
  RawConnection db(databasePath(million));
  const std::vector<std::int64_t> keys = opsbench::readKeyset(db, kMainTable);
  RawStatement byKey(db.get(), std::string("SELECT * FROM \"") + kMainTable + "\" WHERE rowid=?1");
  std::size_t next = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(opsbench::readRow(byKey, keys[next]));
    if (++next == keys.size()) next = 0;
  }
}
BENCHMARK(BM_Next_Raw)->Arg(0)->Arg(1)->ArgName("million")->Unit(benchmark::kMicrosecond);

// ---- Locate of the search box ----

enum class Prefix { Selective, Late, None };

// Two prefixes searched in turn, so that every Locate that finds moves.
std::vector<std::string> prefixes(bool million, Prefix kind) {
  switch (kind) {
    case Prefix::Selective: return million ? std::vector<std::string>{"000f423f", "000f3e5f"}
                                           : std::vector<std::string>{"f9d5", "f9d4"};
    case Prefix::Late: return million ? std::vector<std::string>{"000f4", "000f3"} : std::vector<std::string>{"f9", "f8"};
    case Prefix::None: return million ? std::vector<std::string>{"ffffffff", "fffff"} : std::vector<std::string>{"ffff", "fff"};
  }
  return {};
}

void BM_Locate_Table(benchmark::State& state) {
  const bool million = state.range(0) != 0;
  const auto kind = static_cast<Prefix>(state.range(1));
  if (skipWithoutFile(state, million)) return;
  OpenTables open(databasePath(million));
  const std::vector<std::string> keys = prefixes(million, kind);
  std::size_t next = 0;
  for (auto _ : state) {
    const bool found = open.main->Locate("B5_Hex", {keys[next]}, {.caseInsensitive = true, .partialKey = true});
    if (found == (kind == Prefix::None)) state.SkipWithError("unexpected result");
    next = 1 - next;
  }
}

void BM_Locate_Raw(benchmark::State& state) {
  const bool million = state.range(0) != 0;
  const auto kind = static_cast<Prefix>(state.range(1));
  if (skipWithoutFile(state, million)) return;
  RawConnection db(databasePath(million));
  RawStatement find(db.get(), std::string("SELECT rowid FROM \"") + kMainTable +
                                  "\" WHERE B5_Hex COLLATE NOCASE >= ?1 AND B5_Hex COLLATE NOCASE < ?2 "
                                  "ORDER BY rowid LIMIT 1");
  RawStatement byKey(db.get(), std::string("SELECT * FROM \"") + kMainTable + "\" WHERE rowid=?1");
  std::vector<std::pair<std::string, std::string>> ranges;
  for (std::string low : prefixes(million, kind)) {
    std::string high = low;
    high.back() = static_cast<char>(high.back() + 1);
    ranges.emplace_back(low, high);
  }
  std::size_t next = 0;
  for (auto _ : state) {
    sqlite3_bind_text(find.get(), 1, ranges[next].first.c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_text(find.get(), 2, ranges[next].second.c_str(), -1, SQLITE_STATIC);
    const bool found = sqlite3_step(find.get()) == SQLITE_ROW;
    const std::int64_t key = found ? sqlite3_column_int64(find.get(), 0) : 0;
    find.reset();
    if (found) benchmark::DoNotOptimize(opsbench::readRow(byKey, key));
    if (found == (kind == Prefix::None)) state.SkipWithError("unexpected result");
    next = 1 - next;
  }
}

void locateArguments(benchmark::internal::Benchmark* b) {
  b->ArgNames({"million", "prefix"});
  for (int million : {0, 1}) {
    for (int kind : {0, 1, 2}) b->Args({million, kind});
  }
  b->Unit(benchmark::kMicrosecond);
}
BENCHMARK(BM_Locate_Table)->Apply(locateArguments);
BENCHMARK(BM_Locate_Raw)->Apply(locateArguments);

// ---- RecordCount ----

void BM_RecordCountCached_Table(benchmark::State& state) {
  const bool million = state.range(0) != 0;
  if (skipWithoutFile(state, million)) return;
  OpenTables open(databasePath(million));
  benchmark::DoNotOptimize(open.main->RecordCount());
  for (auto _ : state) benchmark::DoNotOptimize(open.main->RecordCount());
}
BENCHMARK(BM_RecordCountCached_Table)->Arg(0)->Arg(1)->ArgName("million");

void BM_RecordCountUncached_Table(benchmark::State& state) {
  const bool million = state.range(0) != 0;
  if (skipWithoutFile(state, million)) return;
  OpenTables open(databasePath(million));
  for (auto _ : state) {
    state.PauseTiming();
    open.main->Refresh();
    state.ResumeTiming();
    benchmark::DoNotOptimize(open.main->RecordCount());
  }
}
BENCHMARK(BM_RecordCountUncached_Table)->Arg(0)->Arg(1)->ArgName("million")->Unit(benchmark::kMicrosecond);

void BM_RecordCount_Raw(benchmark::State& state) {
  const bool million = state.range(0) != 0;
  if (skipWithoutFile(state, million)) return;
  RawConnection db(databasePath(million));
  RawStatement count(db.get(), std::string("SELECT count(*) FROM \"") + kMainTable + "\"");
  for (auto _ : state) {
    sqlite3_step(count.get());
    benchmark::DoNotOptimize(sqlite3_column_int64(count.get(), 0));
    count.reset();
  }
}
BENCHMARK(BM_RecordCount_Raw)->Arg(0)->Arg(1)->ArgName("million")->Unit(benchmark::kMicrosecond);

// ---- one post ----

class PostTimes {
 public:
  void add(std::chrono::steady_clock::duration d) { micros_.push_back(std::chrono::duration<double, std::micro>(d).count()); }
  void report(benchmark::State& state) {
    if (micros_.empty()) return;
    std::sort(micros_.begin(), micros_.end());
    state.counters["p50_us"] = micros_[micros_.size() / 2];
    state.counters["p99_us"] = micros_[std::min(micros_.size() - 1, micros_.size() * 99 / 100)];
  }

 private:
  std::vector<double> micros_;
};

void BM_Post_Table(benchmark::State& state) {
  if (skipWithoutFile(state, false)) return;
  OpenTables open(databasePath(false));
  framework::TField& field = open.main->FieldByName("CJ_Input");
  PostTimes times;
  long n = 0;
  for (auto _ : state) {
    const auto started = std::chrono::steady_clock::now();
    open.main->Edit();
    field.SetAsString("post " + std::to_string(++n));
    open.main->Post();
    times.add(std::chrono::steady_clock::now() - started);
  }
  times.report(state);
}
BENCHMARK(BM_Post_Table)->Iterations(1000)->Unit(benchmark::kMicrosecond);

void BM_Post_Raw(benchmark::State& state) {
  if (skipWithoutFile(state, false)) return;
  RawConnection db(databasePath(false), state.range(0) != 0 ? "FULL" : "NORMAL");
  RawStatement update(db.get(), std::string("UPDATE \"") + kMainTable + "\" SET CJ_Input=?1 WHERE rowid=1");
  PostTimes times;
  long n = 0;
  for (auto _ : state) {
    const auto started = std::chrono::steady_clock::now();
    db.execute("BEGIN IMMEDIATE");
    const std::string text = "post " + std::to_string(++n);
    sqlite3_bind_text(update.get(), 1, text.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_step(update.get());
    update.reset();
    db.execute("COMMIT");
    if (state.range(0) == 2) {
      sqlite3_wal_checkpoint_v2(db.get(), "main", SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr);
    }
    times.add(std::chrono::steady_clock::now() - started);
  }
  times.report(state);
}
// full_sync 2: as 1, and the log copied into the database file after every
// commit, as the engine does so that the file alone holds every post.
BENCHMARK(BM_Post_Raw)
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->ArgName("full_sync")
    ->Iterations(1000)
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
