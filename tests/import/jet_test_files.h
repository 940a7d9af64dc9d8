#pragma once
// Making Access/Jet files for the import tests from the real samples in
// tests/import/data (files written by Microsoft Access, see NOTICE.txt
// there). libmdb cannot create a table, and no Access is at hand, so a file
// is derived from a sample:
//
//  - Jet 3 with Big5 text (makeBig5Jet3File): from delTestV1997.mdb, which
//    holds one small table "Table" of two text columns. The header is
//    re-encoded with code page 950 and sort order 0x404 (RC4 with the key
//    Jet uses for its header); the table's definition page is written anew
//    with the requested columns (an AutoNumber Long, Text, Memo), keeping
//    the page's usage and free-space maps, so the table keeps its data page;
//    the catalogue row is renamed with libmdb's writer (mdb_replace_row);
//    Memo values longer than a page are written as chains of long-value
//    pages appended to the file; the rows are inserted with libmdb's writer
//    (mdb_insert_row), text as raw Big5 bytes. libmdb does not update the
//    row count in the definition; readers do not rely on it. The sample's
//    own rows are deleted ones and do not show.
//  - Jet 4 (renameJetTable): a sample's table renamed in the catalogue
//    (the text there is UCS-2), columns and rows left as Access wrote them.
//  - Jet 4 with a database password (withJet4Password): no Access is at
//    hand to set one, so the password field of a sample's header is written
//    as Access keeps it. The header page's bytes from 0x18 (128 in Jet 4)
//    are RC4-encoded with the key Jet uses for its header; in them the 40
//    bytes at 0x42 are the password, up to 20 UCS-2 characters padded with
//    zeros, every 4 bytes XORed with the whole days of the creation date
//    (the 8-byte date at 0x72) as a 32-bit little-endian number. The
//    samples, which have no password, hold exactly that mask there.
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace jettest {

// The folder with the samples (set by the build).
std::string sampleFolder();

struct Jet3Column {
  enum class Kind { AutoNumber, Text, Memo } kind;
  std::string name;
  int size = 255;  // Text: bytes
};

// One cell per column: nullopt is Null; AutoNumber cells hold the number in
// decimal; Text and Memo cells hold the stored bytes (Big5).
using Jet3Row = std::vector<std::optional<std::string>>;

// Writes `output` (which must not exist). Throws std::runtime_error.
void makeBig5Jet3File(const std::string& output, const std::string& tableName, const std::vector<Jet3Column>& columns,
                      const std::vector<Jet3Row>& rows);

// The columns of the program's character table that the export reads, the
// ID, the "Note" memo and one column the program does not know ("Remark").
std::vector<Jet3Column> characterTableColumns();

// Records for those columns holding Big5 text, user-defined characters
// (FA40, 8E40, 8140, C6A1 ranges), Null and empty strings, and a memo of
// more than 16 KiB; IDs 1, 2, 5, 7 (gaps kept).
std::vector<Jet3Row> fidelityRows();

// As makeBig5Jet3File for many rows (a benchmark's file): the rows are
// packed with libmdb (mdb_pack_row) into data pages appended to the file,
// which a usage map of bitmap pages lists; row(i) gives row i.
void makeLargeBig5Jet3File(const std::string& output, const std::string& tableName,
                           const std::vector<Jet3Column>& columns, std::size_t rowCount,
                           const std::function<Jet3Row(std::size_t)>& row);

// Records like the program's: one ideograph each (cycling through the Big5
// ideographs), codes and classification texts, now and then a note.
Jet3Row benchmarkRow(std::size_t index);

// Copies `source` to `output` and renames a table in its catalogue.
void renameJetTable(const std::string& source, const std::string& output, const std::string& oldName,
                    const std::string& newName);

// The bytes of a Jet 4 file (`jet4`) with `password` in its header's
// password field, masked as Access masks it, or unmasked when `masked` is
// false (an empty password then leaves zeros, as other writers do).
std::string withJet4Password(std::string jet4, const std::u16string& password, bool masked = true);

}  // namespace jettest
