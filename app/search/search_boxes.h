#pragma once
// The search box (Edit1) and the jump box (Edit2) of the data-entry tab.
//
//   Edit1Change    every change of the search box's text: from 2 Big5 bytes
//                  up, find the first record whose B5_Hex begins with the
//                  text's hex digits (any letter case), select the text,
//                  take the focus, empty the jump box.
//   Edit1Click     a click into the search box selects its whole text.
//   Edit2KeyPress  every character typed into the jump box, before the box
//                  handles it: digits and Backspace pass, Enter jumps, any
//                  other character is cancelled; every character empties
//                  the search box.
//
// Contract: `main` is the character table (OrvDaoTable1); it may be closed
// (then positioning fails and the error reaches the error box). Errors of a
// jump are caught and answered by the fallbacks; errors of the empty-box jump
// and of the fallbacks themselves propagate.
#include <QObject>

#include <functional>

class QLineEdit;

namespace framework {
class TDataSet;
}

namespace search {

struct SearchBoxes {
  QLineEdit& edit1;  // search box
  QLineEdit& edit2;  // jump box
  framework::TDataSet& main;
};

void Edit1Change(const SearchBoxes& boxes);
void Edit1Click(const SearchBoxes& boxes);

// Returns the character to let through, or 0 to cancel it.
// `discardQueuedCharacter` runs for Enter: it drops one character event
// already waiting behind the Enter key, as the jump must not be followed by
// a stray character.
char Edit2KeyPress(const SearchBoxes& boxes, char key, const std::function<void()>& discardQueuedCharacter);

// Delivers the boxes' events to the handlers above: text changes and clicks
// of Edit1, character keys of Edit2 (before the box sees them). Owned by the
// jump box. The handlers run inside `guard`, which shows their errors.
class SearchBoxEvents : public QObject {
  Q_OBJECT

 public:
  using Guard = std::function<void(const std::function<void()>&)>;
  SearchBoxEvents(SearchBoxes boxes, Guard guard);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  SearchBoxes boxes_;
  Guard guard_;
  bool discardNextCharacter_ = false;
};

}  // namespace search
