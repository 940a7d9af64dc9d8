#include "bench/data/bench_tables.h"

#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <stdexcept>

#include "platform/big5/big5.h"
#include "platform/dao/database_builder.h"
#include "schema/engine_tables.h"

namespace benchdata {

namespace {

dao::TableDefinition CharacterTable() {
  dao::TableDefinition definition = schema::engineTableDefinition(*schema::findTable(schema::tables::DataInput));
  for (dao::ColumnDefinition& column : definition.columns) column.indexed = column.name == schema::fields::B5_Hex;
  return definition;
}

// Every code of Big5's frequent (A440-C67E) and less frequent (C940-F9D5)
// ideograph ranges that code page 950 maps, in code order.
std::vector<std::pair<std::string, std::string>> Ideographs() {
  std::vector<std::pair<std::string, std::string>> found;
  const auto add = [&](int lead, int trail) {
    const std::string bytes{static_cast<char>(lead), static_cast<char>(trail)};
    try {
      char hex[8];
      std::snprintf(hex, sizeof hex, "%02X%02X", lead, trail);
      found.emplace_back(big5::toUtf8(bytes), hex);
    } catch (const big5::ConversionError&) {
    }
  };
  for (const auto& [first, last] : {std::pair{0xA4, 0xC6}, std::pair{0xC9, 0xF9}}) {
    for (int lead = first; lead <= last; ++lead) {
      for (int trail = 0x40; trail <= 0xFE; ++trail) {
        if (trail > 0x7E && trail < 0xA1) continue;
        if (lead == 0xC6 && trail > 0x7E) continue;
        if (lead == 0xF9 && trail > 0xD5) continue;
        add(lead, trail);
      }
    }
  }
  return found;
}

}  // namespace

std::string BenchTables::millionKey(int row) {
  char text[16];
  std::snprintf(text, sizeof text, "R%07d", row);
  return text;
}

const BenchTables& BenchTables::instance() {
  static const BenchTables tables;
  return tables;
}

BenchTables::BenchTables() {
  std::string pattern = (std::filesystem::temp_directory_path() / "zen-data-bench-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a temporary folder");
  folder_ = pattern;
  charactersPath_ = folder_ + "/characters.mdb";
  millionPath_ = folder_ + "/million.mdb";
  {
    dao::DatabaseBuilder builder = dao::DatabaseBuilder::createNew(charactersPath_);
    builder.createTable(CharacterTable());
    std::vector<std::vector<dao::CellValue>> rows;
    for (const auto& [word, hex] : Ideographs()) {
      const bool classified = rows.size() % 10 == 0;
      rows.push_back({word, hex, "MMMA", "一一", "一", classified ? dao::CellValue("主觀") : std::nullopt,
                      classified ? dao::CellValue("1") : std::nullopt,
                      classified ? dao::CellValue("012H") : std::nullopt, "一段有些長度的定義文字"});
      hexes_.push_back(hex);
    }
    characterRows_ = static_cast<int>(rows.size());
    builder.insertRows(kCharacterTable,
                       {"B5_Word", "B5_Hex", "CJ_Code", "CJ_Code_CN", "Radical_Word", "Li_Chang", "Li_Chang_B",
                        "Gai_Nian_Hex", "CJ_Input"},
                       rows);
    builder.commit();
  }
  {
    dao::DatabaseBuilder builder = dao::DatabaseBuilder::createNew(millionPath_);
    dao::TableDefinition table;
    table.name = kMillionTable;
    table.columns = {{.name = "ID", .type = dao::dbLong, .autoIncrement = true},
                     {.name = "Key", .type = dao::dbText, .size = 16, .indexed = true},
                     {.name = "Payload", .type = dao::dbText, .size = 64}};
    builder.createTable(table);
    std::vector<std::vector<dao::CellValue>> rows;
    rows.reserve(100000);
    for (int i = 0; i < kMillionRows; ++i) {
      rows.push_back({millionKey(i), "payload of row " + std::to_string(i)});
      if (rows.size() == 100000) {
        builder.insertRows(kMillionTable, {"Key", "Payload"}, rows);
        rows.clear();
      }
    }
    builder.commit();
  }
}

BenchTables::~BenchTables() {
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

}  // namespace benchdata
