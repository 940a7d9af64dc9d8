#include "import/jet/import_report.h"

#include <fmt/format.h>

namespace jetimport {
namespace {

void appendNotes(std::string& out, const std::string& title, const std::vector<ValueNote>& notes) {
  if (notes.empty()) return;
  out += fmt::format("{} ({}):\n", title, notes.size());
  for (const ValueNote& note : notes)
    out += fmt::format("  {}  {}  {}: {}\n", note.table, note.id, note.field, note.detail);
}

void appendLines(std::string& out, const std::string& title, const std::vector<std::string>& lines) {
  if (lines.empty()) return;
  out += fmt::format("{} ({}):\n", title, lines.size());
  for (const std::string& line : lines) out += "  " + line + "\n";
}

}  // namespace

std::string hexBytes(std::string_view bytes) {
  std::string out;
  for (unsigned char c : bytes) {
    if (!out.empty()) out += ' ';
    out += fmt::format("{:02X}", c);
  }
  return out;
}

std::string renderInvalidBytes(const ImportReport& report) {
  std::string out;
  appendNotes(out, report.invalidReplaced ? "Bytes that are not Big5 text, written as U+FFFD"
                                          : "Bytes that are not Big5 text",
              report.invalidBytes);
  return out;
}

std::string renderReport(const ImportReport& report) {
  std::string out = fmt::format("Imported {} into {}\n", report.source, report.destination);
  if (!report.format.empty()) out += fmt::format("Source format: {}\n", report.format);
  out += "Tables (rows read / rows written):\n";
  for (const TableTransfer& table : report.tables) {
    const std::string name = table.source.empty() || table.source == table.destination
                                 ? table.destination
                                 : table.source + " -> " + table.destination;
    const char* remark = table.source.empty() ? "  (not in the source; created)"
                         : table.programTable ? ""
                                              : "  (not a table of the program; copied)";
    out += fmt::format("  {:<24} {:>10} / {:<10}{}\n", name, table.rowsRead, table.rowsWritten, remark);
  }
  appendNotes(out, "Records holding user-defined characters", report.userDefinedCharacters);
  out += renderInvalidBytes(report);
  appendNotes(out, "Characters code page 950 cannot hold (kept as they are)", report.outsideBig5);
  appendNotes(out, "Text longer than the program's field (kept whole)", report.longerThanField);
  appendLines(out, "Fields made larger to keep the text whole", report.widenedFields);
  appendLines(out, "Columns the program does not use (copied)", report.extraColumns);
  appendLines(out, "Tables the program does not use (copied)", report.extraTables);
  appendLines(out, "Columns missing in the source (left empty)", report.missingColumns);
  appendLines(out, "Tables missing in the source (created)", report.missingTables);
  return out;
}

}  // namespace jetimport
