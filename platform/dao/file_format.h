#pragma once
// The engine's database file: an SQLite database marked as ours.
//
// Layout:
//  - SQLite header with application_id kApplicationId and user_version
//    kFormatRevision; journal mode WAL.
//  - zen_info(key, value): "format_version" = "3.0" (what Database.Version
//    reports) and "collating_order" = "1033".
//  - zen_tables(name, row_key, attributes): one row per table; row_key is the
//    column that is SQLite's rowid (the auto-increment column, or the hidden
//    "zen_row"); attributes are DAO's TableDef attributes (system tables
//    0x80000002).
//  - zen_columns(table_name, ordinal, name, dao_type, size, auto_increment,
//    required, unique_values, indexed, default_value, format): the columns in
//    stored order, as DAO describes them.
//  - one SQLite table per table, named as the table, with the columns named
//    as the fields, an INTEGER PRIMARY KEY AUTOINCREMENT row key (so numbers
//    are never reused and rows keep their order of creation) and the hidden
//    column "zen_version", the row's change counter for optimistic locking.
//    A trigger raises zen_version on every update that does not raise it
//    itself, so writers that do not know it still cause write conflicts.
//  - indexes "zen_ix_<table>_<ordinal>" on (column COLLATE NOCASE) for
//    indexed columns and unique indexes "zen_ux_..." for unique ones.
// Text is stored as UTF-8 exactly as given.
#include <cstdint>
#include <string>
#include <string_view>

namespace dao {

constexpr std::int32_t kApplicationId = 0x5A4E4D44;  // "ZNMD"
constexpr int kFormatRevision = 1;
constexpr std::string_view kFormatVersion = "3.0";
constexpr int kCollatingOrder = 1033;  // the general (English) order
constexpr std::string_view kRowVersionColumn = "zen_version";
constexpr std::string_view kHiddenRowKeyColumn = "zen_row";

// What a path holds, judged from the file system and the first bytes alone
// (nothing is written and SQLite is not involved).
enum class FileKind {
  Missing,
  Directory,
  Unreadable,
  Empty,
  OurDatabase,
  JetDatabase,    // "Standard Jet DB" / "Standard ACE DB" at offset 4
  OtherSqlite,    // an SQLite database of another program
  Unrecognized,   // anything else
};

FileKind probeFile(const std::string& path);

// Names the engine keeps for itself (beginning with "zen_", "sqlite_" or
// "ZSys", letter case ignored); no table or field may be called so.
bool isReservedName(std::string_view name);

}  // namespace dao
