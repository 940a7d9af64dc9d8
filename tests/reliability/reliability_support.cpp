#include "tests/reliability/reliability_support.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

#include "classify/lookup_tables.h"
#include "platform/dao/database_builder.h"
#include "schema/engine_tables.h"
#include "schema/schema.h"

namespace reliability {

int CountFromEnvironment(const char* name, int fallback) {
  const char* text = std::getenv(name);
  if (text == nullptr) return fallback;
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || value <= 0 || value > 10'000'000) return fallback;
  return static_cast<int>(value);
}

namespace {

dao::TableDefinition TableOf(const schema::TableDefinition& table, const std::string& leaveOutField) {
  dao::TableDefinition definition = schema::engineTableDefinition(table);
  if (!leaveOutField.empty())
    std::erase_if(definition.columns,
                  [&](const dao::ColumnDefinition& column) { return schema::sameName(column.name, leaveOutField); });
  return definition;
}

constexpr const char* kWords[][3] = {
    {"一", "A440", "M"}, {"乙", "A441", "NU"}, {"丁", "A442", "MN"}, {"七", "A443", "JU"},
    {"乃", "A444", "NHS"}, {"九", "A445", "KN"}, {"了", "A446", "NN"}, {"二", "A447", "MM"},
};

// Closes the connection whatever happens.
struct Sqlite {
  explicit Sqlite(const std::string& path) {
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
      const std::string message = db != nullptr ? sqlite3_errmsg(db) : "out of memory";
      sqlite3_close(db);
      throw std::runtime_error("sqlite3 cannot open " + path + ": " + message);
    }
    sqlite3_busy_timeout(db, 10000);
  }
  ~Sqlite() { sqlite3_close(db); }
  Sqlite(const Sqlite&) = delete;
  Sqlite& operator=(const Sqlite&) = delete;

  std::vector<std::optional<std::string>> Column(const std::string& sql) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK)
      throw std::runtime_error(std::string("sqlite3: ") + sqlite3_errmsg(db) + " in " + sql);
    std::vector<std::optional<std::string>> values;
    int step = SQLITE_OK;
    while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
      const unsigned char* text = sqlite3_column_text(statement, 0);
      values.push_back(text == nullptr ? std::nullopt
                                       : std::optional<std::string>(reinterpret_cast<const char*>(text)));
    }
    sqlite3_finalize(statement);
    if (step != SQLITE_DONE) throw std::runtime_error(std::string("sqlite3: ") + sqlite3_errmsg(db) + " in " + sql);
    return values;
  }

  sqlite3* db = nullptr;
};

std::string Quoted(const std::string& name) { return "\"" + name + "\""; }

}  // namespace

void CreateCharacterDatabase(const std::string& path, const CharacterDatabaseOptions& options) {
  dao::DatabaseBuilder builder = dao::DatabaseBuilder::createNew(path);
  for (const schema::TableDefinition& table : schema::allTables()) {
    if (table.name == options.leaveOutTable) continue;
    builder.createTable(
        TableOf(table, table.name == schema::tables::DataInput ? options.leaveOutField : std::string()));
  }
  std::vector<std::vector<dao::CellValue>> rows;
  for (int i = 0; i < options.characters; ++i) {
    const auto& word = kWords[static_cast<std::size_t>(i) % std::size(kWords)];
    rows.push_back({word[0], word[1], word[2]});
  }
  if (!rows.empty()) builder.insertRows(std::string(schema::tables::DataInput), {"B5_Word", "B5_Hex", "CJ_Code"}, rows);
  for (const classify::LookupTableContent& table : classify::lookupTableContents()) {
    if (table.table == options.leaveOutTable) continue;
    std::vector<std::string> columns;
    for (const auto& column : table.columns) columns.push_back(column.column);
    std::vector<std::vector<dao::CellValue>> values(static_cast<std::size_t>(table.rowCount));
    for (std::size_t row = 0; row < values.size(); ++row)
      for (const auto& column : table.columns) values[row].push_back(column.rows[row]);
    builder.insertRows(std::string(table.table), columns, values);
  }
  builder.commit();
}

std::string IntegrityCheck(const std::string& path) {
  Sqlite sqlite(path);
  std::string result;
  for (const auto& line : sqlite.Column("PRAGMA integrity_check")) {
    if (!result.empty()) result += "\n";
    result += line.value_or("NULL");
  }
  return result;
}

std::vector<std::optional<std::string>> ReadColumn(const std::string& path, const std::string& table,
                                                   const std::string& column) {
  Sqlite sqlite(path);
  return sqlite.Column("SELECT " + Quoted(column) + " FROM " + Quoted(table) + " ORDER BY rowid");
}

std::optional<std::string> ReadWholeFile(const std::filesystem::path& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteWholeFile(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

// ---- Child processes ----

ChildProcess::ChildProcess(const std::function<int(int, int)>& body) {
  int up[2];
  int down[2];
  if (::pipe2(up, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  if (::pipe2(down, O_CLOEXEC) != 0) {
    ::close(up[0]);
    ::close(up[1]);
    throw std::runtime_error("pipe failed");
  }
  pid_ = ::fork();
  if (pid_ < 0) throw std::runtime_error("fork failed");
  if (pid_ == 0) {
    ::close(up[0]);
    ::close(down[1]);
    int result = 3;
    try {
      result = body(up[1], down[0]);
    } catch (...) {
      result = 3;
    }
    ::_exit(result);
  }
  ::close(up[1]);
  ::close(down[0]);
  fromChild_ = up[0];
  toChild_ = down[1];
}

ChildProcess::~ChildProcess() {
  if (toChild_ >= 0) ::close(toChild_);
  if (!waited_ && pid_ > 0) {
    ::kill(pid_, SIGKILL);
    Wait();
  }
  if (fromChild_ >= 0) ::close(fromChild_);
}

std::optional<std::string> ChildProcess::ReadLine(int timeoutMs) {
  for (;;) {
    const std::size_t end = pending_.find('\n');
    if (end != std::string::npos) {
      std::string line = pending_.substr(0, end);
      pending_.erase(0, end + 1);
      return line;
    }
    pollfd descriptor{fromChild_, POLLIN, 0};
    const int ready = ::poll(&descriptor, 1, timeoutMs);
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return std::nullopt;
    char buffer[4096];
    const ssize_t count = ::read(fromChild_, buffer, sizeof buffer);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return std::nullopt;
    pending_.append(buffer, static_cast<std::size_t>(count));
  }
}

std::vector<std::string> ChildProcess::DrainLines() {
  // The child is gone (or going): its end of the pipe closes with it.
  std::vector<std::string> lines;
  while (std::optional<std::string> line = ReadLine(30000)) lines.push_back(*line);
  return lines;
}

void ChildProcess::Send(std::string_view text) {
  while (!text.empty()) {
    const ssize_t written = ::write(toChild_, text.data(), text.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) throw std::runtime_error("cannot write to the child");
    text.remove_prefix(static_cast<std::size_t>(written));
  }
}

void ChildProcess::CloseInput() {
  if (toChild_ >= 0) ::close(toChild_);
  toChild_ = -1;
}

int ChildProcess::Wait() {
  if (waited_) return status_;
  while (::waitpid(pid_, &status_, 0) < 0) {
    if (errno != EINTR) throw std::runtime_error("waitpid failed");
  }
  waited_ = true;
  return status_;
}

void ChildProcess::Kill(int signal) {
  if (!waited_) ::kill(pid_, signal);
}

void WriteLine(int fd, const std::string& line) {
  std::string text = line + "\n";
  std::string_view rest = text;
  while (!rest.empty()) {
    const ssize_t written = ::write(fd, rest.data(), rest.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) ::_exit(4);  // the parent is gone
    rest.remove_prefix(static_cast<std::size_t>(written));
  }
}

std::optional<std::string> ReadCommand(int fd) {
  std::string line;
  char c = 0;
  for (;;) {
    const ssize_t count = ::read(fd, &c, 1);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return std::nullopt;
    if (c == '\n') return line;
    line += c;
  }
}

}  // namespace reliability
