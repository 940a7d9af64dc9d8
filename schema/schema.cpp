#include "schema/schema.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "platform/big5/letter_case.h"

namespace schema {
namespace {

using FT = FieldType;

constexpr std::array<FieldDefinition, 20> kDataInput{{
    {"ID", FT::AutoInc, 0},
    {"B5_Word", FT::String, 8},
    {"B5_Hex", FT::String, 32},
    {"B5_Area", FT::String, 8},
    {"CJ_Code", FT::String, 32},
    {"CJ_Code_CN", FT::String, 32},
    {"Radical_Word", FT::String, 8},
    {"Note", FT::Memo, 0},
    {"Li_Chang", FT::String, 50},
    {"Li_Chang_B", FT::String, 8},
    {"Xian_Xiang", FT::String, 50},
    {"Xian_Xiang_B", FT::String, 8},
    {"Ren_Zhi", FT::String, 50},
    {"Ren_Zhi_B", FT::String, 8},
    {"Si_Bei", FT::String, 50},
    {"Si_Bei_B", FT::String, 8},
    {"Gai_Nian", FT::String, 50},
    {"Gai_Nian_Hex", FT::String, 50},
    {"CJ_Input", FT::String, 250},
    {"8_XI", FT::String, 50},
}};
// "8_XI_B" follows "8_XI"; kept apart so the array sizes stay readable.
constexpr std::array<FieldDefinition, 21> kDataInputAll = [] {
  std::array<FieldDefinition, 21> all{};
  for (std::size_t i = 0; i < kDataInput.size(); ++i) all[i] = kDataInput[i];
  all[20] = {"8_XI_B", FT::String, 16};
  return all;
}();

constexpr std::array<FieldDefinition, 4> kLiChang{{
    {"ID", FT::AutoInc, 0},
    {"Li_Chang", FT::String, 16},
    {"Binary", FT::Integer, 0},
    {"Test", FT::String, 16},
}};

constexpr std::array<FieldDefinition, 4> kXianXiang{{
    {"ID", FT::AutoInc, 0},
    {"Xian_Xiang01", FT::String, 16},
    {"Xian_Xiang02", FT::String, 16},
    {"Binary", FT::Integer, 0},
}};

constexpr std::array<FieldDefinition, 6> kRenZhi{{
    {"ID", FT::AutoInc, 0},
    {"Ren_Zhi01", FT::String, 16},
    {"Ren_Zhi02", FT::String, 16},
    {"Ren_Zhi03", FT::String, 16},
    {"Ren_Zhi04", FT::String, 16},
    {"Binary", FT::Integer, 0},
}};

// In this table "Binary" is a short text standing between the first and the
// second group column, unlike the number columns of the same name elsewhere.
constexpr std::array<FieldDefinition, 10> kSiBei{{
    {"ID", FT::AutoInc, 0},
    {"Si_Bei01", FT::String, 16},
    {"Binary", FT::String, 4},
    {"Si_Bei02", FT::String, 16},
    {"Si_Bei03", FT::String, 16},
    {"Si_Bei04", FT::String, 16},
    {"Si_Bei05", FT::String, 16},
    {"Si_Bei06", FT::String, 16},
    {"Si_Bei07", FT::String, 16},
    {"Si_Bei08", FT::String, 16},
}};

// 32 pairs of a concept column and a code column; the first pair is wider.
constexpr std::array<std::string_view, 32> kGnNames{
    "GN_01", "GN_02", "GN_03", "GN_04", "GN_05", "GN_06", "GN_07", "GN_08",
    "GN_09", "GN_10", "GN_11", "GN_12", "GN_13", "GN_14", "GN_15", "GN_16",
    "GN_17", "GN_18", "GN_19", "GN_20", "GN_21", "GN_22", "GN_23", "GN_24",
    "GN_25", "GN_26", "GN_27", "GN_28", "GN_29", "GN_30", "GN_31", "GN_32"};
constexpr std::array<std::string_view, 32> kHexNames{
    "Hex_01", "Hex_02", "Hex_03", "Hex_04", "Hex_05", "Hex_06", "Hex_07", "Hex_08",
    "Hex_09", "Hex_10", "Hex_11", "Hex_12", "Hex_13", "Hex_14", "Hex_15", "Hex_16",
    "Hex_17", "Hex_18", "Hex_19", "Hex_20", "Hex_21", "Hex_22", "Hex_23", "Hex_24",
    "Hex_25", "Hex_26", "Hex_27", "Hex_28", "Hex_29", "Hex_30", "Hex_31", "Hex_32"};

constexpr std::array<FieldDefinition, 65> kGN = [] {
  std::array<FieldDefinition, 65> all{};
  all[0] = {"ID", FT::AutoInc, 0};
  for (std::size_t k = 0; k < 32; ++k) {
    all[1 + 2 * k] = {kGnNames[k], FT::String, k == 0 ? 50 : 16};
    all[2 + 2 * k] = {kHexNames[k], FT::String, k == 0 ? 50 : 8};
  }
  return all;
}();

constexpr std::array<TableDefinition, 6> kTables{{
    {tables::DataInput, kDataInputAll},
    {tables::LiChang, kLiChang},
    {tables::XianXiang, kXianXiang},
    {tables::RenZhi, kRenZhi},
    {tables::SiBei, kSiBei},
    {tables::GN, kGN},
}};

}  // namespace

bool sameName(std::string_view a, std::string_view b) noexcept { return big5::sameName(a, b); }

const FieldDefinition* TableDefinition::findField(std::string_view fieldName) const noexcept {
  for (const auto& field : fields)
    if (sameName(field.name, fieldName)) return &field;
  return nullptr;
}

std::span<const TableDefinition> allTables() noexcept { return kTables; }

const TableDefinition* findTable(std::string_view tableName) noexcept {
  for (const auto& table : kTables)
    if (table.name == tableName) return &table;
  return nullptr;
}

}  // namespace schema
