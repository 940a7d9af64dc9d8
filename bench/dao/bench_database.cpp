#include "bench/dao/bench_database.h"

#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <stdexcept>

#include "platform/dao/database_builder.h"

namespace bench {

namespace {

dao::ColumnDefinition text(const std::string& name, int size) {
  dao::ColumnDefinition column;
  column.name = name;
  column.type = dao::dbText;
  column.size = size;
  return column;
}

dao::TableDefinition characterTable(const std::string& name, bool indexed) {
  dao::TableDefinition table;
  table.name = name;
  dao::ColumnDefinition id;
  id.name = "ID";
  id.type = dao::dbLong;
  id.autoIncrement = true;
  table.columns.push_back(id);
  table.columns.push_back(text("B5_Word", 8));
  dao::ColumnDefinition hex = text("B5_Hex", 32);
  hex.indexed = indexed;
  table.columns.push_back(hex);
  table.columns.push_back(text("B5_Area", 8));
  table.columns.push_back(text("CJ_Code", 32));
  table.columns.push_back(text("CJ_Code_CN", 32));
  table.columns.push_back(text("Radical_Word", 8));
  dao::ColumnDefinition note;
  note.name = "Note";
  note.type = dao::dbMemo;
  table.columns.push_back(note);
  for (const char* level : {"Li_Chang", "Xian_Xiang", "Ren_Zhi", "Si_Bei"}) {
    table.columns.push_back(text(level, 50));
    table.columns.push_back(text(std::string(level) + "_B", 8));
  }
  table.columns.push_back(text("Gai_Nian", 50));
  table.columns.push_back(text("Gai_Nian_Hex", 50));
  table.columns.push_back(text("CJ_Input", 250));
  table.columns.push_back(text("8_XI", 50));
  table.columns.push_back(text("8_XI_B", 16));
  return table;
}

void fillCharacters(dao::DatabaseBuilder& builder, const std::string& table) {
  const std::vector<std::string> names = {"B5_Word", "B5_Hex", "CJ_Code", "CJ_Code_CN", "Radical_Word", "Li_Chang",
                                          "Li_Chang_B", "Gai_Nian_Hex", "CJ_Input"};
  std::vector<std::vector<dao::CellValue>> rows;
  for (int i = 0; i < kCharacterRows; ++i) {
    const bool classified = i % 10 == 0;
    // A CJK ideograph per row (U+4E00 upwards), three UTF-8 bytes.
    const char32_t code = U'\u4e00' + static_cast<char32_t>(i);
    std::string word;
    word += static_cast<char>(0xE0 | (code >> 12));
    word += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    word += static_cast<char>(0x80 | (code & 0x3F));
    rows.push_back({word, characterHex(i), std::string("MMMA").substr(0, 1 + i % 4), "\xe4\xb8\x80\xe4\xb8\x80",
                    "\xe4\xb8\x80", classified ? dao::CellValue("\xe4\xb8\xbb\xe8\xa7\x80") : std::nullopt,
                    classified ? dao::CellValue("1") : std::nullopt,
                    classified ? dao::CellValue("012H") : std::nullopt,
                    classified ? dao::CellValue("a definition text of some length") : std::nullopt});
  }
  builder.insertRows(table, names, rows);
}

}  // namespace

std::string characterHex(int row) {
  char text[8];
  std::snprintf(text, sizeof text, "%04X", 0xA440 + row);
  return text;
}

std::string millionKey(int row) {
  char text[16];
  std::snprintf(text, sizeof text, "R%07d", row);
  return text;
}

const BenchDatabases& BenchDatabases::instance() {
  static const BenchDatabases databases;
  return databases;
}

BenchDatabases::BenchDatabases() {
  std::string pattern = (std::filesystem::temp_directory_path() / "zen-engine-bench-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a temporary folder");
  folder_ = pattern;
  characterPath_ = folder_ + "/characters.mdb";
  millionPath_ = folder_ + "/million.mdb";
  {
    dao::DatabaseBuilder builder = dao::DatabaseBuilder::createNew(characterPath_);
    builder.createTable(characterTable(kCharacterTable, true));
    builder.createTable(characterTable(kPlainCharacterTable, false));
    fillCharacters(builder, kCharacterTable);
    fillCharacters(builder, kPlainCharacterTable);
    builder.commit();
  }
  {
    dao::DatabaseBuilder builder = dao::DatabaseBuilder::createNew(millionPath_);
    dao::TableDefinition table;
    table.name = kMillionTable;
    dao::ColumnDefinition id;
    id.name = "ID";
    id.type = dao::dbLong;
    id.autoIncrement = true;
    dao::ColumnDefinition key = text("Key", 16);
    key.indexed = true;
    table.columns = {id, key, text("Payload", 64)};
    builder.createTable(table);
    std::vector<std::vector<dao::CellValue>> rows;
    rows.reserve(100000);
    for (int i = 0; i < kMillionRows; ++i) {
      rows.push_back({millionKey(i), std::string("payload of row ") + std::to_string(i)});
      if (rows.size() == 100000) {
        builder.insertRows(kMillionTable, {"Key", "Payload"}, rows);
        rows.clear();
      }
    }
    builder.commit();
  }
}

BenchDatabases::~BenchDatabases() {
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

}  // namespace bench
