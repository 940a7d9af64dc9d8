#include "tests/import/jet_test_files.h"

#include <glib.h>
#include <mdbtools.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace jettest {
namespace {

constexpr std::size_t kJet3Page = 2048;
constexpr std::size_t kHeaderStart = 0x18;  // the RC4-encoded part of the header page
constexpr std::size_t kHeaderLength = 126;
constexpr std::uint32_t kMemoInline = 0x80000000;

void rc4(std::string& data, std::size_t offset, std::size_t length) {
  const unsigned char key[4] = {0xC7, 0xDA, 0x39, 0x6B};
  unsigned char state[256];
  for (int i = 0; i < 256; ++i) state[i] = static_cast<unsigned char>(i);
  for (int i = 0, j = 0; i < 256; ++i) {
    j = (j + state[i] + key[i % 4]) & 0xFF;
    std::swap(state[i], state[j]);
  }
  for (std::size_t n = 0, i = 0, j = 0; n < length; ++n) {
    i = (i + 1) & 0xFF;
    j = (j + state[i]) & 0xFF;
    std::swap(state[i], state[j]);
    data[offset + n] = static_cast<char>(data[offset + n] ^ state[(state[i] + state[j]) & 0xFF]);
  }
}

void put16(std::string& page, std::size_t at, unsigned value) {
  page[at] = static_cast<char>(value & 0xFF);
  page[at + 1] = static_cast<char>((value >> 8) & 0xFF);
}

void put32(std::string& page, std::size_t at, std::uint32_t value) {
  put16(page, at, value & 0xFFFF);
  put16(page, at + 2, value >> 16);
}

std::uint32_t get32(const std::string& page, std::size_t at) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(page[at + static_cast<std::size_t>(i)]);
  return value;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  if (!out) throw std::runtime_error("cannot write " + path);
}

struct Mdb {
  MdbHandle* handle;
  explicit Mdb(const std::string& path) : handle(mdb_open(path.c_str(), MDB_WRITABLE)) {
    if (!handle) throw std::runtime_error("libmdb cannot open " + path);
  }
  ~Mdb() { mdb_close(handle); }
  MdbCatalogEntry* entry(const std::string& name) {
    mdb_read_catalog(handle, MDB_ANY);
    for (guint i = 0; i < handle->num_catalog; ++i) {
      auto* e = static_cast<MdbCatalogEntry*>(g_ptr_array_index(handle->catalog, i));
      if (name == e->object_name) return e;
    }
    throw std::runtime_error("no catalogue entry " + name);
  }
};

// The catalogue row of the table gets the new name (Jet 4 keeps it as UCS-2).
void renameInCatalogue(Mdb& mdb, const std::string& oldName, const std::string& newName) {
  MdbTableDef* objects = mdb_read_table(mdb.entry("MSysObjects"));
  if (!objects || !mdb_read_columns(objects)) throw std::runtime_error("cannot read MSysObjects");
  int nameColumn = -1;
  for (guint c = 0; c < objects->num_cols; ++c)
    if (std::strcmp(static_cast<MdbColumn*>(g_ptr_array_index(objects->columns, c))->name, "Name") == 0)
      nameColumn = static_cast<int>(c);
  std::vector<char> bound(objects->entry->mdb->bind_size);
  mdb_bind_column(objects, nameColumn + 1, bound.data(), nullptr);
  mdb_rewind_table(objects);
  bool renamed = false;
  const bool jet3 = IS_JET3(mdb.handle);
  std::string stored = newName;
  if (!jet3) {
    stored.clear();
    for (char c : newName) {
      stored.push_back(c);
      stored.push_back('\0');
    }
  }
  while (!renamed && mdb_fetch_row(objects)) {
    if (oldName != bound.data()) continue;
    int start = 0;
    size_t size = 0;
    mdb_find_row(mdb.handle, static_cast<int>(objects->cur_row) - 1, &start, &size);
    std::vector<MdbField> fields(objects->num_cols);
    const int count = mdb_crack_row(objects, start & 0x1FFF, size, fields.data());
    for (int f = 0; f < count; ++f) {
      if (fields[f].colnum != nameColumn) continue;
      fields[f].value = stored.data();
      fields[f].siz = static_cast<int>(stored.size());
    }
    std::vector<unsigned char> row(kJet3Page * 4);
    const int rowSize = mdb_pack_row(objects, row.data(), static_cast<unsigned>(count), fields.data());
    if (mdb_replace_row(objects, static_cast<int>(objects->cur_row) - 1, row.data(), rowSize) != 0)
      throw std::runtime_error("cannot rewrite the catalogue row");
    renamed = true;
  }
  mdb_free_tabledef(objects);
  if (!renamed) throw std::runtime_error("no table " + oldName + " in the catalogue");
}

// The definition page of a table without indexes: the header, the columns,
// their names (Jet 3 layout).
std::string tableDefinitionPage(const std::string& old, const std::vector<Jet3Column>& columns) {
  std::string page(kJet3Page, '\0');
  page.replace(0, 8, old.substr(0, 8));
  put32(page, 4, 0);  // a single page
  put32(page, 12, 0);  // rows (not kept up to date by libmdb's writer)
  put32(page, 16, 0);
  page[20] = 0x4E;  // a user table
  unsigned variable = 0;
  for (const Jet3Column& column : columns) variable += column.kind != Jet3Column::Kind::AutoNumber;
  put16(page, 21, static_cast<unsigned>(columns.size()));
  put16(page, 23, variable);
  put16(page, 25, static_cast<unsigned>(columns.size()));
  put32(page, 27, 0);
  put32(page, 31, 0);
  put32(page, 35, get32(old, 35));  // usage map
  put32(page, 39, get32(old, 39));  // free-space map
  std::size_t at = 43;
  unsigned variableIndex = 0;
  unsigned fixedOffset = 0;
  for (std::size_t c = 0; c < columns.size(); ++c) {
    const Jet3Column& column = columns[c];
    const bool fixed = column.kind == Jet3Column::Kind::AutoNumber;
    page[at] = static_cast<char>(fixed ? MDB_LONGINT : column.kind == Jet3Column::Kind::Text ? MDB_TEXT : MDB_MEMO);
    put16(page, at + 1, static_cast<unsigned>(c));
    put16(page, at + 3, fixed ? 0 : variableIndex++);
    put16(page, at + 5, static_cast<unsigned>(c));
    put16(page, at + 7, fixed ? 0 : 0x404);  // sort order of the Chinese (Taiwan) locale
    put16(page, at + 9, fixed ? 0 : 950);    // the column's code page
    page[at + 13] = static_cast<char>(fixed ? (0x01 | 0x02 | 0x04) : 0x02);  // fixed, nullable, autonumber
    put16(page, at + 14, fixed ? fixedOffset : 0);
    put16(page, at + 16, fixed ? 4 : column.kind == Jet3Column::Kind::Text ? static_cast<unsigned>(column.size) : 0);
    if (fixed) fixedOffset += 4;
    at += 18;
  }
  for (const Jet3Column& column : columns) {
    page[at++] = static_cast<char>(column.name.size());
    page.replace(at, column.name.size(), column.name);
    at += column.name.size();
  }
  put32(page, 8, static_cast<std::uint32_t>(at - 8));
  return page;
}

// A chain of long-value pages holding `bytes`, appended to the file; returns
// the first page's row pointer.
std::uint32_t appendLongValue(std::string& file, const std::string& bytes) {
  constexpr std::size_t kPerPage = kJet3Page - 12 - 4;
  const std::size_t pages = (bytes.size() + kPerPage - 1) / kPerPage;
  const std::size_t first = file.size() / kJet3Page;
  for (std::size_t p = 0; p < pages; ++p) {
    const std::string chunk = bytes.substr(p * kPerPage, kPerPage);
    std::string page(kJet3Page, '\0');
    page[0] = 0x01;
    page[1] = 0x01;
    const std::size_t rowSize = 4 + chunk.size();
    const std::size_t start = kJet3Page - rowSize;
    put16(page, 2, static_cast<unsigned>(start - 12));
    page.replace(4, 4, "LVAL");
    put16(page, 8, 1);
    put16(page, 10, static_cast<unsigned>(start));
    put32(page, start, p + 1 < pages ? static_cast<std::uint32_t>((first + p + 1) << 8) : 0);
    page.replace(start + 4, chunk.size(), chunk);
    file += page;
  }
  return static_cast<std::uint32_t>(first << 8);
}

}  // namespace

std::vector<Jet3Column> characterTableColumns() {
  using K = Jet3Column::Kind;
  // The program's sizes, except Li_Chang, which this file declares larger.
  return {{K::AutoNumber, "ID", 4},     {K::Text, "B5_Word", 8},       {K::Text, "CJ_Code", 32},
          {K::Text, "Li_Chang", 100},   {K::Text, "Li_Chang_B", 8},    {K::Text, "Xian_Xiang", 50},
          {K::Text, "Xian_Xiang_B", 8}, {K::Text, "Ren_Zhi", 50},      {K::Text, "Ren_Zhi_B", 8},
          {K::Text, "Si_Bei", 50},      {K::Text, "Si_Bei_B", 8},      {K::Text, "8_XI_B", 16},
          {K::Text, "Gai_Nian", 50},    {K::Text, "Gai_Nian_Hex", 50}, {K::Text, "CJ_Input", 250},
          {K::Memo, "Note", 0},         {K::Text, "Remark", 20}};
}

std::vector<Jet3Row> fidelityRows() {
  // 中 A4A4, 文 A4E5, 字 A672, 人 A448; user-defined FA40, 8E40, 8140, C6A1.
  const std::string zhong = "\xA4\xA4", wen = "\xA4\xE5", zi = "\xA6\x72", ren = "\xA4\x48";
  const std::string eudc1 = "\xFA\x40", eudc2 = "\x8E\x40", eudc3 = "\x81\x40", eudc4 = "\xC6\xA1";
  std::string memo;
  while (memo.size() < 20000) memo += zhong + wen + zi + "abc ";
  memo += eudc4 + "end";
  const std::nullopt_t null = std::nullopt;
  std::string longLiChang;  // 60 characters: more than the program's 50
  for (int i = 0; i < 30; ++i) longLiChang += zhong + "a";
  return {
      {"1", zhong, "L", wen + zi, "01", ren, "02", zhong, "03", wen, "04", "05", zi + zi, "0A1B", "LIL", null,
       "kept"},
      {"2", eudc1, "AB", eudc2 + zhong, "11", eudc3, "12", "", "13", null, "14", "15", ren, "0C", null,
       std::string(), null},
      {"5", wen, "YK", longLiChang, "21", wen, "22", zi, "23", ren, "24", "25", wen, "0D", "YK", memo, null},
      {"7", std::string(), "X", null, null, null, null, null, null, null, null, null, null, null, null, null, null},
  };
}

std::string sampleFolder() { return ZENMORA_JET_SAMPLES; }

namespace {

// The sample with a Big5 header and the table defined anew; returns the
// table's definition page. `file` holds the bytes (not yet written).
std::size_t prepareBig5File(const std::string& output, std::string& file, const std::vector<Jet3Column>& columns) {
  if (std::filesystem::exists(output)) throw std::runtime_error(output + " exists");
  file = readFile(sampleFolder() + "/delTestV1997.mdb");
  rc4(file, kHeaderStart, kHeaderLength);
  put16(file, 0x3A, 0x404);
  put16(file, 0x3C, 950);
  rc4(file, kHeaderStart, kHeaderLength);
  writeFile(output, file);
  std::size_t tablePage = 0;
  {
    Mdb mdb(output);
    tablePage = mdb.entry("Table")->table_pg;
  }
  const std::string old = file.substr(tablePage * kJet3Page, kJet3Page);
  file.replace(tablePage * kJet3Page, kJet3Page, tableDefinitionPage(old, columns));
  return tablePage;
}

// The stored form of each cell: Long numbers as 4 bytes, Memo values with
// their 12-byte header (inline when short, else long-value pages appended
// to `file`).
std::vector<std::string> storedValues(std::string& file, const std::vector<Jet3Column>& columns, const Jet3Row& row) {
  std::vector<std::string> values;
  for (std::size_t c = 0; c < columns.size(); ++c) {
    const std::optional<std::string>& cell = row.at(c);
    std::string value = cell.value_or("");
    if (cell && columns[c].kind == Jet3Column::Kind::AutoNumber) {
      value.assign(4, '\0');
      put32(value, 0, static_cast<std::uint32_t>(std::stoul(*cell)));
    } else if (cell && columns[c].kind == Jet3Column::Kind::Memo) {
      std::string header(12, '\0');
      if (cell->size() <= 256) {
        put32(header, 0, static_cast<std::uint32_t>(cell->size()) | kMemoInline);
        value = header + *cell;
      } else {
        put32(header, 0, static_cast<std::uint32_t>(cell->size()));
        put32(header, 4, appendLongValue(file, *cell));
        value = header;
      }
    }
    values.push_back(value);
  }
  return values;
}

void fillFields(std::vector<MdbField>& fields, const std::vector<Jet3Column>& columns, std::vector<std::string>& values,
                const Jet3Row& row) {
  fields.assign(columns.size(), MdbField{});
  for (std::size_t c = 0; c < columns.size(); ++c) {
    const bool fixed = columns[c].kind == Jet3Column::Kind::AutoNumber;
    mdb_fill_temp_field(&fields[c], values[c].data(), static_cast<int>(values[c].size()), fixed ? 1 : 0,
                        row[c] ? 0 : 1, 0, static_cast<int>(c));
  }
}

std::string emptyDataPage(std::uint32_t owner) {
  std::string page(kJet3Page, '\0');
  page[0] = 0x01;
  page[1] = 0x01;
  put16(page, 2, static_cast<unsigned>(kJet3Page - 10));
  put32(page, 4, owner);
  return page;
}

// Adds a row to a data page; false when it does not fit.
bool addRow(std::string& page, const unsigned char* row, std::size_t size) {
  const unsigned count = static_cast<unsigned char>(page[8]) | (static_cast<unsigned char>(page[9]) << 8);
  const unsigned free = static_cast<unsigned char>(page[2]) | (static_cast<unsigned char>(page[3]) << 8);
  if (size + 2 > free) return false;
  const unsigned end = count == 0 ? kJet3Page
                                  : (static_cast<unsigned char>(page[10 + (count - 1) * 2]) |
                                     (static_cast<unsigned char>(page[11 + (count - 1) * 2]) << 8)) & 0x1FFF;
  const unsigned start = end - static_cast<unsigned>(size);
  page.replace(start, size, reinterpret_cast<const char*>(row), size);
  put16(page, 10 + count * 2, start);
  put16(page, 8, count + 1);
  put16(page, 2, static_cast<unsigned>(free - size - 2));
  return true;
}

}  // namespace

void makeBig5Jet3File(const std::string& output, const std::string& tableName, const std::vector<Jet3Column>& columns,
                      const std::vector<Jet3Row>& rows) {
  std::string file;
  prepareBig5File(output, file, columns);
  std::vector<std::vector<std::string>> values;
  for (const Jet3Row& row : rows) values.push_back(storedValues(file, columns, row));
  writeFile(output, file);

  // The sample's own rows would read as records without an ID: they are
  // marked deleted (flag 0x4000 in the page's row offset table) once the
  // new rows are in, as libmdb's writer drops the flag when it repacks.
  std::vector<std::pair<std::size_t, int>> sampleRows;
  {
    Mdb mdb(output);
    renameInCatalogue(mdb, "Table", tableName);
    MdbTableDef* table = mdb_read_table(mdb.entry(tableName));
    if (!table || !mdb_read_columns(table)) throw std::runtime_error("cannot read the rewritten table definition");
    mdb_rewind_table(table);
    while (mdb_fetch_row(table)) sampleRows.emplace_back(table->cur_phys_pg, static_cast<int>(table->cur_row) - 1);
    mdb_read_indices(table);
    std::vector<MdbField> fields;
    for (std::size_t r = 0; r < rows.size(); ++r) {
      fillFields(fields, columns, values[r], rows[r]);
      if (!mdb_insert_row(table, static_cast<int>(columns.size()), fields.data())) {
        mdb_free_tabledef(table);
        throw std::runtime_error("libmdb could not insert row " + std::to_string(r));
      }
    }
    mdb_free_tabledef(table);
  }
  file = readFile(output);
  for (const auto& [page, row] : sampleRows) {
    const std::size_t at = page * kJet3Page + 10 + static_cast<std::size_t>(row) * 2;
    file[at + 1] = static_cast<char>(file[at + 1] | 0x40);
  }
  writeFile(output, file);
}

void makeLargeBig5Jet3File(const std::string& output, const std::string& tableName,
                           const std::vector<Jet3Column>& columns, std::size_t rowCount,
                           const std::function<Jet3Row(std::size_t)>& row) {
  std::string file;
  const std::size_t tablePage = prepareBig5File(output, file, columns);
  writeFile(output, file);
  {
    Mdb mdb(output);
    renameInCatalogue(mdb, "Table", tableName);
  }
  file = readFile(output);
  Mdb mdb(output);
  MdbTableDef* table = mdb_read_table(mdb.entry(tableName));
  if (!table || !mdb_read_columns(table)) throw std::runtime_error("cannot read the rewritten table definition");

  // Data pages after the file's pages; the usage map's row and its bitmap
  // pages after those.
  std::vector<std::size_t> dataPages;
  std::string page = emptyDataPage(static_cast<std::uint32_t>(tablePage));
  std::vector<unsigned char> packed(kJet3Page);
  std::vector<MdbField> fields;
  std::string unused;  // Memo values here are short: nothing is appended
  const auto flushPage = [&] {
    dataPages.push_back(file.size() / kJet3Page);
    file += page;
    page = emptyDataPage(static_cast<std::uint32_t>(tablePage));
  };
  for (std::size_t r = 0; r < rowCount; ++r) {
    const Jet3Row cells = row(r);
    std::vector<std::string> values = storedValues(unused, columns, cells);
    fillFields(fields, columns, values, cells);
    const int size = mdb_pack_row(table, packed.data(), static_cast<unsigned>(columns.size()), fields.data());
    if (size <= 0) throw std::runtime_error("libmdb could not pack row " + std::to_string(r));
    if (!addRow(page, packed.data(), static_cast<std::size_t>(size))) {
      flushPage();
      addRow(page, packed.data(), static_cast<std::size_t>(size));
    }
  }
  mdb_free_tabledef(table);
  flushPage();

  const std::size_t bitsPerMapPage = (kJet3Page - 4) * 8;
  const std::size_t lastPage = dataPages.back() + 64;
  const std::size_t mapPages = lastPage / bitsPerMapPage + 1;
  const std::size_t mapRowPage = file.size() / kJet3Page;
  const std::size_t firstMapPage = mapRowPage + 1;
  std::string mapRow(1 + 4 * mapPages, '\0');
  mapRow[0] = 0x01;
  for (std::size_t m = 0; m < mapPages; ++m) put32(mapRow, 1 + 4 * m, static_cast<std::uint32_t>(firstMapPage + m));
  std::string rowPage = emptyDataPage(0);
  addRow(rowPage, reinterpret_cast<const unsigned char*>(mapRow.data()), mapRow.size());
  file += rowPage;
  std::vector<std::string> maps(mapPages, std::string(kJet3Page, '\0'));
  for (std::string& map : maps) {
    map[0] = 0x05;
    map[1] = 0x01;
  }
  for (std::size_t p : dataPages) {
    std::string& map = maps[p / bitsPerMapPage];
    const std::size_t bit = p % bitsPerMapPage;
    map[4 + bit / 8] = static_cast<char>(map[4 + bit / 8] | (1 << (bit % 8)));
  }
  for (const std::string& map : maps) file += map;
  const std::size_t definition = tablePage * kJet3Page;
  put32(file, definition + 35, static_cast<std::uint32_t>(mapRowPage << 8));
  put32(file, definition + 39, static_cast<std::uint32_t>(mapRowPage << 8));
  writeFile(output, file);
}

Jet3Row benchmarkRow(std::size_t index) {
  // Cycles through the ideographs A440..C5FE (34 lead bytes of 157 codes).
  const std::size_t code = index % (34 * 157);
  const std::size_t trailIndex = code % 157;
  std::string word;
  word.push_back(static_cast<char>(0xA4 + code / 157));
  word.push_back(static_cast<char>(trailIndex < 63 ? 0x40 + trailIndex : 0xA1 + trailIndex - 63));
  const std::string two = word + word;
  const char* codes[] = {"A", "AB", "ABC", "HQI", "YKMR", "LIL"};
  std::optional<std::string> note;
  if (index % 100 == 0) note = "note " + word;
  return {std::to_string(index + 1), word,  codes[index % 6], two,  "01", two,  "02", two,  "03",
          two,                       "04",  "05",             two,  "0A1B", codes[index % 6], note, std::nullopt};
}

void renameJetTable(const std::string& source, const std::string& output, const std::string& oldName,
                    const std::string& newName) {
  if (std::filesystem::exists(output)) throw std::runtime_error(output + " exists");
  writeFile(output, readFile(source));
  Mdb mdb(output);
  renameInCatalogue(mdb, oldName, newName);
}

std::string withJet4Password(std::string jet4, const std::u16string& password, bool masked) {
  constexpr std::size_t kJet4HeaderLength = 128, kPassword = 0x42, kPasswordBytes = 40, kCreated = 0x72;
  if (jet4.size() < 4096 || jet4[0x14] != 1) throw std::runtime_error("not a Jet 4 file");
  if (password.size() > kPasswordBytes / 2) throw std::runtime_error("a Jet 4 password has at most 20 characters");
  rc4(jet4, kHeaderStart, kJet4HeaderLength);
  double created = 0;
  std::memcpy(&created, jet4.data() + kCreated, sizeof created);
  const std::uint32_t days = masked ? static_cast<std::uint32_t>(static_cast<std::int32_t>(created)) : 0;
  for (std::size_t i = 0; i < kPasswordBytes / 2; ++i) {
    const char16_t c = i < password.size() ? password[i] : u'\0';
    put16(jet4, kPassword + 2 * i, c);
  }
  for (std::size_t i = 0; i < kPasswordBytes; i += 4) put32(jet4, kPassword + i, get32(jet4, kPassword + i) ^ days);
  rc4(jet4, kHeaderStart, kJet4HeaderLength);
  return jet4;
}

}  // namespace jettest
