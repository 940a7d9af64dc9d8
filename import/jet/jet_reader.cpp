#include "import/jet/jet_reader.h"

// libmdb's header declares its functions inside extern "C" but includes
// glib.h there too, which C++ cannot take; glib.h first keeps it out.
#include <glib.h>
#include <mdbtools.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "import/jet/jet_header.h"
#include "platform/big5/big5.h"

namespace jetimport {
namespace {

// Large enough for any Text value (255 characters, up to three UTF-8 bytes
// each); Memo values that fill it are read again with a larger one.
constexpr std::size_t kInitialBindSize = 16 * 1024;
constexpr std::size_t kLargestBindSize = std::size_t{1} << 30;
// libmdb copies OLE data a chunk at a time (at most its OLE buffer, 64 KiB
// in libmdb 1.0, and at most a page) into the bound buffer.
constexpr std::size_t kOleChunkBuffer = std::size_t{256} * 1024;

JetColumnType columnType(int jetType) {
  switch (jetType) {
    case MDB_BOOL: return JetColumnType::Boolean;
    case MDB_BYTE: return JetColumnType::Byte;
    case MDB_INT: return JetColumnType::Integer;
    case MDB_LONGINT: return JetColumnType::Long;
    case MDB_MONEY: return JetColumnType::Currency;
    case MDB_FLOAT: return JetColumnType::Single;
    case MDB_DOUBLE: return JetColumnType::Double;
    case MDB_DATETIME: return JetColumnType::Date;
    case MDB_BINARY: return JetColumnType::Binary;
    case MDB_TEXT: return JetColumnType::Text;
    case MDB_OLE: return JetColumnType::OleObject;
    case MDB_MEMO: return JetColumnType::Memo;
    case MDB_REPID: return JetColumnType::Guid;
    case MDB_NUMERIC: return JetColumnType::Numeric;
    default: return JetColumnType::Other;
  }
}

// libmdb turned the stored bytes into UTF-8 as if they were Latin-1; this
// gives the bytes back.
std::string undoLatin1(const char* utf8, std::size_t length) {
  std::string bytes;
  bytes.reserve(length);
  for (std::size_t i = 0; i < length; ++i) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if ((c == 0xC2 || c == 0xC3) && i + 1 < length) {
      bytes.push_back(static_cast<char>(((c & 0x03) << 6) | (static_cast<unsigned char>(utf8[i + 1]) & 0x3F)));
      ++i;
    } else {
      bytes.push_back(static_cast<char>(c));
    }
  }
  return bytes;
}

// The file's first page as stored (libmdb keeps only part of what the
// password check needs).
std::string firstPage(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string page(4096, '\0');
  in.read(page.data(), static_cast<std::streamsize>(page.size()));
  page.resize(static_cast<std::size_t>(in.gcount()));
  return page;
}

struct GFreeString {
  void operator()(char* text) const noexcept { g_free(text); }
};
using MdbString = std::unique_ptr<char, GFreeString>;

}  // namespace

struct JetReader::Handle {
  MdbHandle* mdb = nullptr;
  std::vector<MdbCatalogEntry*> entries;
  ~Handle() {
    if (mdb) mdb_close(mdb);
  }
};

JetReader::JetReader(const std::string& path) : handle_(std::make_unique<Handle>()) {
  // Jet 3 text is read as Latin-1, which maps every byte, and given back as
  // bytes: libmdb's own conversion would turn whatever iconv rejects into
  // "?". Jet 4 text is Unicode and arrives as UTF-8.
  ::setenv("MDB_JET3_CHARSET", "ISO-8859-1", 1);
  ::setenv("MDBICONV", "UTF-8", 1);
  handle_->mdb = mdb_open(path.c_str(), MDB_NOFLAGS);
  if (!handle_->mdb) throw JetReadError("it cannot be read as an Access (Jet) database");
  MdbHandle* mdb = handle_->mdb;
  if (mdb->f->jet_version != MDB_VER_JET3 && mdb->f->jet_version != MDB_VER_JET4)
    throw JetReadError("it is an Access 2007 or later (.accdb) database; save it as an Access 2000-2003 .mdb file first");
  if (mdb->f->db_key != 0) throw JetReadError("it is encrypted; decrypt it in Access first");
  if (mdb->f->jet_version == MDB_VER_JET3) {
    for (char c : mdb->f->db_passwd)
      if (c != 0) throw JetReadError(kPasswordRefusal);
  } else if (jet4HasPassword(firstPage(path))) {
    throw JetReadError(kPasswordRefusal);
  }
  mdb_set_bind_size(mdb, kInitialBindSize);
  mdb_set_date_fmt(mdb, "%Y-%m-%d %H:%M:%S");
  mdb_set_shortdate_fmt(mdb, "%Y-%m-%d %H:%M:%S");

  GPtrArray* catalogue = mdb_read_catalog(mdb, MDB_TABLE);
  if (!catalogue) throw JetReadError("its catalogue of tables cannot be read");
  for (guint i = 0; i < catalogue->len; ++i) {
    auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(catalogue, i));
    if (entry->object_type != MDB_TABLE || mdb_is_system_table(entry)) continue;
    MdbTableDef* table = mdb_read_table(entry);
    if (!table) throw JetReadError(std::string("the definition of table ") + entry->object_name + " cannot be read");
    if (!mdb_read_columns(table)) {
      mdb_free_tabledef(table);
      throw JetReadError(std::string("the columns of table ") + entry->object_name + " cannot be read");
    }
    JetTable described;
    described.name = objectName(entry->object_name);
    for (guint c = 0; c < table->num_cols; ++c) {
      auto* column = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, c));
      JetColumn out;
      out.name = objectName(column->name);
      out.type = columnType(column->col_type);
      if (out.type == JetColumnType::Text) out.sizeInCharacters = isJet3() ? column->col_size : column->col_size / 2;
      out.autoNumber = column->is_long_auto != 0;
      described.columns.push_back(std::move(out));
    }
    mdb_free_tabledef(table);
    handle_->entries.push_back(entry);
    tables_.push_back(std::move(described));
  }
}

JetReader::~JetReader() = default;

std::string JetReader::objectName(const char* name) const {
  // A Jet 3 name is in the file's code page like its text (libmdb gave it as
  // Latin-1); other code pages than 950 are left as Latin-1 read them.
  if (!isJet3() || codePage() != 950) return name;
  return big5::toUtf8Lenient(undoLatin1(name, std::strlen(name)));
}

bool JetReader::isJet3() const noexcept { return handle_->mdb->f->jet_version == MDB_VER_JET3; }

int JetReader::codePage() const noexcept { return handle_->mdb->f->code_page; }

void JetReader::readRows(std::size_t index, const std::function<bool(const std::vector<JetCell>&)>& row) {
  MdbHandle* mdb = handle_->mdb;
  struct TableDefFree {
    void operator()(MdbTableDef* t) const noexcept { mdb_free_tabledef(t); }
  };
  std::unique_ptr<MdbTableDef, TableDefFree> table(mdb_read_table(handle_->entries.at(index)));
  if (!table || !mdb_read_columns(table.get()))
    throw JetReadError("the table " + tables_.at(index).name + " cannot be read");
  const JetTable& described = tables_[index];
  const std::size_t columnCount = table->num_cols;
  if (columnCount != described.columns.size())
    throw JetReadError("the table " + described.name + " changed its columns while being read");
  mdb_rewind_table(table.get());

  // libmdb reads OLE objects through the column's bound buffer (a chunk of
  // up to a page at a time): OLE columns get one, nothing else is bound.
  std::vector<std::vector<char>> oleBuffers;
  for (std::size_t c = 0; c < columnCount; ++c) {
    auto* column = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, c));
    if (column->col_type != MDB_OLE) continue;
    oleBuffers.emplace_back(kOleChunkBuffer + mdb->fmt->pg_size);
    mdb_bind_column(table.get(), static_cast<int>(c) + 1, oleBuffers.back().data(), nullptr);
  }
  std::vector<MdbField> fields(columnCount);
  std::vector<JetCell> cells(columnCount);
  const bool jet3 = isJet3();
  while (mdb_fetch_row(table.get())) {
    // mdb_fetch_row leaves the row's page in pg_buf; cracking the row again
    // gives its null mask, which the bound values lose.
    int rowStart = 0;
    size_t rowSize = 0;
    if (mdb_find_row(mdb, static_cast<int>(table->cur_row) - 1, &rowStart, &rowSize) != 0)
      throw JetReadError("a row of table " + described.name + " cannot be found again");
    rowStart &= 0x1FFF;  // the offset without the deleted and lookup flags
    const int cracked = mdb_crack_row(table.get(), rowStart, rowSize, fields.data());
    if (cracked < 0 || static_cast<std::size_t>(cracked) < columnCount)
      throw JetReadError("a row of table " + described.name + " is damaged");

    for (auto& cell : cells) {
      cell.isNull = true;
      cell.value.clear();
    }
    for (std::size_t f = 0; f < columnCount; ++f) {
      const MdbField& field = fields[f];
      if (field.colnum < 0 || static_cast<std::size_t>(field.colnum) >= columnCount) continue;
      auto* column = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, field.colnum));
      JetCell& cell = cells[field.colnum];
      if (column->col_type == MDB_BOOL) {
        // A Yes/No column keeps its value in the null mask: set means No.
        cell.isNull = false;
        cell.value = field.is_null ? "False" : "True";
        continue;
      }
      if (field.is_null) continue;
      cell.isNull = false;
      switch (column->col_type) {
        case MDB_OLE: {
          size_t size = 0;
          void* data = mdb_ole_read_full(mdb, column, &size);
          if (data) {
            cell.value.assign(static_cast<const char*>(data), size);
            std::free(data);
          }
          break;
        }
        case MDB_NUMERIC: {
          MdbString text(mdb_numeric_to_string(mdb, field.start, column->col_scale, column->col_prec));
          cell.value = text ? text.get() : "";
          break;
        }
        case MDB_BINARY:
          if (field.siz > 0) cell.value.assign(reinterpret_cast<const char*>(mdb->pg_buf) + field.start, field.siz);
          break;
        case MDB_TEXT:
          // A Jet 3 text value is stored inline as it is: the bytes libmdb
          // cracked are the value (what the Latin-1 round trip would give,
          // without its copies).
          if (jet3) {
            if (field.siz > 0) cell.value.assign(reinterpret_cast<const char*>(mdb->pg_buf) + field.start, field.siz);
            break;
          }
          [[fallthrough]];
        case MDB_MEMO: {
          std::size_t bindSize = kInitialBindSize;
          for (;;) {
            mdb_set_bind_size(mdb, bindSize);
            MdbString text(mdb_col_to_string(mdb, mdb->pg_buf, field.start, column->col_type, field.siz));
            const std::size_t length = text ? std::strlen(text.get()) : 0;
            // A value that (nearly) fills the buffer may have been cut.
            if (length + 8 < bindSize || bindSize >= kLargestBindSize) {
              cell.value = jet3 ? undoLatin1(text.get(), length) : std::string(text.get(), length);
              break;
            }
            bindSize *= 4;
          }
          if (bindSize != kInitialBindSize) mdb_set_bind_size(mdb, kInitialBindSize);
          break;
        }
        default: {
          MdbString text(mdb_col_to_string(mdb, mdb->pg_buf, field.start, column->col_type, field.siz));
          cell.value = text ? text.get() : "";
        }
      }
    }
    if (!row(cells)) return;
  }
}

}  // namespace jetimport
