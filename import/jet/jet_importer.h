#pragma once
// The import itself, in the calling process: reads a Jet file with
// JetReader and writes the program's database with the engine's
// DatabaseBuilder.
//
// Mapping: tables and columns are matched by name, letter case ignored, onto
// the program's six tables; IDs and record order are kept; columns and
// tables the program does not know are copied too; columns the source lacks
// stay empty; a program table the source lacks is created (the lookup tables
// with the standard lists). A field whose source is larger than the
// program's field is made larger, so no text is ever cut.
//
// Text: a Jet 3 file's text in code page 950 is decoded by the program's
// Big5 layer, user-defined characters included. Bytes that are not Big5 stop
// the import (InvalidTextError, nothing written) unless replaceInvalid,
// which writes U+FFFD; either way they are listed. A Jet 4 file's Unicode is
// kept as it is; characters code page 950 lacks are listed.
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

#include "import/jet/import_report.h"

namespace jetimport {

// Refusals and failures; what() is the message for the user.
class ImportError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class InvalidTextError : public ImportError {
 public:
  explicit InvalidTextError(ImportReport report)
      : ImportError("the file holds bytes that are not Big5 text"), report_(std::move(report)) {}
  const ImportReport& report() const noexcept { return report_; }

 private:
  ImportReport report_;
};

struct ImportOptions {
  bool replaceInvalid = false;
  // Called now and then with the table being read and rows done so far.
  std::function<void(const std::string& table, std::uint64_t rows)> progress;
  // The new file is left unsynced; the caller syncs it before it gives the
  // file a lasting name.
  bool callerSyncs = false;
};

// Reads `source` and creates the database at `destination` (which must not
// exist; DatabaseBuilder's rules apply). Throws ImportError (for a file
// with none of the program's tables too), InvalidTextError, JetReadError and
// the engine's errors; on any error nothing is left at `destination`.
ImportReport importJetFile(const std::string& source, const std::string& destination, const ImportOptions& options);

}  // namespace jetimport
