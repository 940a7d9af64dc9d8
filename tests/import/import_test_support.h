#pragma once
// Helpers of the import tests: a scratch folder, running the import the way
// the command does, and reading the new database.
#include <sqlite3.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "import/jet/guarded_import.h"

namespace jettest {

class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  std::string path(const std::string& name) const { return (folder_ / name).string(); }
  // The names in the folder, sorted.
  std::vector<std::string> names() const;

 private:
  std::filesystem::path folder_;
};

struct ImportRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

ImportRun runImport(jetimport::ImportCommand command);

std::string readBytes(const std::string& path);
void writeBytes(const std::string& path, const std::string& bytes);

// The rows of a query on the new file; nullopt for Null.
std::vector<std::vector<std::optional<std::string>>> query(const std::string& database, const std::string& sql);

}  // namespace jettest
