#pragma once
// The licence notices of the data the bundled database is made from, kept
// in a text file next to the database ("Lexora_Concept.LICENSES.txt" beside
// "Lexora_Concept.mdb"): the Cangjie tables come from ibus-table-chinese,
// the radicals from the Unicode Character Database.
#include <filesystem>
#include <string>
#include <vector>

namespace dbbuild {

struct LicenseSource {
  std::string title;               // what the notice covers
  std::filesystem::path notice;    // a file holding the notice
};

// The notices Debian installs with the packages the default data comes from.
std::vector<LicenseSource> defaultLicenseSources();

// The notice file that belongs to a database file: same folder and stem,
// extension ".LICENSES.txt".
std::filesystem::path licensePathFor(const std::filesystem::path& database);

struct DataFile {
  std::string role;             // e.g. "Cangjie 5 table"
  std::filesystem::path path;
};

// The text of the notice file: the data files used, then each notice in
// full under its title. A notice file that cannot be read is named in the
// text as missing and added to `missing`.
std::string composeLicenseText(const std::vector<DataFile>& dataFiles, const std::vector<LicenseSource>& sources,
                               std::vector<std::filesystem::path>& missing);

// Writes text to path, replacing an older notice file. Throws
// std::runtime_error when the file cannot be written.
void writeTextFile(const std::filesystem::path& path, const std::string& text);

}  // namespace dbbuild
