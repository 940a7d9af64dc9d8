// The table dataset against the raw engine doing the same work in the same
// run. Compare each *_Table benchmark with its *_Engine twin:
//  - StatusLineAfterScroll: Next, then RecNo twice and RecordCount, as the
//    status line after every scroll; the counter MoveLast must stay 0.
//  - WalkAllRows: every row of the 13k character table with all its fields,
//    dataset Next against the engine's MoveNext plus a Value read per field.
//  - Locate: the search box's Locate of a B5_Hex prefix near the end of the
//    table against FindFirst of the same criteria on the engine's recordset
//    (_Engine), and against the engine calls Locate is made of, made
//    directly (_EngineSameCalls), on the 13k table and a 1,000,000-row table.
#include <benchmark/benchmark.h>

#include <cctype>
#include <memory>
#include <string>
#include <vector>

#include "bench/data/bench_tables.h"
#include "data/TOrvDaoDatabase.h"
#include "data/TOrvDaoTable.h"
#include "platform/automation/call_observer.h"
#include "platform/automation/class_registry.h"
#include "platform/automation/com_init.h"

namespace {

using automation::ObjectRef;
using automation::Variant;
using benchdata::BenchTables;

// The form's side: a connection and one open table.
struct OpenTable {
  OpenTable(const std::string& path, const char* tableName) {
    database.SetDatabase(path);
    database.SetConnected(true);
    table.SetDatabase(&database);
    table.SetTableName(tableName);
    table.Open();
  }
  framework::TComponent owner{"Form1"};
  data::TOrvDaoDatabase database{"OrvDaoDatabase1", &owner};
  data::TOrvDaoTable table{"OrvDaoTable1", &owner};
};

// The engine used directly, as its own benchmarks use it.
struct RawTable {
  RawTable(const std::string& path, const char* tableName) {
    engine = automation::createOleObject("DAO.DBEngine.36");
    database = engine->getObject("CreateWorkspace", {"Raw", "Admin", "", 2})
                   ->getObject("OpenDatabase", {path, false, false, ";UID=Admin;PWD=;"});
    recordset = database->getObject("OpenRecordset", {tableName, 2, 0, 3});
    const ObjectRef fields = recordset->getObject("Fields");
    for (int i = 0; i < fields->get("Count").asInt32(); ++i) fieldObjects.push_back(fields->getObject("Item", {i}));
  }
  ~RawTable() { database->call("Close"); }
  automation::ScopedComInitialization com;
  ObjectRef engine;
  ObjectRef database;
  ObjectRef recordset;
  std::vector<ObjectRef> fieldObjects;
};

class MemberCounter : public automation::CallObserver {
 public:
  explicit MemberCounter(std::string member) : member_(std::move(member)) { automation::addCallObserver(*this); }
  ~MemberCounter() override { automation::removeCallObserver(*this); }
  void onCall(const automation::AutomationCall& call) override {
    if (call.member == member_) ++count;
  }
  long count = 0;

 private:
  std::string member_;
};

std::string lowered(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// ---- The status line after a scroll ----

void BM_StatusLineAfterScroll_Table(benchmark::State& state) {
  OpenTable open(BenchTables::instance().charactersPath(), benchdata::kCharacterTable);
  data::TOrvDaoTable& table = open.table;
  benchmark::DoNotOptimize(table.RecordCount());  // the one count after opening
  MemberCounter moveLast("MoveLast");
  for (auto _ : state) {
    table.Next();
    if (table.Eof()) table.First();
    if (table.RecNo() >= 1) {
      benchmark::DoNotOptimize(table.RecNo());
      benchmark::DoNotOptimize(table.RecordCount());
    }
  }
  state.counters["MoveLast"] = static_cast<double>(moveLast.count);
  if (moveLast.count != 0) state.SkipWithError("the status line walked the table");
}
BENCHMARK(BM_StatusLineAfterScroll_Table)->Unit(benchmark::kMicrosecond);

void BM_StatusLineAfterScroll_Engine(benchmark::State& state) {
  RawTable raw(BenchTables::instance().charactersPath(), benchdata::kCharacterTable);
  for (auto _ : state) {
    raw.recordset->call("MoveNext");
    if (raw.recordset->get("EOF").asBoolean()) raw.recordset->call("MoveFirst");
    for (const ObjectRef& field : raw.fieldObjects) benchmark::DoNotOptimize(field->get("Value"));
    benchmark::DoNotOptimize(raw.recordset->get("AbsolutePosition"));
  }
}
BENCHMARK(BM_StatusLineAfterScroll_Engine)->Unit(benchmark::kMicrosecond);

// ---- Every row with all its fields ----

void BM_WalkAllRows_Table(benchmark::State& state) {
  OpenTable open(BenchTables::instance().charactersPath(), benchdata::kCharacterTable);
  data::TOrvDaoTable& table = open.table;
  for (auto _ : state) {
    table.First();
    while (!table.Eof()) table.Next();
  }
  state.SetItemsProcessed(state.iterations() * BenchTables::instance().characterRows());
}
BENCHMARK(BM_WalkAllRows_Table)->Unit(benchmark::kMillisecond);

void BM_WalkAllRows_Engine(benchmark::State& state) {
  RawTable raw(BenchTables::instance().charactersPath(), benchdata::kCharacterTable);
  for (auto _ : state) {
    raw.recordset->call("MoveFirst");
    while (!raw.recordset->get("EOF").asBoolean()) {
      for (const ObjectRef& field : raw.fieldObjects) benchmark::DoNotOptimize(field->get("Value"));
      raw.recordset->call("MoveNext");
    }
  }
  state.SetItemsProcessed(state.iterations() * BenchTables::instance().characterRows());
}
BENCHMARK(BM_WalkAllRows_Engine)->Unit(benchmark::kMillisecond);

// ---- Locate against FindFirst ----

// Two keys near the end, searched in turn so that every Locate moves.
std::vector<std::string> characterKeys() {
  const BenchTables& tables = BenchTables::instance();
  return {tables.characterHex(tables.characterRows() - 1), tables.characterHex(tables.characterRows() - 50)};
}

std::vector<std::string> millionKeys() {
  return {BenchTables::millionKey(benchdata::kMillionRows - 1), BenchTables::millionKey(benchdata::kMillionRows - 5000)};
}

void locateWithTable(benchmark::State& state, const std::string& path, const char* tableName, const char* field,
                     const std::vector<std::string>& keys) {
  OpenTable open(path, tableName);
  std::size_t next = 0;
  for (auto _ : state) {
    const bool found = open.table.Locate(field, {keys[next]}, {.caseInsensitive = true, .partialKey = true});
    if (!found) state.SkipWithError("no match");
    next = 1 - next;
  }
}

void findFirstWithEngine(benchmark::State& state, const std::string& path, const char* tableName, const char* field,
                         const std::vector<std::string>& keys) {
  RawTable raw(path, tableName);
  std::vector<Variant> criteria;
  for (const std::string& key : keys) {
    criteria.emplace_back("([" + std::string(field) + "]  LIKE LCASE(\"" + lowered(key) + "*\"))");
  }
  std::size_t next = 0;
  for (auto _ : state) {
    raw.recordset->call("FindFirst", {criteria[next]});
    if (raw.recordset->get("NoMatch").asBoolean()) state.SkipWithError("no match");
    next = 1 - next;
  }
}

// The engine calls Locate itself makes, made directly: a clone, its
// MoveFirst and FindFirst, the found row's bookmark and position, the table's
// own cursor moved there and the row's values read. The floor of Locate's
// algorithm on this engine.
void sameCallsWithEngine(benchmark::State& state, const std::string& path, const char* tableName, const char* field,
                         const std::vector<std::string>& keys) {
  RawTable raw(path, tableName);
  std::vector<Variant> criteria;
  for (const std::string& key : keys) {
    criteria.emplace_back("([" + std::string(field) + "]  LIKE LCASE(\"" + lowered(key) + "*\"))");
  }
  std::size_t next = 0;
  for (auto _ : state) {
    const ObjectRef clone = raw.recordset->getObject("Clone");
    clone->call("MoveFirst");
    clone->call("FindFirst", {criteria[next]});
    if (clone->get("NoMatch").asBoolean()) state.SkipWithError("no match");
    const Variant bookmark = clone->get("Bookmark");
    benchmark::DoNotOptimize(clone->get("AbsolutePosition"));
    raw.recordset->put("Bookmark", bookmark);
    for (const ObjectRef& value : raw.fieldObjects) benchmark::DoNotOptimize(value->get("Value"));
    clone->call("Close");
    next = 1 - next;
  }
}

void BM_Locate13k_Table(benchmark::State& state) {
  locateWithTable(state, BenchTables::instance().charactersPath(), benchdata::kCharacterTable, "B5_Hex",
                  characterKeys());
}
BENCHMARK(BM_Locate13k_Table)->Unit(benchmark::kMicrosecond);

void BM_Locate13k_Engine(benchmark::State& state) {
  findFirstWithEngine(state, BenchTables::instance().charactersPath(), benchdata::kCharacterTable, "B5_Hex",
                      characterKeys());
}
BENCHMARK(BM_Locate13k_Engine)->Unit(benchmark::kMicrosecond);

void BM_Locate13k_EngineSameCalls(benchmark::State& state) {
  sameCallsWithEngine(state, BenchTables::instance().charactersPath(), benchdata::kCharacterTable, "B5_Hex",
                      characterKeys());
}
BENCHMARK(BM_Locate13k_EngineSameCalls)->Unit(benchmark::kMicrosecond);

void BM_Locate1M_Table(benchmark::State& state) {
  locateWithTable(state, BenchTables::instance().millionPath(), benchdata::kMillionTable, "Key", millionKeys());
}
BENCHMARK(BM_Locate1M_Table)->Unit(benchmark::kMicrosecond);

void BM_Locate1M_Engine(benchmark::State& state) {
  findFirstWithEngine(state, BenchTables::instance().millionPath(), benchdata::kMillionTable, "Key", millionKeys());
}
BENCHMARK(BM_Locate1M_Engine)->Unit(benchmark::kMicrosecond);

void BM_Locate1M_EngineSameCalls(benchmark::State& state) {
  sameCallsWithEngine(state, BenchTables::instance().millionPath(), benchdata::kMillionTable, "Key", millionKeys());
}
BENCHMARK(BM_Locate1M_EngineSameCalls)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
