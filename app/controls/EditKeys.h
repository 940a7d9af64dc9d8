#pragma once
// Which key presses start the edit of a bound control's record.
//
// A bound control puts its record into edit state before its text changes
// (a record entering edit state reloads every control, which would
// overwrite a change made before). These rules say which key presses count.
#include <QKeyEvent>

namespace controls {

// A single-line box: a typed printable character, Backspace, Delete, and the
// editing shortcuts (paste as Ctrl+V or Shift+Insert, cut as Ctrl+X or
// Shift+Delete, undo, redo, deleting a word or the rest of the line).
bool changesLineText(const QKeyEvent& event);

// The memo: as a single-line box, plus Enter and Ctrl+Enter (line breaks).
bool changesMemoText(const QKeyEvent& event);

// A drop-down list's key-down step: Backspace and every key with a Windows
// virtual-key code from 32 to 255 (space, the page keys, Home, End, the
// arrows, Insert, Delete, digits, letters, function keys, punctuation),
// whatever the modifiers. Not Tab, Enter, Esc, the modifier and lock keys
// or the input-method mode keys, whose codes lie below 32.
bool startsListEdit(int key) noexcept;

// The keys with which a closed list moves its selection; when the edit
// cannot start they are cancelled, so the selection cannot move.
bool movesListSelection(int key) noexcept;

}  // namespace controls
