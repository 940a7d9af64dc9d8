#include "import/jet/guarded_import.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fmt/format.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <new>
#include <sstream>
#include <thread>
#include <vector>

#include "import/jet/import_trace.h"
#include "import/jet/jet_header.h"
#include "import/jet/jet_importer.h"
#include "import/jet/jet_reader.h"

namespace jetimport {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kJetSignature{"Standard Jet DB\0", 16};
constexpr std::string_view kAceSignature{"Standard ACE DB\0", 16};
constexpr int kChildFailed = 1;
constexpr int kChildInvalidText = 3;
constexpr int kChildOutOfMemory = 4;

std::string readWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

bool writeWholeFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  out.flush();
  return static_cast<bool>(out);
}

// 0, or the errno of the failure: a file or folder that cannot be synced
// may not be on the disk, so the import must not say it is done.
int syncPath(const std::string& path, int flags) {
  const int descriptor = ::open(path.c_str(), flags | O_CLOEXEC);
  if (descriptor < 0) return errno;
  const int failure = ::fsync(descriptor) == 0 ? 0 : errno;
  ::close(descriptor);
  return failure;
}

// Everything the child may have left under the temporary name, the
// engine's own build files ("<name>.building-<pid>-...") included.
void removeTemporaryFiles(const std::string& temporary) {
  const fs::path base(temporary);
  const std::string prefix = base.filename().string();
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(base.parent_path(), ec)) {
    const std::string name = entry.path().filename().string();
    if (name.compare(0, prefix.size(), prefix) == 0) fs::remove(entry.path(), ec);
  }
}

[[noreturn]] void childMain(const ImportCommand& command, const std::string& temporary, int said) {
  traceStep("child: started");
  // The limits hold for this process only: the user's shell is untouched.
#ifndef __SANITIZE_ADDRESS__
  // (AddressSanitizer reserves terabytes of address space for its shadow
  // memory, so a sanitizer build reads without the cap.)
  const rlim_t memory = command.memoryLimitBytes;
  const rlimit memoryLimit{memory, memory};
  ::setrlimit(RLIMIT_AS, &memoryLimit);
#endif
  const rlim_t seconds = static_cast<rlim_t>(command.timeLimitSeconds);
  const rlimit cpuLimit{seconds, seconds + 1};
  ::setrlimit(RLIMIT_CPU, &cpuLimit);
  const std::string reportPath = temporary + ".report";
  // libmdb writes its diagnostics to stderr; they are kept in a file and
  // shown only when the reading fails. The progress line keeps the terminal.
  const int terminal = ::dup(STDERR_FILENO);
  const int messages = ::open((temporary + ".messages").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (messages >= 0) ::dup2(messages, STDERR_FILENO);
  int code = kChildFailed;
  try {
    ImportOptions options;
    options.replaceInvalid = command.replaceInvalid;
    options.callerSyncs = true;  // the parent syncs the file while it checks it
    if (command.progress && terminal >= 0) {
      options.progress = [terminal](const std::string& table, std::uint64_t rows) {
        const std::string line = fmt::format("\rreading {}: {} rows", table, rows);
        [[maybe_unused]] const auto written = ::write(terminal, line.data(), line.size());
      };
    }
    ImportReport report = importJetFile(command.source, temporary, options);
    traceStep("child: imported");
    report.destination = command.destination;
    if (command.progress && terminal >= 0) {
      [[maybe_unused]] const auto written = ::write(terminal, "\n", 1);
    }
    std::string counts;
    for (const TableTransfer& table : report.tables)
      counts += fmt::format("{}\t{}\n", table.destination, table.source.empty() ? table.rowsWritten : table.rowsRead);
    if (writeWholeFile(temporary + ".counts", counts) && writeWholeFile(reportPath, renderReport(report)))
      code = 0;
  } catch (const InvalidTextError& e) {
    writeWholeFile(reportPath, renderInvalidBytes(e.report()));
    code = kChildInvalidText;
  } catch (const std::bad_alloc&) {
    code = kChildOutOfMemory;
  } catch (const std::exception& e) {
    writeWholeFile(reportPath, e.what());
  }
  std::cout.flush();
  std::cerr.flush();
  traceStep("child: ends");
  const unsigned char result = static_cast<unsigned char>(code);
  [[maybe_unused]] const auto written = ::write(said, &result, 1);
  ::_exit(code);
}

// The finished file read back and checked: SQLite's quick check (every page
// read, the structure of every table and index and every record checked),
// then the rows of every table and the entries of each of its indexes
// counted against the rows read from the source. (The full integrity check
// also looks every row up in each index, which doubles the time of the
// check; an index is derived from its table and could be made again.)
//
// The file is opened as immutable: it is finished and closed (its log
// checkpointed into it and removed), and only this process has its name, so
// no locks and no shared-memory or log files are needed, and what is checked
// is the file itself. Its first 2 MiB (all of a small file) are read
// through a memory map, so those pages are not copied into a page cache of
// their own; the rest of a large file goes through SQLite's usual small
// cache, since every mapped page read counts as resident memory.
std::optional<std::string> verify(const std::string& temporary) {
  std::string uri = "file:";
  for (const char c : temporary) {
    if (std::isalnum(static_cast<unsigned char>(c)) || std::strchr("/._-~", c)) uri += c;
    else uri += fmt::format("%{:02X}", static_cast<unsigned char>(c));
  }
  uri += "?immutable=1";
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(uri.c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    return "the new file cannot be opened for checking";
  }
  sqlite3_exec(db, "PRAGMA mmap_size=2097152", nullptr, nullptr, nullptr);
  std::optional<std::string> problem;
  const auto column = [&](const std::string& sql) -> std::vector<std::string> {
    sqlite3_stmt* statement = nullptr;
    std::vector<std::string> values;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK) {
      while (sqlite3_step(statement) == SQLITE_ROW) {
        const unsigned char* text = sqlite3_column_text(statement, 0);
        values.emplace_back(text ? reinterpret_cast<const char*>(text) : "");
      }
    }
    sqlite3_finalize(statement);
    return values;
  };
  const auto single = [&](const std::string& sql) -> std::string {
    std::vector<std::string> values = column(sql);
    return values.empty() ? std::string() : values.front();
  };
  const auto quoted = [](const char* format, const std::string& name) {
    char* text = sqlite3_mprintf(format, name.c_str());
    std::string sql = text ? text : "";
    sqlite3_free(text);
    return sql;
  };
  if (const std::string integrity = single("PRAGMA quick_check"); integrity != "ok") {
    problem = "the new file fails its integrity check: " + integrity;
  } else {
    std::istringstream counts(readWholeFile(temporary + ".counts"));
    std::string line;
    while (!problem && std::getline(counts, line)) {
      const auto tab = line.find('\t');
      if (tab == std::string::npos) continue;
      const std::string table = line.substr(0, tab);
      const std::string expected = line.substr(tab + 1);
      const std::string actual = single(quoted("SELECT count(*) FROM \"%w\"", table));
      if (actual != expected) {
        problem = fmt::format("the new file holds {} rows in table {} where the source has {}",
                              actual.empty() ? "no" : actual, table, expected);
        break;
      }
      for (const std::string& index : column(quoted("SELECT name FROM sqlite_master WHERE type = 'index' AND tbl_name = %Q", table))) {
        const std::string entries =
            single(quoted("SELECT count(*) FROM \"%w\"", table) + quoted(" INDEXED BY \"%w\"", index));
        if (entries != expected) {
          problem = fmt::format("the new file fails its integrity check: index {} of table {} holds {} entries for {} rows",
                                index, table, entries.empty() ? "no" : entries, expected);
          break;
        }
      }
    }
  }
  sqlite3_close(db);
  return problem;
}

}  // namespace

std::optional<std::string> refusalOfSource(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return "it does not exist or cannot be reached";
  if (S_ISDIR(status.st_mode)) return "it is a folder, not a database file";
  if (!S_ISREG(status.st_mode)) return "it is not a regular file";
  if (status.st_size == 0) return "the file is empty";
  std::ifstream in(path, std::ios::binary);
  if (!in) return "you have no permission to read it";
  std::string header(4096, '\0');
  in.read(header.data(), static_cast<std::streamsize>(header.size()));
  header.resize(static_cast<std::size_t>(in.gcount()));
  if (header.size() >= 20 && std::string_view(header).substr(4, 16) == kAceSignature)
    return "it is an Access 2007 or later (.accdb) database; save it as an Access 2000-2003 .mdb file first";
  if (header.size() < 20 || std::string_view(header).substr(4, 16) != kJetSignature)
    return "it is not an Access (Jet) database";
  // Jet 3 pages are 2 KiB, Jet 4 pages 4 KiB; a file is whole pages, at
  // least the header page, the first usage page and the catalogue.
  const int version = static_cast<unsigned char>(header[0x14]);
  if (version > 1)
    return "it is an Access 2007 or later (.accdb) database; save it as an Access 2000-2003 .mdb file first";
  const std::int64_t page = version == 0 ? 2048 : 4096;
  if (status.st_size % page != 0 || status.st_size < 3 * page) return "the file is truncated (not whole pages)";
  if (version == 1 && jet4HasPassword(header)) return kPasswordRefusal;
  return std::nullopt;
}

int runGuardedImport(const ImportCommand& command, std::ostream& out, std::ostream& err) {
  traceStep("parent: started");
  const std::string prefix = "zenmora-db import: ";
  if (const auto refusal = refusalOfSource(command.source)) {
    err << prefix << "cannot import " << command.source << ": " << *refusal << "\n";
    return kExitFailed;
  }
  struct stat status {};
  if (::lstat(command.destination.c_str(), &status) == 0) {
    err << prefix << command.destination << " exists already; it is left as it is. "
        << "Choose a new name for the imported database.\n";
    return kExitDestinationExists;
  }
  const fs::path destination = fs::absolute(command.destination);
  std::error_code ec;
  if (!fs::is_directory(destination.parent_path(), ec)) {
    err << prefix << "the folder " << destination.parent_path().string() << " does not exist\n";
    return kExitFailed;
  }
  const std::string temporary =
      (destination.parent_path() / ("." + destination.filename().string() + ".importing-" + std::to_string(::getpid())))
          .string();
  removeTemporaryFiles(temporary);

  // The child says on this pipe how it ended (one byte, its result code)
  // once its files are complete, then exits: the check can start while the
  // child's memory is still being given back. A child that dies without a
  // word closes the pipe, and its exit status tells why.
  int said[2] = {-1, -1};
  if (::pipe2(said, O_CLOEXEC) != 0) {
    err << prefix << "cannot start the reading process: " << std::strerror(errno) << "\n";
    return kExitFailed;
  }
  std::cout.flush();
  std::cerr.flush();
  traceStep("parent: source checked, starting the child");
  const pid_t child = ::fork();
  if (child < 0) {
    const int failure = errno;
    ::close(said[0]);
    ::close(said[1]);
    err << prefix << "cannot start the reading process: " << std::strerror(failure) << "\n";
    return kExitFailed;
  }
  if (child == 0) {
    ::close(said[0]);
    childMain(command, temporary, said[1]);
  }
  ::close(said[1]);

  // The child is reaped however this function ends.
  struct Reaper {
    pid_t child;
    bool reaped = false;
    ~Reaper() {
      if (!reaped) ::waitpid(child, nullptr, 0);
    }
  } reaper{child};
  // The wall-clock limit also catches a reader that sleeps or blocks.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(command.timeLimitSeconds);
  int waitStatus = 0;
  bool timedOut = false;
  std::optional<int> toldCode;
  for (;;) {
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline) {
      ::kill(child, SIGKILL);
      ::waitpid(child, &waitStatus, 0);
      reaper.reaped = true;
      timedOut = true;
      break;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count() + 1;
    pollfd readable{said[0], POLLIN, 0};
    if (::poll(&readable, 1, static_cast<int>(std::min<long long>(left, 1000))) <= 0) continue;
    unsigned char code = 0;
    const ssize_t got = ::read(said[0], &code, 1);
    if (got < 0 && errno == EINTR) continue;
    if (got == 1) {
      toldCode = code;
    } else {
      ::waitpid(child, &waitStatus, 0);
      reaper.reaped = true;
    }
    break;
  }
  ::close(said[0]);
  traceStep("parent: child ended");

  const std::string childReport = readWholeFile(temporary + ".report");
  std::string libraryMessages = readWholeFile(temporary + ".messages");
  if (libraryMessages.size() > 600) libraryMessages = libraryMessages.substr(0, 600) + "...\n";
  const auto fail = [&](const std::string& message, int code) {
    removeTemporaryFiles(temporary);
    err << prefix << "cannot import " << command.source << ": " << message << "\n";
    if (!libraryMessages.empty()) err << "The reader (libmdb) reported:\n" << libraryMessages;
    return code;
  };
  if (timedOut)
    return fail(fmt::format("reading it took longer than {} seconds; the file may be damaged", command.timeLimitSeconds),
                kExitFailed);
  if (!toldCode && WIFSIGNALED(waitStatus)) {
    const int signal = WTERMSIG(waitStatus);
    if (signal == SIGXCPU || signal == SIGKILL)
      return fail(fmt::format("reading it took longer than {} seconds; the file may be damaged", command.timeLimitSeconds),
                  kExitFailed);
    return fail(fmt::format("the reader stopped on signal {} ({}); the file is damaged", signal, strsignal(signal)),
                kExitFailed);
  }
  const int childCode = toldCode ? *toldCode : WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : kChildFailed;
  if (childCode == kChildOutOfMemory)
    return fail(fmt::format("reading it needed more than {} MiB of memory; the file may be damaged",
                            command.memoryLimitBytes >> 20),
                kExitFailed);
  if (childCode == kChildInvalidText) {
    removeTemporaryFiles(temporary);
    err << prefix << "stopped: " << command.source
        << " holds bytes that are not Big5 text. Nothing was written. Run again with --replace-invalid to write them "
           "as U+FFFD.\n"
        << childReport;
    if (command.reportFile) writeWholeFile(*command.reportFile, childReport);
    return kExitInvalidText;
  }
  if (childCode != 0) return fail(childReport.empty() ? "the reader failed" : childReport, kExitFailed);

  // The file is synced to the disk while it is checked (the sync waits for
  // the disk, the check for the processor); both are done before it is
  // given its name.
  int syncFailure = 0;
  std::thread syncing([&] { syncFailure = syncPath(temporary, O_RDONLY); });
  const std::optional<std::string> problem = verify(temporary);
  traceStep("parent: checked");
  syncing.join();
  traceStep("parent: synced");
  if (problem) return fail(*problem, kExitFailed);
  if (syncFailure != 0)
    return fail(fmt::format("the new file cannot be written to the disk: {}", std::strerror(syncFailure)), kExitFailed);
  // link() never replaces: a file that appeared at the destination meanwhile is kept.
  if (::link(temporary.c_str(), destination.c_str()) != 0) {
    const int failure = errno;
    if (failure == EEXIST) return fail(command.destination + " appeared meanwhile; it is left as it is", kExitDestinationExists);
    return fail(fmt::format("the new file cannot be given its name: {}", std::strerror(failure)), kExitFailed);
  }
  removeTemporaryFiles(temporary);
  if (const int failure = syncPath(destination.parent_path().string(), O_RDONLY | O_DIRECTORY); failure != 0) {
    // The new name may not survive a power cut: the import is not done, and
    // the name (this import's own new file) is taken back.
    ::unlink(destination.c_str());
    err << prefix << "cannot import " << command.source << ": the folder " << destination.parent_path().string()
        << " cannot be written to the disk: " << std::strerror(failure) << "\n";
    return kExitFailed;
  }
  traceStep("parent: renamed, folder synced");
  out << childReport;
  if (command.reportFile && !writeWholeFile(*command.reportFile, childReport)) {
    err << prefix << "the database was imported, but the report could not be written to " << *command.reportFile << "\n";
  }
  return kExitImported;
}

}  // namespace jetimport
