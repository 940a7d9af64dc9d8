#include "export/record_export.h"

#include "export/export_line.h"
#include "framework/TDataSet.h"
#include "framework/TField.h"
#include "schema/schema.h"

namespace exporting {
namespace {

namespace f = schema::fields;

ExportRecord readRecord(framework::TDataSet& main) {
  const auto text = [&](std::string_view field) { return main.FieldByName(field).AsString(); };
  ExportRecord r;
  r.B5_Word = text(f::B5_Word);
  r.Li_Chang_B = text(f::Li_Chang_B);
  r.Li_Chang = text(f::Li_Chang);
  r.Xian_Xiang_B = text(f::Xian_Xiang_B);
  r.Xian_Xiang = text(f::Xian_Xiang);
  r.Ren_Zhi_B = text(f::Ren_Zhi_B);
  r.Ren_Zhi = text(f::Ren_Zhi);
  r.Si_Bei_B = text(f::Si_Bei_B);
  r.Si_Bei = text(f::Si_Bei);
  r.XI_B_8 = text(f::XI_B_8);
  r.Gai_Nian = text(f::Gai_Nian);
  r.Gai_Nian_Hex = text(f::Gai_Nian_Hex);
  r.CJ_Code = text(f::CJ_Code);
  r.CJ_Input = text(f::CJ_Input);
  return r;
}

}  // namespace

void exportRecord(framework::TDataSet& main, bool withTitle, const ExportTargets& targets) {
  const std::size_t codeLength = main.FieldByName(f::CJ_Code).AsString().size();
  if (codeLength == 0 || codeLength > 5) {
    if (targets.signalNothingExported) targets.signalNothingExported();
    return;
  }
  // Every field is read before the clipboard is touched, so a missing field
  // leaves the clipboard as it was.
  const auto line = buildExportText(readRecord(main), withTitle);
  if (line && targets.writeClipboard) targets.writeClipboard(*line);
}

}  // namespace exporting
