#include "tools/dbbuild/license_notices.h"

#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace dbbuild {

std::vector<LicenseSource> defaultLicenseSources() {
  return {
      {"Cangjie 5 table: Debian package ibus-table-cangjie5 (ibus-table-chinese)",
       "/usr/share/doc/ibus-table-cangjie5/copyright"},
      {"Cangjie 3 table: Debian package ibus-table-cangjie3 (ibus-table-chinese)",
       "/usr/share/doc/ibus-table-cangjie3/copyright"},
      {"Unihan_IRGSources.txt and CJKRadicals.txt: Debian package unicode-data (Unicode Character Database)",
       "/usr/share/doc/unicode-data/copyright"},
  };
}

std::filesystem::path licensePathFor(const std::filesystem::path& database) {
  std::filesystem::path path = database;
  path.replace_filename(database.stem().string() + ".LICENSES.txt");
  return path;
}

std::string composeLicenseText(const std::vector<DataFile>& dataFiles, const std::vector<LicenseSource>& sources,
                               std::vector<std::filesystem::path>& missing) {
  std::ostringstream text;
  text << "The character data of this database was taken from these files:\n\n";
  for (const DataFile& file : dataFiles) text << "  " << file.role << ": " << file.path.string() << "\n";
  text << "\nTheir licence notices follow.\n";
  for (const LicenseSource& source : sources) {
    text << "\n" << std::string(72, '=') << "\n" << source.title << "\n(" << source.notice.string() << ")\n"
         << std::string(72, '=') << "\n\n";
    std::ifstream in(source.notice, std::ios::binary);
    if (!in) {
      text << "[The notice file was not found on the machine that built this database.]\n";
      missing.push_back(source.notice);
      continue;
    }
    const std::string notice{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    text << notice;
    if (!notice.empty() && notice.back() != '\n') text << "\n";
  }
  return text.str();
}

void writeTextFile(const std::filesystem::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace dbbuild
