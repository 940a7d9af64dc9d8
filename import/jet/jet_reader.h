#pragma once
// Reading an Access/Jet file (Jet 3 or Jet 4) through libmdb, with the
// library's traps handled here once:
//  - text is taken as stored: a Jet 3 file's bytes come back unconverted
//    (libmdb is told to read them as Latin-1 and the Latin-1 is undone), so
//    Big5 is decoded by the program's own Big5 layer and no byte is ever
//    turned into "?"; a Jet 4 file's Unicode comes back as UTF-8;
//  - NULL and the empty string are told apart from the row's null mask;
//  - values longer than libmdb's bind size are read again with a larger one
//    instead of being cut;
//  - dates are read in the fixed form "yyyy-mm-dd hh:mm:ss".
// libmdb may print diagnostics to stderr; it is meant to run in a process
// of its own (a damaged catalogue can make it loop), see guarded_import.h.
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace jetimport {

// A file the reader refuses; what() is the message for the user.
class JetReadError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline constexpr const char* kPasswordRefusal = "it is protected by a password; remove the password in Access first";

enum class JetColumnType { Boolean, Byte, Integer, Long, Currency, Single, Double, Date, Binary, Text, OleObject, Memo,
                           Guid, Numeric, Other };

struct JetColumn {
  std::string name;        // UTF-8
  JetColumnType type = JetColumnType::Text;
  int sizeInCharacters = 0;  // Text: the declared size (0 for the other types)
  bool autoNumber = false;
};

struct JetTable {
  std::string name;  // UTF-8
  std::vector<JetColumn> columns;
};

struct JetCell {
  bool isNull = true;
  // Text and Memo: Jet 3 the stored bytes (the file's code page), Jet 4
  // UTF-8. Numbers, dates and booleans ("True"/"False"): their text. Binary
  // and OLE: the bytes.
  std::string value;
};

class JetReader {
 public:
  // Opens the file read-only. Throws JetReadError for a file libmdb cannot
  // open, an encrypted or password-protected file, or an Access 2007+ file.
  explicit JetReader(const std::string& path);
  JetReader(const JetReader&) = delete;
  JetReader& operator=(const JetReader&) = delete;
  ~JetReader();

  bool isJet3() const noexcept;
  // The code page a Jet 3 file declares for its text (e.g. 950, 1252).
  int codePage() const noexcept;

  // The user tables in catalogue order (system tables left out).
  const std::vector<JetTable>& tables() const noexcept { return tables_; }

  // Calls `row` for each row of the table in stored order, with one cell per
  // column of tables()[index]; stops early when `row` returns false.
  void readRows(std::size_t index, const std::function<bool(const std::vector<JetCell>&)>& row);

 private:
  std::string objectName(const char* name) const;

  struct Handle;
  std::unique_ptr<Handle> handle_;
  std::vector<JetTable> tables_;
};

}  // namespace jetimport
