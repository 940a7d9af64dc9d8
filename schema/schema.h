#pragma once
// The character database: its six tables and their fields, defined once for
// the whole program (the database builder, the handlers and the tests all
// read these definitions instead of repeating names).
//
// Names are exactly as stored in the file. The program looks fields up
// without regard to letter case, so "8_Xi_B" and "8_XI_B" reach one field.
#include <cstddef>
#include <span>
#include <string_view>

namespace schema {

// Field types as the dataset layer names them.
enum class FieldType { AutoInc, String, Memo, Integer };

struct FieldDefinition {
  std::string_view name;
  FieldType type;
  int size;  // characters for String, 0 otherwise
};

struct TableDefinition {
  std::string_view name;
  std::span<const FieldDefinition> fields;  // in stored order

  // The field of that name (letter case ignored), or nullptr.
  const FieldDefinition* findField(std::string_view fieldName) const noexcept;
};

// The six tables in the order the form opens them: the character table
// first, then the five lookup tables of the classification lists.
std::span<const TableDefinition> allTables() noexcept;

// The table of that exact name, or nullptr.
const TableDefinition* findTable(std::string_view tableName) noexcept;

// Letter-case-insensitive comparison of ASCII names.
bool sameName(std::string_view a, std::string_view b) noexcept;

namespace tables {
inline constexpr std::string_view DataInput = "0_Data_Input";
inline constexpr std::string_view LiChang = "1_Li_Chang";
inline constexpr std::string_view XianXiang = "2_Xian_Xiang";
inline constexpr std::string_view RenZhi = "3_Ren_Zhi";
inline constexpr std::string_view SiBei = "4_Si_Bei";
inline constexpr std::string_view GN = "5_GN";
}  // namespace tables

// Fields of "0_Data_Input".
namespace fields {
inline constexpr std::string_view ID = "ID";
inline constexpr std::string_view B5_Word = "B5_Word";
inline constexpr std::string_view B5_Hex = "B5_Hex";
inline constexpr std::string_view B5_Area = "B5_Area";
inline constexpr std::string_view CJ_Code = "CJ_Code";
inline constexpr std::string_view CJ_Code_CN = "CJ_Code_CN";
inline constexpr std::string_view Radical_Word = "Radical_Word";
inline constexpr std::string_view Note = "Note";
inline constexpr std::string_view Li_Chang = "Li_Chang";
inline constexpr std::string_view Li_Chang_B = "Li_Chang_B";
inline constexpr std::string_view Xian_Xiang = "Xian_Xiang";
inline constexpr std::string_view Xian_Xiang_B = "Xian_Xiang_B";
inline constexpr std::string_view Ren_Zhi = "Ren_Zhi";
inline constexpr std::string_view Ren_Zhi_B = "Ren_Zhi_B";
inline constexpr std::string_view Si_Bei = "Si_Bei";
inline constexpr std::string_view Si_Bei_B = "Si_Bei_B";
inline constexpr std::string_view Gai_Nian = "Gai_Nian";
inline constexpr std::string_view Gai_Nian_Hex = "Gai_Nian_Hex";
inline constexpr std::string_view CJ_Input = "CJ_Input";
inline constexpr std::string_view XI_8 = "8_XI";
// The program's handlers spell the concept-position field this way; the file
// and the form spell it "8_XI_B". Case-insensitive lookup joins the two.
inline constexpr std::string_view XI_B_8 = "8_Xi_B";
}  // namespace fields

}  // namespace schema
