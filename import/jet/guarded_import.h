#pragma once
// The import as the command runs it, made safe for the user's files:
//  - the source is checked first and refused with a clear message when it
//    is empty, truncated, no Jet file at all, or an Access 2007+ file;
//  - the destination is never overwritten (refused when anything is there);
//  - the reading runs in a child process under a time limit and a memory
//    cap, so a damaged or hostile file ends with an error, not a hang;
//  - the new file is written under a temporary name in the destination's
//    folder, synced, checked (SQLite's quick integrity check, the rows of
//    every table and the entries of its indexes equal to the rows read) and
//    only then given its name.
// On any failure nothing is left in the destination's folder.
#include <cstddef>
#include <optional>
#include <ostream>
#include <string>

namespace jetimport {

inline constexpr int kExitImported = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitDestinationExists = 2;
inline constexpr int kExitInvalidText = 3;

struct ImportCommand {
  std::string source;
  std::string destination;
  std::optional<std::string> reportFile;  // the report again, as UTF-8 text
  bool replaceInvalid = false;
  int timeLimitSeconds = 3600;
  std::size_t memoryLimitBytes = std::size_t{2} << 30;
  bool progress = false;  // a progress line on `err` (for a terminal)
};

// Why a source file cannot be imported, judged from the file system and its
// first page alone; nullopt when it looks like a Jet 3 or Jet 4 file.
std::optional<std::string> refusalOfSource(const std::string& path);

// Runs the import and returns the exit code (kExit...). The report goes to
// `out`, errors to `err`.
int runGuardedImport(const ImportCommand& command, std::ostream& out, std::ostream& err);

}  // namespace jetimport
