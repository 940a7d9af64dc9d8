#pragma once
// The context menu of the bound edit boxes: Undo | Cut, Copy, Paste, Delete
// | Select All, as the system's edit controls offer it. The box supplies
// the operations, so that those that change the text start the edit first.
#include <functional>

class QMenu;
class QWidget;

namespace controls {

struct EditMenuItems {
  bool readOnly = false;
  bool canUndo = false;
  bool hasSelection = false;
  bool hasText = false;
  bool canPaste = false;
  std::function<void()> undo, cut, copy, paste, erase, selectAll;
};

// A new menu (owned by the caller) whose actions are named "undo", "cut",
// "copy", "paste", "delete" and "selectAll", enabled as the items say.
QMenu* createEditMenu(QWidget* parent, const EditMenuItems& items);

// Whether the clipboard holds text that a paste would insert.
bool clipboardHasText();

}  // namespace controls
