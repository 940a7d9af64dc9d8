#pragma once
// Helpers for the database builder's tests: a temporary folder removed
// afterwards, and small data files in the formats the builder reads.
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace dbbuild::testing {

class TempFolder {
 public:
  TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  ~TempFolder();
  const std::filesystem::path& path() const noexcept { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

// (tabkeys, phrase) in entry order.
using CangjieEntries = std::vector<std::pair<std::string, std::string>>;

// An SQLite file with the tables of an ibus-table database and the given
// phrases; every entry gets the same freq so that nothing can depend on it.
void writeCangjieDatabase(const std::filesystem::path& path, const CangjieEntries& entries);

// Runs SQL statements on an SQLite file, creating it when missing.
void executeSql(const std::filesystem::path& path, const std::string& sql);

// Rows of a query on an SQLite file opened read-only; Null cells are nullopt.
using QueryRow = std::vector<std::optional<std::string>>;
std::vector<QueryRow> queryRows(const std::filesystem::path& path, const std::string& sql);

void writeText(const std::filesystem::path& path, const std::string& text);

// The text compressed with bzip2, as Debian ships the Unihan files.
void writeBzip2(const std::filesystem::path& path, const std::string& text);

// A radical list in the layout of CJKRadicals.txt with all 214 radicals:
// the real ideographs of the radicals the tests look at and a stand-in
// ideograph for the rest, plus simplified-form rows that must be skipped.
std::string radicalListText();

}  // namespace dbbuild::testing
