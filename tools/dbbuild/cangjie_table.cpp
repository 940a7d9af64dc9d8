#include "tools/dbbuild/cangjie_table.h"

#include <sqlite3.h>

#include <algorithm>
#include <memory>

#include "tools/dbbuild/data_source_error.h"
#include "tools/dbbuild/utf8.h"

namespace dbbuild {
namespace {

struct CloseDatabase {
  void operator()(sqlite3* db) const noexcept { sqlite3_close(db); }
};
struct FinalizeStatement {
  void operator()(sqlite3_stmt* statement) const noexcept { sqlite3_finalize(statement); }
};
using DatabaseHandle = std::unique_ptr<sqlite3, CloseDatabase>;
using StatementHandle = std::unique_ptr<sqlite3_stmt, FinalizeStatement>;

[[noreturn]] void fail(const std::filesystem::path& path, const std::string& what) {
  throw DataSourceError("Cangjie table " + path.string() + ": " + what);
}

StatementHandle prepare(sqlite3* db, const std::filesystem::path& path, const char* sql) {
  sqlite3_stmt* raw = nullptr;
  if (sqlite3_prepare_v2(db, sql, -1, &raw, nullptr) != SQLITE_OK) {
    StatementHandle discard(raw);
    fail(path, sqlite3_errmsg(db));
  }
  return StatementHandle(raw);
}

std::string columnText(sqlite3_stmt* statement, int column) {
  const unsigned char* text = sqlite3_column_text(statement, column);
  if (!text) return {};
  return {reinterpret_cast<const char*>(text),
          static_cast<std::size_t>(sqlite3_column_bytes(statement, column))};
}

// Checks the layout before reading, so a wrong file gives a message that
// says what is missing rather than an SQL error.
void requirePhrasesTable(sqlite3* db, const std::filesystem::path& path) {
  StatementHandle info = prepare(db, path, "PRAGMA table_info(phrases)");
  bool hasKeys = false;
  bool hasPhrase = false;
  int rc;
  while ((rc = sqlite3_step(info.get())) == SQLITE_ROW) {
    const std::string name = columnText(info.get(), 1);
    hasKeys = hasKeys || name == "tabkeys";
    hasPhrase = hasPhrase || name == "phrase";
  }
  if (rc != SQLITE_DONE) fail(path, sqlite3_errmsg(db));
  if (!hasKeys || !hasPhrase)
    fail(path, "not an ibus-table database (no table \"phrases\" with columns \"tabkeys\" and \"phrase\")");
}

bool isLetterCode(std::string_view code) {
  return !code.empty() && std::all_of(code.begin(), code.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
  });
}

}  // namespace

CangjieTable CangjieTable::load(const std::filesystem::path& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) fail(path, "no such file");

  sqlite3* raw = nullptr;
  const int openResult = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
  DatabaseHandle db(raw);
  if (openResult != SQLITE_OK) fail(path, raw ? sqlite3_errmsg(raw) : "cannot open");
  requirePhrasesTable(db.get(), path);

  // The id order is the order in which the table lists its entries.
  StatementHandle rows = prepare(db.get(), path, "SELECT tabkeys, phrase FROM phrases ORDER BY id");
  CangjieTable table;
  int rc;
  while ((rc = sqlite3_step(rows.get())) == SQLITE_ROW) {
    const std::string code = columnText(rows.get(), 0);
    const std::string phrase = columnText(rows.get(), 1);
    if (isLetterCode(code) && singleCodePoint(phrase)) table.add(phrase, code);
  }
  if (rc != SQLITE_DONE) fail(path, sqlite3_errmsg(db.get()));
  return table;
}

void CangjieTable::add(std::string_view character, std::string_view code) {
  std::string lower(code);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; });
  std::vector<std::string>& list = codes_[std::string(character)];
  if (std::find(list.begin(), list.end(), lower) == list.end()) list.push_back(std::move(lower));
}

const std::vector<std::string>& CangjieTable::codesOf(std::string_view character) const {
  static const std::vector<std::string> kNone;
  const auto found = codes_.find(std::string(character));
  return found == codes_.end() ? kNone : found->second;
}

bool CangjieTable::contains(std::string_view character, std::string_view code) const {
  const std::vector<std::string>& list = codesOf(character);
  return std::find(list.begin(), list.end(), code) != list.end();
}

}  // namespace dbbuild
