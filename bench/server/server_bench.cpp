// The engine on a PostgreSQL server (through the automation surface, as the
// program reaches it) against raw libpq doing the same work over the same
// connection string, in one run, the two interleaved round by round so that
// load which comes and goes falls on both alike:
//  - opening the six tables: connect, OpenRecordset of each and its first
//    row read, against connect and per table one prepared SELECT of the
//    highest key and the first row;
//  - Next with every field read, against one prepared SELECT of the row by
//    its key;
//  - FindFirst of a selective B5_Hex prefix and of a B5_Word equality,
//    against the same WHERE (on the index over lower(col COLLATE "C"));
//  - one post (Edit, one field set, Update), p50 and p99, against the
//    guarded UPDATE in one round trip;
//  - with a second database (the 1,000,000-record copy): the prefix
//    FindFirst there, against an absolute limit.
// The engine's round trips are the statements its server session ran.
//
//   server_bench [--rounds N] [--posts N] CONNECTION [MILLION_CONNECTION]
//
// Prints the Markdown table (bench/RESULTS.md takes it as it is) on stdout.
#include <fmt/format.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/server/raw_libpq.h"
#include "bench/server/timings.h"
#include "platform/automation/com_init.h"
#include "platform/dao/dao_database.h"
#include "platform/dao/dao_object.h"
#include "platform/dao/server/server_session.h"
#include "platform/dao/server/server_storage.h"

namespace {

using automation::ObjectRef;
using automation::Variant;
using serverbench::RawConnection;
using serverbench::ReportRow;
using serverbench::Samples;
using serverbench::StopWatch;

constexpr const char* kCharacterTable = "0_Data_Input";
constexpr const char* kPostedField = "CJ_Input";

struct Options {
  int rounds = 30;
  int posts = 2000;
  std::string connection;
  std::string millionConnection;
};

// The engine's database on the server: the storage OpenDatabase builds for
// a connection string, kept at hand to read its session's statement count.
struct EngineDatabase {
  std::shared_ptr<dao::server::ServerStorage> storage;
  ObjectRef database;

  explicit EngineDatabase(const std::string& connection)
      : storage(std::make_shared<dao::server::ServerStorage>(connection, dao::OpenSettings{})),
        database(std::make_shared<dao::DaoDatabase>(std::make_shared<dao::ErrorLog>(), storage, ";")) {}
  ~EngineDatabase() { database->call("Close"); }
  std::int64_t statements() const { return storage->session().statements(); }
  ObjectRef open(const std::string& table) const { return database->getObject("OpenRecordset", {table, 2, 0, 3}); }
};

std::size_t readEveryField(const std::vector<ObjectRef>& fields) {
  std::size_t read = 0;
  for (const ObjectRef& field : fields) {
    const Variant value = field->get("Value");
    read += value.isNull() ? 0 : 1;
  }
  return read;
}

std::vector<ObjectRef> fieldsOf(const ObjectRef& recordset) {
  ObjectRef fields = recordset->getObject("Fields");
  std::vector<ObjectRef> all;
  for (int i = 0; i < fields->get("Count").asInt32(); ++i) all.push_back(fields->getObject("Item", {i}));
  return all;
}

struct TableInfo {
  std::string name;
  std::string key;
};

std::vector<TableInfo> listTables(RawConnection& raw) {
  std::vector<TableInfo> tables;
  const serverbench::Result result = raw.execute("SELECT name, row_key FROM zen_tables ORDER BY ordinal");
  for (int row = 0; row < PQntuples(result.get()); ++row)
    tables.push_back({PQgetvalue(result.get(), row, 0), PQgetvalue(result.get(), row, 1)});
  return tables;
}

std::string spreadOf(const Samples& engine, const Samples& raw) {
  return fmt::format("engine {}–{}, raw {}–{}", serverbench::formatMicroseconds(engine.quantile(0)),
                     serverbench::formatMicroseconds(engine.quantile(1)), serverbench::formatMicroseconds(raw.quantile(0)),
                     serverbench::formatMicroseconds(raw.quantile(1)));
}

// ---- opening the six tables ----

ReportRow openTables(const Options& options, const std::vector<TableInfo>& tables) {
  Samples engine;
  Samples raw;
  double engineTrips = 0;
  double rawTrips = 0;
  for (int round = 0; round < options.rounds; ++round) {
    {
      StopWatch watch;
      std::int64_t statements = 0;
      {
        EngineDatabase database(options.connection);
        for (const TableInfo& table : tables) {
          ObjectRef recordset = database.open(table.name);
          if (!recordset->get("EOF").asBoolean()) readEveryField(fieldsOf(recordset));
          recordset->call("Close");
        }
        statements = database.statements();
      }
      engine.add(watch.microseconds());
      engineTrips = static_cast<double>(statements) + 1;  // the connect
    }
    {
      StopWatch watch;
      RawConnection connection(options.connection);
      for (std::size_t i = 0; i < tables.size(); ++i) {
        const std::string table = serverbench::quoteIdentifier(tables[i].name);
        const std::string key = serverbench::quoteIdentifier(tables[i].key);
        const std::string name = "open" + std::to_string(i);
        connection.prepare(name, "SELECT (SELECT max(" + key + ") FROM " + table + "), * FROM " + table +
                                     " ORDER BY " + key + " LIMIT 1");
        serverbench::consumeRows(connection.run(name, {}).get());
      }
      raw.add(watch.microseconds());
      rawTrips = static_cast<double>(connection.roundTrips());
    }
  }
  return {"Open the six tables (connect, first row of each read)", engine.median(), raw.median(), engineTrips, rawTrips,
          "≤ 2× raw", 2.0, 0, spreadOf(engine, raw)};
}

// ---- Next with every field read ----

constexpr std::size_t kReadAheadRows = 256;

void nextWithFields(const Options& options, RawConnection& raw, std::vector<ReportRow>& rows) {
  const std::string table = serverbench::quoteIdentifier(kCharacterTable);
  std::vector<std::string> keys;
  {
    const serverbench::Result result = raw.execute("SELECT \"ID\" FROM " + table + " ORDER BY \"ID\"");
    for (int row = 0; row < PQntuples(result.get()); ++row) keys.emplace_back(PQgetvalue(result.get(), row, 0));
  }
  raw.prepare("row", "SELECT * FROM " + table + " WHERE \"ID\" = $1");
  EngineDatabase database(options.connection);
  ObjectRef recordset = database.open(kCharacterTable);
  const std::vector<ObjectRef> fields = fieldsOf(recordset);
  constexpr int kStepsPerRound = 200;
  Samples engine;
  Samples raw_;
  std::size_t rawPosition = 0;
  std::int64_t engineSteps = 0;
  const std::int64_t before = database.statements();
  const std::int64_t rawBefore = raw.roundTrips();
  for (int round = 0; round < options.rounds; ++round) {
    for (int step = 0; step < kStepsPerRound; ++step) {
      StopWatch watch;
      recordset->call("MoveNext");
      if (recordset->get("EOF").asBoolean()) {
        recordset->call("MoveFirst");
      }
      readEveryField(fields);
      engine.add(watch.microseconds());
      ++engineSteps;
    }
    for (int step = 0; step < kStepsPerRound; ++step) {
      StopWatch watch;
      rawPosition = (rawPosition + 1) % keys.size();
      serverbench::consumeRows(raw.run("row", {keys[rawPosition]}).get());
      raw_.add(watch.microseconds());
    }
  }
  rows.push_back({"Next, every field read (median of " + std::to_string(engine.size()) + " steps)", engine.median(),
          raw_.median(), static_cast<double>(database.statements() - before) / static_cast<double>(engineSteps),
          static_cast<double>(raw.roundTrips() - rawBefore) / static_cast<double>(raw_.size()), "≤ 2× raw", 2.0, 0,
          fmt::format("p99 engine {}, raw {}", serverbench::formatMicroseconds(engine.quantile(0.99)),
                      serverbench::formatMicroseconds(raw_.quantile(0.99)))});
  // Where the engine's time goes: in a run of Nexts the dynaset reads ahead
  // up to 256 rows per landing, and on the server (whose content stamp is
  // new at every call) it reads that window again at every step. The same
  // window read by raw libpq, for comparison.
  raw.prepare("window", "SELECT * FROM " + table + " WHERE \"ID\" BETWEEN $1 AND $2 ORDER BY \"ID\"");
  Samples window;
  for (int round = 0; round < options.rounds * 10; ++round) {
    const std::size_t first = static_cast<std::size_t>(round * 37) % (keys.size() - kReadAheadRows);
    StopWatch watch;
    serverbench::consumeRows(raw.run("window", {keys[first], keys[first + kReadAheadRows - 1]}).get());
    window.add(watch.microseconds());
  }
  rows.push_back({"(where Next's time goes) raw libpq reading a 256-row window by key range", window.median(), 0, 1,
                  1, "diagnostic", 0, 0, ""});
}

// ---- FindFirst ----

struct Find {
  std::string what;
  std::string criteria;      // the engine's, as the program's search box writes it
  std::string sql;           // raw: the same WHERE, first key in the table's order
  std::vector<std::optional<std::string>> parameters;
};

ReportRow findFirst(const std::string& connection, RawConnection& raw, const std::string& tableName, const Find& find,
                    int repetitions, const std::string& target, double ratioLimit, double absoluteLimit) {
  static int prepared = 0;
  const std::string statement = "find" + std::to_string(++prepared);
  raw.prepare(statement, find.sql);
  EngineDatabase database(connection);
  ObjectRef recordset = database.open(tableName);
  const Variant criteria = find.criteria;
  Samples engine;
  Samples raw_;
  const std::int64_t before = database.statements();
  const std::int64_t rawBefore = raw.roundTrips();
  for (int i = 0; i < repetitions; ++i) {
    {
      StopWatch watch;
      recordset->call("FindFirst", {criteria});
      const bool found = !recordset->get("NoMatch").asBoolean();
      engine.add(watch.microseconds());
      if (!found) throw std::runtime_error("the engine found no match for " + find.criteria);
    }
    {
      StopWatch watch;
      const serverbench::Result result = raw.run(statement, find.parameters);
      raw_.add(watch.microseconds());
      if (PQntuples(result.get()) < 1) throw std::runtime_error("raw libpq found no match for " + find.what);
    }
  }
  return {find.what, engine.median(), raw_.median(),
          static_cast<double>(database.statements() - before) / repetitions,
          static_cast<double>(raw.roundTrips() - rawBefore) / repetitions, target, ratioLimit, absoluteLimit,
          spreadOf(engine, raw_)};
}

// The B5_Hex and B5_Word of the row `fraction` of the way down the table.
std::pair<std::string, std::string> rowAt(RawConnection& raw, double fraction) {
  const std::string table = serverbench::quoteIdentifier(kCharacterTable);
  const serverbench::Result count = raw.execute("SELECT count(*) FROM " + table);
  const long offset = static_cast<long>(std::atol(PQgetvalue(count.get(), 0, 0)) * fraction);
  const serverbench::Result row = raw.execute("SELECT \"B5_Hex\", \"B5_Word\" FROM " + table +
                                              " ORDER BY \"ID\" OFFSET " + std::to_string(offset) + " LIMIT 1");
  return {PQgetvalue(row.get(), 0, 0), PQgetvalue(row.get(), 0, 1)};
}

std::string lowered(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// The search box's prefix search: the criteria it writes, and the index
// range the engine compiles it to.
Find hexPrefix(const std::string& what, const std::string& hex) {
  const std::string table = serverbench::quoteIdentifier(kCharacterTable);
  std::string high = lowered(hex);
  high.back() = static_cast<char>(high.back() + 1);
  // The statement's shape is the engine's (the range on the index, the
  // pattern itself, the first page of keys after key 0): with the range
  // alone and LIMIT 1 the planner walks the primary key instead.
  const std::string folded = "lower(\"B5_Hex\" COLLATE \"C\")";
  return {what, "([B5_Hex]  LIKE LCASE(\"" + lowered(hex) + "*\"))",
          "SELECT \"ID\" FROM " + table + " WHERE " + folded + " >= $1 AND " + folded + " < $2 AND " + folded +
              " LIKE $3 AND \"ID\" > $4::bigint ORDER BY \"ID\" LIMIT $5::bigint",
          {lowered(hex), high, lowered(hex) + "%", "0", "32"}};
}

Find wordEquality(const std::string& word) {
  const std::string table = serverbench::quoteIdentifier(kCharacterTable);
  return {"FindFirst B5_Word = one character (not indexed)", "[B5_Word] = \"" + word + "\"",
          "SELECT \"ID\" FROM " + table + " WHERE lower(\"B5_Word\" COLLATE \"C\") = $1 AND \"ID\" > $2::bigint " +
              "ORDER BY \"ID\" LIMIT $3::bigint",
          {word, "0", "32"}};
}

// ---- one post ----

std::vector<ReportRow> posts(const Options& options, RawConnection& raw) {
  const std::string table = serverbench::quoteIdentifier(kCharacterTable);
  EngineDatabase database(options.connection);
  ObjectRef recordset = database.open(kCharacterTable);
  recordset->put("AbsolutePosition", 5000);
  ObjectRef field = recordset->getObject("Fields", {kPostedField});
  // The raw client posts to other rows, so that nobody conflicts.
  const serverbench::Result target =
      raw.execute("SELECT \"ID\", zen_version FROM " + table + " ORDER BY \"ID\" OFFSET 6000 LIMIT 2");
  const std::string rawKey = PQgetvalue(target.get(), 0, 0);
  const std::string bareKey = PQgetvalue(target.get(), 1, 0);
  long long bareVersion = std::atoll(PQgetvalue(target.get(), 1, 1));
  // The same work as the engine's post: the row read afresh (Edit must see
  // what is stored now), then written only where the counter and every
  // field are still as read, so that nobody's change is overwritten.
  raw.prepare("edit", "SELECT * FROM " + table + " WHERE \"ID\" = $1");
  std::string guarded;
  {
    const serverbench::Result row = raw.run("edit", {rawKey});
    guarded = "UPDATE " + table + " SET \"" + std::string(kPostedField) +
              "\" = $1::text, zen_version = zen_version + 1 WHERE \"ID\" = $2 AND zen_version = $3";
    int parameter = 3;
    for (int column = 0; column < PQnfields(row.get()); ++column) {
      const std::string name = PQfname(row.get(), column);
      if (name == "zen_version") continue;
      guarded += " AND " + serverbench::quoteIdentifier(name) + " IS NOT DISTINCT FROM $" +
                 std::to_string(++parameter) + (name == "ID" ? "::bigint" : "::text");
    }
  }
  raw.prepare("guarded", guarded);
  // The least a post can cost: one UPDATE guarded by the counter alone
  // (it would overwrite a row another program replaced with its counter
  // set back), for comparison only.
  raw.prepare("bare", "UPDATE " + table + " SET \"" + std::string(kPostedField) +
                          "\" = $1, zen_version = zen_version + 1 WHERE \"ID\" = $2 AND zen_version = $3");
  Samples engine;
  Samples raw_;
  Samples bare;
  double engineStatements = 0;
  double rawStatements = 0;
  for (int i = 0; i < options.posts; ++i) {
    const char* text = i % 2 == 0 ? "even definition" : "odd definition";
    const auto enginePost = [&] {
      const std::int64_t before = database.statements();
      StopWatch watch;
      recordset->call("Edit");
      field->put("Value", text);
      recordset->call("Update");
      engine.add(watch.microseconds());
      engineStatements += static_cast<double>(database.statements() - before);
    };
    const auto rawPost = [&] {
      const std::int64_t before = raw.roundTrips();
      StopWatch watch;
      const serverbench::Result row = raw.run("edit", {rawKey});
      std::vector<std::optional<std::string>> parameters = {text, rawKey, ""};
      for (int column = 0; column < PQnfields(row.get()); ++column) {
        const std::string name = PQfname(row.get(), column);
        if (name == "zen_version") {
          parameters[2] = PQgetvalue(row.get(), 0, column);
        } else if (PQgetisnull(row.get(), 0, column)) {
          parameters.emplace_back();
        } else {
          parameters.emplace_back(std::string(PQgetvalue(row.get(), 0, column),
                                              static_cast<std::size_t>(PQgetlength(row.get(), 0, column))));
        }
      }
      const serverbench::Result result = raw.run("guarded", parameters);
      raw_.add(watch.microseconds());
      rawStatements += static_cast<double>(raw.roundTrips() - before);
      if (std::atoll(PQcmdTuples(result.get())) != 1) throw std::runtime_error("raw libpq: the guarded UPDATE missed");
    };
    // Taking turns at going first, so that whatever the server does after
    // a commit (its log writer, a page pruned) falls on both alike.
    if (i % 2 == 0) {
      enginePost();
      rawPost();
    } else {
      rawPost();
      enginePost();
    }
    {
      StopWatch watch;
      const serverbench::Result result = raw.run("bare", {text, bareKey, std::to_string(bareVersion)});
      bare.add(watch.microseconds());
      if (std::atoll(PQcmdTuples(result.get())) != 1) throw std::runtime_error("raw libpq: the bare UPDATE missed");
      ++bareVersion;
    }
  }
  const double engineTrips = engineStatements / options.posts;
  const double rawTrips = rawStatements / options.posts;
  const std::string count = std::to_string(options.posts);
  return {{"One post (Edit, one field, Update), p50 of " + count, engine.median(), raw_.median(), engineTrips, rawTrips,
           "≤ 2× raw", 2.0, 0, ""},
          {"One post, p99 of " + count, engine.quantile(0.99), raw_.quantile(0.99), engineTrips, rawTrips, "≤ 2× raw",
           2.0, 0, spreadOf(engine, raw_)},
          {"(the least a post can cost) raw libpq, one UPDATE guarded by the counter alone, p50", bare.median(), 0, 1, 1,
           "diagnostic", 0, 0, "p99 " + serverbench::formatMicroseconds(bare.quantile(0.99))}};
}

Options parseOptions(int argc, char** argv) {
  Options options;
  std::vector<std::string> positional;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if ((argument == "--rounds" || argument == "--posts") && i + 1 < argc) {
      (argument == "--rounds" ? options.rounds : options.posts) = std::atoi(argv[++i]);
    } else {
      positional.push_back(argument);
    }
  }
  if (positional.empty() || positional.size() > 2 || options.rounds < 1 || options.posts < 1)
    throw std::invalid_argument("usage: server_bench [--rounds N] [--posts N] CONNECTION [MILLION_CONNECTION]");
  options.connection = positional[0];
  if (positional.size() == 2) options.millionConnection = positional[1];
  return options;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const Options options = parseOptions(argc, argv);
    automation::ScopedComInitialization com;
    RawConnection raw(options.connection);
    std::vector<ReportRow> rows;
    const std::vector<TableInfo> tables = listTables(raw);
    std::fprintf(stderr, "server_bench: open (%zu tables)\n", tables.size());
    rows.push_back(openTables(options, tables));
    std::fprintf(stderr, "server_bench: next\n");
    nextWithFields(options, raw, rows);
    std::fprintf(stderr, "server_bench: find\n");
    const int finds = std::max(options.rounds * 10, 100);
    const auto [hex, word] = rowAt(raw, 0.9);
    rows.push_back(findFirst(options.connection, raw, kCharacterTable,
                             hexPrefix("FindFirst B5_Hex prefix (a row 90% down)", hex), finds, "≤ 2× raw", 2.0, 0));
    {
      // Where FindFirst's time goes: the engine tests the pattern with its
      // own SQL function zen_fold (Unicode case folding), raw with lower().
      Find folded = hexPrefix("(where FindFirst's time goes) raw with the engine's zen_fold in the pattern test", hex);
      const std::string lower = "lower(\"B5_Hex\" COLLATE \"C\") LIKE";
      folded.sql.replace(folded.sql.find(lower), lower.size(), "zen_fold(\"B5_Hex\") LIKE");
      ReportRow row = findFirst(options.connection, raw, kCharacterTable, folded, finds, "diagnostic", 0, 0);
      row.engine = row.raw;
      row.raw = 0;
      row.roundTrips = 1;
      row.spread.clear();
      rows.push_back(row);
    }
    rows.push_back(findFirst(options.connection, raw, kCharacterTable, wordEquality(word), finds, "≤ 2× raw", 2.0, 0));
    std::fprintf(stderr, "server_bench: post\n");
    for (ReportRow& row : posts(options, raw)) rows.push_back(std::move(row));
    if (!options.millionConnection.empty()) {
      std::fprintf(stderr, "server_bench: 1,000,000 records\n");
      RawConnection million(options.millionConnection);
      const auto [millionHex, millionWord] = rowAt(million, 0.9);
      rows.push_back(findFirst(options.millionConnection, million, kCharacterTable,
                               hexPrefix("1,000,000 records: FindFirst B5_Hex prefix (a row 90% down)", millionHex),
                               finds, "≤ 1 ms", 0, 1000));
    }
    std::fputs(serverbench::markdownTable(rows).c_str(), stdout);
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "server_bench: %s\n", error.what());
    return 1;
  }
}
