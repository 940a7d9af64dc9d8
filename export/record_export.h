#pragma once
// Copying the current character record to the clipboard: what happens when
// the user presses the export button.
//
// Contract:
//  - `main` is the character table; its current record buffer is read (so
//    unsaved edits are exported as they stand), nothing is written to it and
//    the cursor does not move. An empty table reads as empty fields.
//  - A missing field raises the dataset's "Field '%s' not found" error
//    before anything reaches the clipboard.
//  - When the record yields no line (CJ_Code empty or longer than 5 bytes)
//    the clipboard is left as it was and `signalNothingExported` runs, so
//    the user is not left pasting the previous record unawares.
#include <functional>
#include <string>

namespace framework {
class TDataSet;
}

namespace exporting {

struct ExportTargets {
  std::function<void(const std::string& big5Text)> writeClipboard;
  std::function<void()> signalNothingExported;
};

void exportRecord(framework::TDataSet& main, bool withTitle, const ExportTargets& targets);

}  // namespace exporting
