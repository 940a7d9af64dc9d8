#pragma once
// zenmora-db copy SOURCE TARGET [--replace] [--report FILE]
//
// Copies a database between a file and a PostgreSQL server database, in
// either direction. SOURCE is a database file of the program's own format,
// an Access/Jet file (brought across by the importer into a temporary file
// first) or a server; TARGET is a server or the path of a new file. A server
// is named by a postgresql:// or postgres:// URI, "service=name" or any other
// libpq key=value connection string.
//
// Contract:
//  - File to server: one transaction creates the server's tables unless
//    they are there (then they must describe the same tables as the file),
//    refuses when any of them holds rows unless --replace is given (then
//    they are emptied in the same transaction), copies every row with its
//    key, order and row version, numbers new rows after the highest key,
//    then reads every table back and compares row counts and checksums with
//    what it read from the file. Any difference, failure or interruption
//    (SIGINT, SIGTERM) rolls back: the server is as it was.
//  - Server to file: reads one snapshot of the server and writes a new file
//    under a temporary name, checks it the same way and only then gives it
//    its name. An existing file is never overwritten.
//  - Text is copied byte for byte as UTF-8; no character set conversion.
//  - The report (per table the rows copied and the checksum) goes to `out`
//    and, with --report, to that file too; errors go to `err`.
//
// Exit codes: 0 copied; 1 failed or refused (nothing changed); 2 the target
// file exists already and was not touched.
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace dbcopy {

inline constexpr int kExitCopied = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitTargetExists = 2;

struct CopyCommand {
  std::string source;
  std::string target;
  bool replace = false;
  std::optional<std::string> reportFile;
  bool progress = false;  // a progress line on `err` (for a terminal)
};

// Reads the arguments after "copy". Throws std::invalid_argument with the
// message for the user.
CopyCommand parseCopyArguments(const std::vector<std::string>& arguments);

int runCopy(const CopyCommand& command, std::ostream& out, std::ostream& err);

}  // namespace dbcopy
