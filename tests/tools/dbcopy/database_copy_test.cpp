// zenmora-db copy against the throwaway server of
// tests/support/with_postgres.sh (ZENMORA_TEST_POSTGRES); every test works
// in a server database of its own.
#include "tools/dbcopy/database_copy.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <thread>

#include "import/jet/guarded_import.h"
#include "platform/dao/database_builder.h"
#include "platform/dao/server/server_storage.h"
#include "platform/postgres/postgres_connection.h"
#include "tests/import/jet_test_files.h"
#include "tests/tools/test_files.h"

namespace dbcopy {
namespace {

using dbbuild::testing::TempFolder;
using postgres::PostgresConnection;

std::string testServer() {
  const char* address = std::getenv("ZENMORA_TEST_POSTGRES");
  if (address == nullptr || *address == '\0') {
    ADD_FAILURE() << "ZENMORA_TEST_POSTGRES is not set: run this test through tests/support/with_postgres.sh";
    return "host=/nonexistent";
  }
  return address;
}

// A new, empty server database; the later dbname= wins in libpq.
std::string freshServerDatabase(const std::string& name) {
  PostgresConnection admin = PostgresConnection::open(testServer());
  admin.execute("DROP DATABASE IF EXISTS " + PostgresConnection::quoteIdentifier(name));
  admin.execute("CREATE DATABASE " + PostgresConnection::quoteIdentifier(name));
  return testServer() + " dbname=" + name;
}

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

Outcome copy(const std::string& source, const std::string& target, bool replace = false) {
  CopyCommand command;
  command.source = source;
  command.target = target;
  command.replace = replace;
  std::ostringstream out;
  std::ostringstream err;
  Outcome outcome;
  outcome.status = runCopy(command, out, err);
  outcome.out = out.str();
  outcome.err = err.str();
  return outcome;
}

void sql(const std::filesystem::path& path, const std::string& statements) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  char* message = nullptr;
  const int status = sqlite3_exec(db, statements.c_str(), nullptr, nullptr, &message);
  EXPECT_EQ(status, SQLITE_OK) << (message != nullptr ? message : "");
  sqlite3_free(message);
  sqlite3_close(db);
}

// Everything a copy must keep, one line per row: the metadata tables and
// every table's rows in key order with the SQLite type of each value and
// doubles as their bits.
std::string dump(const std::filesystem::path& path) {
  sqlite3* db = nullptr;
  EXPECT_EQ(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
  std::string text;
  const auto rows = [&](const std::string& select) {
    sqlite3_stmt* statement = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db, select.c_str(), -1, &statement, nullptr), SQLITE_OK) << select;
    while (sqlite3_step(statement) == SQLITE_ROW) {
      for (int i = 0; i < sqlite3_column_count(statement); ++i) {
        switch (sqlite3_column_type(statement, i)) {
          case SQLITE_NULL: text += "null"; break;
          case SQLITE_INTEGER: text += "i" + std::to_string(sqlite3_column_int64(statement, i)); break;
          case SQLITE_FLOAT:
            text += "r" + std::to_string(std::bit_cast<std::uint64_t>(sqlite3_column_double(statement, i)));
            break;
          default: {
            const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement, i));
            text += (sqlite3_column_type(statement, i) == SQLITE_TEXT ? "t'" : "b'") +
                    std::string(bytes != nullptr ? bytes : "", static_cast<std::size_t>(sqlite3_column_bytes(statement, i))) +
                    "'";
          }
        }
        text += "|";
      }
      text += "\n";
    }
    sqlite3_finalize(statement);
  };
  rows("SELECT * FROM zen_info ORDER BY key");
  rows("SELECT * FROM zen_tables ORDER BY rowid");
  rows("SELECT * FROM zen_columns ORDER BY table_name, ordinal");
  rows("SELECT * FROM sqlite_sequence ORDER BY name");
  std::vector<std::string> tables;
  sqlite3_stmt* list = nullptr;
  sqlite3_prepare_v2(db, "SELECT name FROM zen_tables ORDER BY rowid", -1, &list, nullptr);
  while (sqlite3_step(list) == SQLITE_ROW) tables.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(list, 0)));
  sqlite3_finalize(list);
  for (const std::string& table : tables) {
    text += "== " + table + "\n";
    rows("SELECT rowid, * FROM \"" + table + "\" ORDER BY rowid");
  }
  sqlite3_close(db);
  return text;
}

const std::string kTrickyText =
    "\xE2\x82\xAC \xEE\x80\x80 \xEF\xBF\xBD tab\there\nline\rcr back\\slash \\N";

// A database with every kind of field, gaps in the keys, row versions above
// zero, a key used once and deleted, and a table without an auto-increment
// field (hidden row key).
void makeSample(const std::filesystem::path& path, const std::string& flavour = "") {
  {
    dao::DatabaseBuilder builder = dao::DatabaseBuilder::createNew(path.string());
    dao::TableDefinition chars{"Chars", {}, false};
    chars.columns = {
        {"ID", dao::dbLong, 0, true},
        {"Big5_Hex", dao::dbText, 4, false, true, true, "", true},
        {"Glyph", dao::dbText, 50},
        {"Note", dao::dbMemo},
        {"Done", dao::dbBoolean, 0, false, false, false, "0"},
        {"Small", dao::dbByte},
        {"Count", dao::dbInteger},
        {"Amount", dao::dbCurrency},
        {"Ratio", dao::dbSingle},
        {"Weight", dao::dbDouble},
        {"Added", dao::dbDate, 0, false, false, false, "", false, "Short Date"},
        {"Picture", dao::dbLongBinary},
    };
    builder.createTable(chars);
    dao::TableDefinition plain{"Plain Words", {}, false};
    plain.columns = {{"Word", dao::dbText, 20, false, true}, {"Score", dao::dbDouble}};
    builder.createTable(plain);
    builder.insertRowsKeepingKeys(
        "Chars", {"ID", "Big5_Hex", "Glyph", "Note", "Done", "Small", "Count", "Amount", "Ratio", "Weight", "Added"},
        {{"1", "A440", "\xE4\xB8\x80" + flavour, kTrickyText, "True", "255", "-32768", "12.3456", "0.1",
          "0.1", "45678.75"},
         {"2", "FA40", "\xEE\x80\x80", "", "False", "0", "32767", "-0.0001", "-3.4e38", "-0",
          "-657434"},
         {"5", "C6A1", std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt,
          std::nullopt, std::nullopt, std::nullopt},
         {"9", "FFFF", "x", "y", "True", "1", "1", "1", "1", "1", "1"}});
    builder.insertRows("Plain Words", {"Word", "Score"}, {{"alpha", "1e308"}, {"\\N", "5e-324"}, {"", std::nullopt}});
    builder.commit();
  }
  sql(path,
      "UPDATE Chars SET Picture = X'00FF0D0A5C09' WHERE ID = 1;"
      "UPDATE Chars SET Picture = X'' WHERE ID = 2;"
      "UPDATE Chars SET Amount = 9223372036854775807 WHERE ID = 1;"
      "UPDATE Chars SET Amount = -9223372036854775808 WHERE ID = 2;"
      "UPDATE Chars SET Weight = 0.30000000000000004 WHERE ID = 2;"
      "UPDATE Chars SET Note = Note WHERE ID = 2;"
      "UPDATE Chars SET Note = Note WHERE ID = 2;"
      "UPDATE \"Plain Words\" SET Score = Score WHERE Word = 'alpha';"
      "DELETE FROM Chars WHERE ID = 9;");
}

// The report's table lines (between the heading and the totals).
std::string tableLines(const std::string& report) {
  const std::size_t start = report.find('\n') + 1;
  const std::size_t end = report.rfind('\n', report.size() - 2);
  return report.substr(start, end - start);
}

class DatabaseCopy : public ::testing::Test {
 protected:
  TempFolder folder;
};

TEST_F(DatabaseCopy, FileToServerAndBackKeepsEveryTableValueKeyAndVersion) {
  const auto source = folder / "source.mdb";
  makeSample(source);
  const std::string server = freshServerDatabase("copy_round_trip");
  const Outcome there = copy(source.string(), server);
  ASSERT_EQ(there.status, kExitCopied) << there.err;

  const auto back = folder / "back.mdb";
  const Outcome home = copy(server, back.string());
  ASSERT_EQ(home.status, kExitCopied) << home.err;
  EXPECT_EQ(dump(back), dump(source));
  // Both directions report the same checksums.
  EXPECT_EQ(tableLines(home.out), tableLines(there.out));
  EXPECT_NE(tableLines(there.out).find("Plain Words          3  "), std::string::npos) << there.out;

  // The server storage opens what the copy made and reads the same rows.
  {
    dao::server::ServerStorage storage(server, dao::OpenSettings{});
    EXPECT_EQ(storage.rowCount(*storage.loadTableSchema("Plain Words")), 3);
    const auto table = storage.openTable(storage.loadTableSchema("Chars"));
    std::vector<dao::RowData> rows;
    table->readRows(1, 9, rows);
    ASSERT_EQ(rows.size(), 3U);
    EXPECT_EQ(rows[1].rowId, 2);
    EXPECT_EQ(rows[1].version, 5);
    EXPECT_EQ(rows[1].values[2].asText(), "\xEE\x80\x80");
    EXPECT_EQ(rows[0].values[3].asText(), kTrickyText);
    EXPECT_TRUE(rows[0].values[4].asBoolean());
  }

  // On the server: values in the stored representation, text byte for byte.
  PostgresConnection connection = PostgresConnection::open(server);
  const auto row = connection.query(
      "SELECT \"Done\", \"Amount\", \"Note\" = $1, encode(\"Picture\", 'hex'), \"Glyph\", zen_version "
      "FROM \"Chars\" ORDER BY \"ID\"",
      {kTrickyText});
  ASSERT_EQ(row.rows(), 3);
  EXPECT_EQ(row.text(0, 0), "-1");
  EXPECT_EQ(row.text(0, 1), "9223372036854775807");
  EXPECT_EQ(row.text(0, 2), "t");
  EXPECT_EQ(row.text(0, 3), "00ff0d0a5c09");
  EXPECT_EQ(row.text(1, 4), "\xEE\x80\x80");
  EXPECT_EQ(row.text(1, 5), "5");  // five updates in makeSample
  EXPECT_TRUE(row.isNull(2, 4));
  // New rows are numbered after the highest key ever used (9, deleted).
  connection.execute("INSERT INTO \"Chars\" (\"Big5_Hex\") VALUES ('A441')");
  EXPECT_EQ(connection.query("SELECT max(\"ID\") FROM \"Chars\"").integer(0, 0), 10);
  connection.execute("INSERT INTO \"Plain Words\" (\"Word\") VALUES ('new')");
  EXPECT_EQ(connection.query("SELECT max(zen_row) FROM \"Plain Words\"").integer(0, 0), 4);
  // Writers that do not know the row version still raise it.
  connection.execute("UPDATE \"Chars\" SET \"Glyph\" = 'z' WHERE \"ID\" = 2");
  EXPECT_EQ(connection.query("SELECT zen_version FROM \"Chars\" WHERE \"ID\" = 2").integer(0, 0), 6);
}

TEST_F(DatabaseCopy, TablesHoldingDataAreReplacedOnlyWhenAsked) {
  const auto first = folder / "first.mdb";
  const auto second = folder / "second.mdb";
  makeSample(first);
  makeSample(second, " second");
  const std::string server = freshServerDatabase("copy_replace");
  ASSERT_EQ(copy(first.string(), server).status, kExitCopied);

  const Outcome refused = copy(second.string(), server);
  EXPECT_EQ(refused.status, kExitFailed);
  EXPECT_NE(refused.err.find("holds data already: Chars (3 rows), Plain Words (3 rows) (give --replace to replace it); "
                             "nothing was changed"),
            std::string::npos)
      << refused.err;
  EXPECT_EQ(refused.out, "");
  ASSERT_EQ(copy(server, (folder / "after_refusal.mdb").string()).status, kExitCopied);
  EXPECT_EQ(dump(folder / "after_refusal.mdb"), dump(first));

  const Outcome replaced = copy(second.string(), server, true);
  ASSERT_EQ(replaced.status, kExitCopied) << replaced.err;
  ASSERT_EQ(copy(server, (folder / "after_replace.mdb").string()).status, kExitCopied);
  EXPECT_EQ(dump(folder / "after_replace.mdb"), dump(second));

  // A server holding other tables is never mixed with the file's.
  const auto other = folder / "other.mdb";
  {
    dao::DatabaseBuilder builder = dao::DatabaseBuilder::createNew(other.string());
    builder.createTable({"Other", {{"Name", dao::dbText, 10}}, false});
    builder.commit();
  }
  const Outcome mixed = copy(other.string(), server, true);
  EXPECT_EQ(mixed.status, kExitFailed);
  EXPECT_NE(mixed.err.find("holds other tables than the file"), std::string::npos) << mixed.err;
}

TEST_F(DatabaseCopy, AFailureMidCopyLeavesTheServerAsItWas) {
  const auto good = folder / "good.mdb";
  const auto bad = folder / "bad.mdb";
  makeSample(good);
  makeSample(bad);
  // Bytes the server refuses as text, in the second table: the first is
  // copied by then.
  sql(bad, "UPDATE \"Plain Words\" SET Word = CAST(X'41FF42' AS TEXT) WHERE Word = 'alpha';");

  const std::string empty = freshServerDatabase("copy_failure_empty");
  const Outcome failed = copy(bad.string(), empty);
  EXPECT_EQ(failed.status, kExitFailed);
  EXPECT_NE(failed.err.find("refused the rows of Plain Words"), std::string::npos) << failed.err;
  EXPECT_NE(failed.err.find("invalid byte sequence for encoding \"UTF8\""), std::string::npos) << failed.err;
  PostgresConnection connection = PostgresConnection::open(empty);
  EXPECT_TRUE(connection.query("SELECT to_regclass('zen_tables')").isNull(0, 0)) << "tables were left behind";

  const std::string holding = freshServerDatabase("copy_failure_holding");
  ASSERT_EQ(copy(good.string(), holding).status, kExitCopied);
  EXPECT_EQ(copy(bad.string(), holding, true).status, kExitFailed);
  ASSERT_EQ(copy(holding, (folder / "still.mdb").string()).status, kExitCopied);
  EXPECT_EQ(dump(folder / "still.mdb"), dump(good));

  // A server that quietly alters what it takes is caught by the check
  // before anything is committed.
  PostgresConnection::open(holding).execute(
      "CREATE FUNCTION shout() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN "
      "NEW.\"Word\" := upper(NEW.\"Word\"); RETURN NEW; END $$;"
      "CREATE TRIGGER shout BEFORE INSERT ON \"Plain Words\" FOR EACH ROW EXECUTE FUNCTION shout()");
  const Outcome altered = copy(good.string(), holding, true);
  EXPECT_EQ(altered.status, kExitFailed);
  EXPECT_NE(altered.err.find("table Plain Words: the rows on the server differ from the source (checksum "),
            std::string::npos)
      << altered.err;
  ASSERT_EQ(copy(holding, (folder / "unaltered.mdb").string()).status, kExitCopied);
  EXPECT_EQ(dump(folder / "unaltered.mdb"), dump(good));
}

// Holds the server's "Chars" table until `release`, runs `during` once the
// copy waits for it, and returns the copy's outcome.
Outcome copyWhileHeld(const std::string& server, const std::string& source, const std::function<void()>& during) {
  PostgresConnection holder = PostgresConnection::open(server);
  holder.execute("BEGIN; LOCK TABLE \"Chars\" IN ACCESS EXCLUSIVE MODE");
  Outcome outcome;
  std::thread copier([&] { outcome = copy(source, server, true); });
  PostgresConnection watcher = PostgresConnection::open(server);
  bool waiting = false;
  for (int attempt = 0; attempt < 200 && !waiting; ++attempt) {
    waiting = watcher
                  .query("SELECT 1 FROM pg_stat_activity "
                         "WHERE application_name = 'zenmora-db copy' AND wait_event_type = 'Lock'")
                  .rows() > 0;
    if (!waiting) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  EXPECT_TRUE(waiting) << "the copy never waited for the table";
  if (waiting) during();
  holder.execute("ROLLBACK");
  copier.join();
  return outcome;
}

TEST_F(DatabaseCopy, ALostConnectionLeavesTheServerAsItWas) {
  const auto first = folder / "first.mdb";
  const auto second = folder / "second.mdb";
  makeSample(first);
  makeSample(second, " second");
  const std::string server = freshServerDatabase("copy_connection_lost");
  ASSERT_EQ(copy(first.string(), server).status, kExitCopied);

  // Another session holds the tables; the copy waits for them and its
  // connection is ended meanwhile.
  const Outcome outcome = copyWhileHeld(server, second.string(), [&] {
    PostgresConnection::open(server).execute(
        "SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE application_name = 'zenmora-db copy'");
  });
  EXPECT_EQ(outcome.status, kExitFailed);
  EXPECT_NE(outcome.err.find("was lost: "), std::string::npos) << outcome.err;
  EXPECT_NE(outcome.err.find("; nothing was changed\n"), std::string::npos) << outcome.err;
  ASSERT_EQ(copy(server, (folder / "after.mdb").string()).status, kExitCopied);
  EXPECT_EQ(dump(folder / "after.mdb"), dump(first));
}

TEST_F(DatabaseCopy, AnInterruptedCopyLeavesTheServerAsItWas) {
  const auto first = folder / "first.mdb";
  const auto second = folder / "second.mdb";
  makeSample(first);
  makeSample(second, " second");
  const std::string server = freshServerDatabase("copy_interrupted");
  ASSERT_EQ(copy(first.string(), server).status, kExitCopied);

  // Ctrl+C while the copy waits: it stops at the next row and rolls back.
  const Outcome outcome = copyWhileHeld(server, second.string(), [] { ::kill(::getpid(), SIGINT); });
  EXPECT_EQ(outcome.status, kExitFailed);
  EXPECT_EQ(outcome.err, "zenmora-db copy: interrupted; nothing was changed\n");
  ASSERT_EQ(copy(server, (folder / "after.mdb").string()).status, kExitCopied);
  EXPECT_EQ(dump(folder / "after.mdb"), dump(first));
}

TEST_F(DatabaseCopy, ClearErrorsAndNothingWritten) {
  const auto source = folder / "source.mdb";
  makeSample(source);
  const std::string server = freshServerDatabase("copy_errors");

  Outcome outcome = copy(source.string(), "host=/nonexistent-folder dbname=x");
  EXPECT_EQ(outcome.status, kExitFailed);
  EXPECT_NE(outcome.err.find("zenmora-db copy: x on /nonexistent-folder:5432: the server is not reachable: "), std::string::npos)
      << outcome.err;

  outcome = copy(source.string(), testServer() + " dbname=no_such_database");
  EXPECT_EQ(outcome.status, kExitFailed);
  EXPECT_NE(outcome.err.find(": the database does not exist on the server: "), std::string::npos) << outcome.err;

  outcome = copy(source.string(), testServer() + " user=nobody_here");
  EXPECT_EQ(outcome.status, kExitFailed);
  EXPECT_NE(outcome.err.find(": the server refused the login (authentication failed): "), std::string::npos)
      << outcome.err;

  sql(folder / "other.sqlite", "CREATE TABLE t(x)");
  for (const auto& path : {folder / "missing.mdb", folder / "other.sqlite"}) {
    outcome = copy(path.string(), server);
    EXPECT_EQ(outcome.status, kExitFailed);
    EXPECT_NE(outcome.err.find(path.string()), std::string::npos) << outcome.err;
  }
  EXPECT_NE(copy((folder / "other.sqlite").string(), server).err.find("is not a database file of this program"),
            std::string::npos);

  // Tables of another layout are neither filled nor read.
  const std::string foreign = freshServerDatabase("copy_errors_foreign");
  PostgresConnection::open(foreign).execute(
      "CREATE TABLE zen_info(key text PRIMARY KEY, value text NOT NULL);"
      "INSERT INTO zen_info VALUES ('server_schema', '9')");
  outcome = copy(source.string(), foreign, true);
  EXPECT_EQ(outcome.status, kExitFailed);
  EXPECT_NE(outcome.err.find(" holds tables of another version (9); nothing was changed"), std::string::npos)
      << outcome.err;
  outcome = copy(foreign, (folder / "foreign.mdb").string());
  EXPECT_EQ(outcome.status, kExitFailed);
  EXPECT_NE(outcome.err.find(" holds tables of another version (9); nothing was written"), std::string::npos)
      << outcome.err;

  // The server has no tables yet: nothing to bring home, and no file made.
  outcome = copy(server, (folder / "home.mdb").string());
  EXPECT_EQ(outcome.status, kExitFailed);
  EXPECT_NE(outcome.err.find("holds no tables of this program"), std::string::npos) << outcome.err;

  // An existing file is never overwritten.
  ASSERT_EQ(copy(source.string(), server).status, kExitCopied);
  const std::string before = dump(source);
  outcome = copy(server, source.string());
  EXPECT_EQ(outcome.status, kExitTargetExists);
  EXPECT_EQ(dump(source), before);
  std::vector<std::string> left;
  // (SQLite's -wal and -shm files appear beside any database it reads.)
  for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
    if (entry.path().extension() == ".mdb" || entry.path().extension() == ".sqlite") left.push_back(entry.path().filename());
  }
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"other.sqlite", "source.mdb"}));
}

TEST_F(DatabaseCopy, AnAccessFileGoesToTheServerThroughTheImporter) {
  const auto jet = folder / "old.mdb";
  jettest::makeBig5Jet3File(jet.string(), "0_Data_Input", jettest::characterTableColumns(), jettest::fidelityRows());
  const std::string server = freshServerDatabase("copy_from_jet");
  const Outcome outcome = copy(jet.string(), server);
  ASSERT_EQ(outcome.status, kExitCopied) << outcome.err;

  // The same rows as the importer writes into a file of ours.
  const auto imported = folder / "imported.mdb";
  ASSERT_EQ(copy(server, (folder / "from_server.mdb").string()).status, kExitCopied);
  std::ostringstream ignored;
  jetimport::ImportCommand command;
  command.source = jet.string();
  command.destination = imported.string();
  ASSERT_EQ(jetimport::runGuardedImport(command, ignored, ignored), 0);
  EXPECT_EQ(dump(folder / "from_server.mdb"), dump(imported));
  PostgresConnection connection = PostgresConnection::open(server);
  EXPECT_EQ(connection.query("SELECT count(*) FROM \"0_Data_Input\"").integer(0, 0), 4);
}

}  // namespace
}  // namespace dbcopy
