#pragma once
// What an import found and did, for the user: printed at the end and
// optionally written to a file (UTF-8 text).
#include <cstdint>
#include <string>
#include <vector>

namespace jetimport {

struct TableTransfer {
  std::string source;       // the table's name in the Jet file; empty when it had none
  std::string destination;  // the table's name in the new file
  std::uint64_t rowsRead = 0;
  std::uint64_t rowsWritten = 0;
  bool programTable = false;  // one of the program's six tables
};

// One value worth naming: table, record ("ID 5", or "row 3" in a table
// without IDs), field.
struct ValueNote {
  std::string table;
  std::string id;
  std::string field;
  std::string detail;
};

struct ImportReport {
  std::string source;
  std::string destination;
  std::string format;  // e.g. "Jet 3 (Access 97), code page 950"
  std::vector<TableTransfer> tables;
  std::vector<ValueNote> userDefinedCharacters;  // detail: "U+E000 (Big5 FA40)"
  std::vector<ValueNote> invalidBytes;           // detail: the bytes in hex and their offset
  bool invalidReplaced = false;                  // they were written as U+FFFD
  std::vector<ValueNote> outsideBig5;            // Unicode text code page 950 cannot hold (kept)
  std::vector<ValueNote> longerThanField;        // detail: "12 characters, the field holds 8"
  std::vector<std::string> widenedFields;        // "table.field: size 8 -> 50" and the like
  std::vector<std::string> extraColumns;         // copied although the program does not use them
  std::vector<std::string> extraTables;
  std::vector<std::string> missingColumns;       // left empty
  std::vector<std::string> missingTables;        // created (lookup tables with the standard lists)
};

// The whole report as text lines.
std::string renderReport(const ImportReport& report);

// Only the list of invalid bytes, for an import that stopped because of them.
std::string renderInvalidBytes(const ImportReport& report);

// "FF 41": bytes as upper-case hex pairs separated by blanks.
std::string hexBytes(std::string_view bytes);

}  // namespace jetimport
