#include "tests/tools/test_files.h"

#include <bzlib.h>
#include <sqlite3.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <random>
#include <stdexcept>

namespace dbbuild::testing {

TempFolder::TempFolder() {
  std::random_device random;
  const auto base = std::filesystem::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    auto candidate = base / ("zen_dbbuild_test_" + std::to_string(random()));
    if (std::filesystem::create_directory(candidate)) {
      path_ = candidate;
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary folder");
}

TempFolder::~TempFolder() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

void executeSql(const std::filesystem::path& path, const std::string& sql) {
  sqlite3* db = nullptr;
  if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) {
    sqlite3_close(db);
    throw std::runtime_error("cannot open " + path.string());
  }
  char* error = nullptr;
  const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error);
  const std::string message = error ? error : "";
  sqlite3_free(error);
  sqlite3_close(db);
  if (rc != SQLITE_OK) throw std::runtime_error(path.string() + ": " + message);
}

std::vector<QueryRow> queryRows(const std::filesystem::path& path, const std::string& sql) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    throw std::runtime_error("cannot open " + path.string());
  }
  sqlite3_stmt* statement = nullptr;
  std::vector<QueryRow> rows;
  int rc = sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr);
  if (rc == SQLITE_OK) {
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
      QueryRow row;
      for (int i = 0; i < sqlite3_column_count(statement); ++i) {
        const unsigned char* text = sqlite3_column_text(statement, i);
        if (text)
          row.emplace_back(std::string(reinterpret_cast<const char*>(text),
                                       static_cast<std::size_t>(sqlite3_column_bytes(statement, i))));
        else
          row.emplace_back(std::nullopt);
      }
      rows.push_back(std::move(row));
    }
  }
  const std::string message = sqlite3_errmsg(db);
  sqlite3_finalize(statement);
  sqlite3_close(db);
  if (rc != SQLITE_DONE) throw std::runtime_error(path.string() + ": " + sql + ": " + message);
  return rows;
}

void writeCangjieDatabase(const std::filesystem::path& path, const CangjieEntries& entries) {
  std::string sql =
      "CREATE TABLE ime (attr TEXT, val TEXT);"
      "CREATE TABLE phrases (id INTEGER PRIMARY KEY, tabkeys TEXT, phrase TEXT, freq INTEGER, user_freq INTEGER);";
  int id = 1;
  for (const auto& [keys, phrase] : entries) {
    char* row = sqlite3_mprintf("INSERT INTO phrases VALUES (%d, %Q, %Q, 1000, 0);", id++, keys.c_str(),
                                phrase.c_str());
    sql += row;
    sqlite3_free(row);
  }
  executeSql(path, sql);
}

void writeText(const std::filesystem::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

void writeBzip2(const std::filesystem::path& path, const std::string& text) {
  std::string compressed(text.size() + text.size() / 100 + 601, '\0');
  auto length = static_cast<unsigned>(compressed.size());
  std::string input = text;
  if (BZ2_bzBuffToBuffCompress(compressed.data(), &length, input.data(), static_cast<unsigned>(input.size()), 9, 0,
                               0) != BZ_OK)
    throw std::runtime_error("bzip2 compression failed");
  compressed.resize(length);
  writeText(path, compressed);
}

std::string radicalListText() {
  const std::map<int, std::string> real = {
      {1, "4E00"},  {2, "4E28"},   {9, "4EBA"},   {10, "513F"},  {30, "53E3"},  {71, "65E0"},
      {85, "6C34"}, {104, "7592"}, {162, "8FB5"}, {171, "96B6"}, {174, "9751"}};
  std::string text = "# CJKRadicals-15.0.0.txt\n#\n# number; radical; unified ideograph\n\n";
  for (int number = 1; number <= 214; ++number) {
    const auto found = real.find(number);
    char line[64];
    // Stand-ins: ideographs of the common block, all in code page 950.
    std::snprintf(line, sizeof line, "%d; %04X; %s\n", number, 0x2F00 + number - 1,
                  found != real.end() ? found->second.c_str() : "5927");
    text += line;
    if (number == 162) text += "162'; 2ECC; 8FB6\n";
  }
  return text;
}

}  // namespace dbbuild::testing
