#pragma once
// The one-line export of a character record: fixed columns separated by
// full-width (two columns) and half-width (one column) spaces, so the line
// lines up when pasted into a program that shows it in a fixed-pitch font.
// Everything here is Big5 bytes.
#include <optional>
#include <string>

namespace exporting {

// The field texts of one record, as Big5 bytes; empty for an empty or Null field.
struct ExportRecord {
  std::string B5_Word;
  std::string Li_Chang_B, Li_Chang;
  std::string Xian_Xiang_B, Xian_Xiang;
  std::string Ren_Zhi_B, Ren_Zhi;
  std::string Si_Bei_B, Si_Bei;
  std::string XI_B_8;  // the concept's position code, field "8_XI_B"
  std::string Gai_Nian, Gai_Nian_Hex;
  std::string CJ_Code;
  std::string CJ_Input;
};

// The title line, Big5, without line break.
const std::string& exportTitleLine();

// The data line, optionally preceded by the title line and CR LF; no line
// break at the end. nullopt when CJ_Code is empty or longer than 5 bytes:
// the code and its fill must take exactly 8 columns, which such a code cannot.
std::optional<std::string> buildExportText(const ExportRecord& record, bool withTitle);

}  // namespace exporting
