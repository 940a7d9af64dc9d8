#include "tools/dbcopy/database_copy.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>

#include <fmt/format.h>

#include "import/jet/guarded_import.h"
#include "platform/dao/file_format.h"
#include "tools/dbcopy/copy_error.h"
#include "tools/dbcopy/file_database.h"
#include "tools/dbcopy/server_database.h"

namespace dbcopy {

namespace {

volatile std::sig_atomic_t interrupted = 0;

void noteInterrupt(int) { interrupted = 1; }

// SIGINT and SIGTERM only raise a flag while a copy runs; the copy checks it
// between rows and rolls back.
class InterruptGuard {
 public:
  InterruptGuard() {
    interrupted = 0;
    struct sigaction action {};
    action.sa_handler = noteInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &previousInt_);
    sigaction(SIGTERM, &action, &previousTerm_);
  }
  ~InterruptGuard() {
    sigaction(SIGINT, &previousInt_, nullptr);
    sigaction(SIGTERM, &previousTerm_, nullptr);
  }
  InterruptGuard(const InterruptGuard&) = delete;
  InterruptGuard& operator=(const InterruptGuard&) = delete;

 private:
  struct sigaction previousInt_ {};
  struct sigaction previousTerm_ {};
};

void checkInterrupt() {
  if (interrupted != 0) throw CopyError("interrupted");
}

// A folder of our own for the importer's file, removed with everything in it.
class TemporaryFolder {
 public:
  TemporaryFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zenmora-copy.XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw CopyError("cannot make a temporary folder for the import");
    path_ = pattern;
  }
  ~TemporaryFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;
  const std::string& path() const noexcept { return path_; }

 private:
  std::string path_;
};

struct TableReport {
  std::string name;
  TableChecksum checksum;
};

class Progress {
 public:
  Progress(bool enabled, std::ostream& err) : enabled_(enabled), err_(err) {}
  void row(const std::string& table, std::int64_t rows) {
    if (enabled_ && rows % 1000 == 0) {
      err_ << "\r" << fmt::format("{}: {} rows", table, rows) << "\x1b[K" << std::flush;
      shown_ = true;
    }
  }
  void done() {
    if (shown_) err_ << "\r\x1b[K" << std::flush;
    shown_ = false;
  }

 private:
  bool enabled_;
  std::ostream& err_;
  bool shown_ = false;
};

void compareWithSource(const std::string& table, const TableChecksum& source, const TableChecksum& copy,
                       const std::string& where) {
  if (source.rows() != copy.rows())
    throw CopyError(fmt::format("table {}: {} holds {} rows after the copy, the source {}", table, where, copy.rows(),
                                source.rows()));
  if (!(source == copy))
    throw CopyError(fmt::format("table {}: the rows on {} differ from the source (checksum {} instead of {})", table,
                                where, copy.hex(), source.hex()));
}

std::vector<TableReport> copyFileToServer(const std::string& path, const std::string& server, bool replace,
                                          Progress& progress) {
  FileReader reader(path);
  ServerDatabase target(server);
  target.beginWriting();
  // The server's own spelling of the names counts there (quoted names
  // tell letter case apart).
  std::vector<Table> existing;
  if (target.hasSchema()) {
    existing = target.readTables();
    bool same = existing.size() == reader.tables().size();
    for (std::size_t i = 0; same && i < existing.size(); ++i) same = sameDefinition(existing[i], reader.tables()[i]);
    if (!same)
      throw CopyError("the server database " + target.name() +
                      " holds other tables than the file (copy into an empty database)");
    target.lockTables(existing);
    std::string holding;
    for (const Table& table : existing) {
      const std::int64_t rows = target.countRows(table);
      if (rows > 0) holding += fmt::format("{}{} ({} rows)", holding.empty() ? "" : ", ", table.definition.name, rows);
    }
    if (!holding.empty() && !replace)
      throw CopyError("the server database " + target.name() + " holds data already: " + holding +
                      " (give --replace to replace it)");
    if (!holding.empty()) {
      for (const Table& table : existing) target.emptyTable(table);
    }
  } else {
    target.createSchema(reader.tables());
    existing = reader.tables();
  }
  checkInterrupt();

  std::vector<TableReport> report;
  for (std::size_t i = 0; i < reader.tables().size(); ++i) {
    const Table& table = reader.tables()[i];
    const Table& serverTable = existing[i];
    TableReport entry{table.definition.name, {}};
    target.startRows(serverTable);
    reader.readRows(table, [&](const Row& row) {
      checkInterrupt();
      entry.checksum.add(row);
      target.addRow(row);
      progress.row(table.definition.name, entry.checksum.rows());
    });
    const std::int64_t taken = target.endRows();
    if (taken != entry.checksum.rows())
      throw CopyError(fmt::format("table {}: the server took {} rows of {}", table.definition.name, taken,
                                  entry.checksum.rows()));
    target.setNextKey(serverTable, reader.highestKeyUsed(table));
    report.push_back(std::move(entry));
  }
  // Read everything back inside the transaction: only what arrived intact is committed.
  for (std::size_t i = 0; i < reader.tables().size(); ++i) {
    const Table& table = reader.tables()[i];
    TableChecksum copy;
    target.readRows(existing[i], [&](const Row& row) {
      checkInterrupt();
      copy.add(row);
    });
    compareWithSource(table.definition.name, report[i].checksum, copy, "the server");
  }
  for (const Table& serverTable : existing) target.gatherStatistics(serverTable);
  progress.done();
  checkInterrupt();
  target.commit();
  return report;
}

std::vector<TableReport> copyServerToFile(const std::string& server, const std::string& path, Progress& progress) {
  struct stat status {};
  if (::lstat(path.c_str(), &status) == 0) throw CopyError(path + " exists already; a copy never overwrites a file");
  ServerDatabase source(server);
  source.beginReading();
  if (!source.hasSchema()) throw CopyError("the server database " + source.name() + " holds no tables of this program");
  const std::vector<Table> tables = source.readTables();
  FileWriter writer(path);
  std::vector<TableReport> report;
  std::map<std::string, TableChecksum> expected;
  constexpr std::size_t kBatch = 4096;
  for (const Table& table : tables) {
    writer.createTable(table);
    TableReport entry{table.definition.name, {}};
    std::vector<Row> batch;
    source.readRows(table, [&](const Row& row) {
      checkInterrupt();
      entry.checksum.add(row);
      batch.push_back(row);
      if (batch.size() == kBatch) {
        writer.insertRows(table, batch);
        batch.clear();
      }
      progress.row(table.definition.name, entry.checksum.rows());
    });
    writer.insertRows(table, batch);
    writer.keepKeysAbove(table, source.highestKeyUsed(table));
    expected[table.definition.name] = entry.checksum;
    report.push_back(std::move(entry));
  }
  source.commit();
  progress.done();
  checkInterrupt();
  writer.finish(expected);
  return report;
}

std::string reportText(const CopyCommand& command, const std::vector<TableReport>& tables, double seconds) {
  std::size_t width = 5;
  std::int64_t total = 0;
  for (const TableReport& table : tables) {
    width = std::max(width, table.name.size());
    total += table.checksum.rows();
  }
  // A connection string may hold a password: the report names servers as messages do.
  const auto shown = [](const std::string& place) {
    return namesServer(place) ? postgres::PostgresConnection::describeServer(place) : place;
  };
  std::string text = fmt::format("copied {} to {}\n", shown(command.source), shown(command.target));
  text += fmt::format("{:<{}}  {:>9}  {}\n", "table", width, "rows", "checksum");
  for (const TableReport& table : tables)
    text += fmt::format("{:<{}}  {:>9}  {}\n", table.name, width, table.checksum.rows(), table.checksum.hex());
  text += fmt::format("{} rows in {} tables, {:.2f} s\n", total, tables.size(), seconds);
  return text;
}

}  // namespace

CopyCommand parseCopyArguments(const std::vector<std::string>& arguments) {
  CopyCommand command;
  std::vector<std::string> places;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--replace") {
      command.replace = true;
    } else if (argument == "--report") {
      if (i + 1 >= arguments.size() || arguments[i + 1].empty()) throw std::invalid_argument("--report needs a value");
      command.reportFile = arguments[++i];
    } else if (argument.size() > 1 && argument.front() == '-') {
      throw std::invalid_argument("unknown option " + argument);
    } else {
      places.push_back(argument);
    }
  }
  if (places.size() != 2) throw std::invalid_argument("copy needs a source and a target");
  if (places[0].empty() || places[1].empty()) throw std::invalid_argument("empty source or target");
  if (namesServer(places[0]) == namesServer(places[1]))
    throw std::invalid_argument("copy goes between a database file and a server: one of source and target must be a server");
  command.source = places[0];
  command.target = places[1];
  return command;
}

int runCopy(const CopyCommand& command, std::ostream& out, std::ostream& err) {
  const InterruptGuard guard;
  Progress progress(command.progress, err);
  const auto started = std::chrono::steady_clock::now();
  try {
    std::vector<TableReport> tables;
    if (namesServer(command.target)) {
      if (dao::probeFile(command.source) == dao::FileKind::JetDatabase) {
        const TemporaryFolder folder;
        jetimport::ImportCommand import;
        import.source = command.source;
        import.destination = folder.path() + "/imported.mdb";
        std::ostringstream importReport;
        const int status = jetimport::runGuardedImport(import, importReport, err);
        if (status != jetimport::kExitImported) {
          err << "zenmora-db copy: the Access/Jet file " << command.source
              << " could not be brought across; nothing was copied\n";
          return kExitFailed;
        }
        checkInterrupt();
        tables = copyFileToServer(import.destination, command.target, command.replace, progress);
      } else {
        tables = copyFileToServer(command.source, command.target, command.replace, progress);
      }
    } else {
      struct stat status {};
      if (::lstat(command.target.c_str(), &status) == 0) {
        err << "zenmora-db copy: " << command.target << " exists already; a copy never overwrites a file\n";
        return kExitTargetExists;
      }
      tables = copyServerToFile(command.source, command.target, progress);
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    const std::string text = reportText(command, tables, seconds);
    out << text;
    if (command.reportFile) {
      std::ofstream file(*command.reportFile, std::ios::binary | std::ios::trunc);
      file << text;
      if (!file.flush()) err << "zenmora-db copy: could not write the report to " << *command.reportFile << "\n";
    }
    return kExitCopied;
  } catch (const std::exception& failure) {
    progress.done();
    err << "zenmora-db copy: " << failure.what() << "; nothing was " << (namesServer(command.target) ? "changed" : "written")
        << "\n";
    return kExitFailed;
  }
}

}  // namespace dbcopy
