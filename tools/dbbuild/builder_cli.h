#pragma once
// The command of the database builder:
//
//   build_lexora_db [--cangjie5 PATH] [--cangjie3 PATH] [--unihan PATH]
//                   [--radicals PATH] OUTPUT.mdb
//
// Builds the database at OUTPUT.mdb from the data files (Debian's by
// default), writes the licence notices beside it and prints what it found.
// Exit codes: 0 built; 1 failed (bad arguments, unreadable data, engine
// error: no database is left behind; or the notice file could not be
// written after the database was); 2 OUTPUT.mdb exists already and was not
// touched.
#include <filesystem>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/dbbuild/character_records.h"
#include "tools/dbbuild/license_notices.h"

namespace dbbuild {

inline constexpr int kExitBuilt = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitOutputExists = 2;

struct BuilderOptions {
  std::filesystem::path cangjie5 = "/usr/share/ibus-table/tables/cangjie5.db";
  std::filesystem::path cangjie3 = "/usr/share/ibus-table/tables/cangjie3.db";
  std::filesystem::path unihan = "/usr/share/unicode/Unihan_IRGSources.txt.bz2";
  std::filesystem::path radicals = "/usr/share/unicode/CJKRadicals.txt";
  std::filesystem::path output;
  std::vector<LicenseSource> licenses = defaultLicenseSources();
};

class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Reads the arguments after the program name. Throws UsageError for an
// unknown option, an option without its path, or not exactly one output.
BuilderOptions parseBuilderArguments(const std::vector<std::string>& arguments);

struct BuildReport {
  RecordStatistics statistics;
  std::vector<std::uint16_t> unmappedCodes;           // Big5 codes the code page could not map
  std::filesystem::path licenseFile;
  std::vector<std::filesystem::path> missingLicenses; // notices that could not be read
};

// Checks the output path first (OutputExistsError before any data is
// read), reads the data, writes the database and then the notice file.
// Throws OutputExistsError, DataSourceError and the engine's errors.
BuildReport buildLexoraDatabase(const BuilderOptions& options);

// Prints the counts of a build.
void printReport(const BuildReport& report, const std::filesystem::path& output, std::ostream& out);

// The whole command: parses, builds, reports, and returns the exit code.
// Messages go to `out`, errors and warnings to `err`.
int runBuilder(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace dbbuild
