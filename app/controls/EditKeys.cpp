#include "app/controls/EditKeys.h"

#include <QKeySequence>

#include <algorithm>
#include <array>

namespace controls {

namespace {

bool typesCharacter(const QKeyEvent& event) {
  const QString text = event.text();
  if (text.isEmpty() || !text.at(0).isPrint()) return false;
  // Characters typed with Ctrl, Alt or Meta held are commands, not text.
  return (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) == Qt::NoModifier;
}

bool isEditingShortcut(const QKeyEvent& event) {
  static constexpr std::array kEditing = {
      QKeySequence::Paste,           QKeySequence::Cut,             QKeySequence::Undo,
      QKeySequence::Redo,            QKeySequence::Delete,          QKeySequence::Backspace,
      QKeySequence::DeleteStartOfWord, QKeySequence::DeleteEndOfWord, QKeySequence::DeleteEndOfLine,
      QKeySequence::DeleteCompleteLine,
  };
  return std::any_of(kEditing.begin(), kEditing.end(),
                     [&](QKeySequence::StandardKey key) { return event.matches(key); });
}

}  // namespace

bool changesLineText(const QKeyEvent& event) {
  const int key = event.key();
  if (key == Qt::Key_Backspace || key == Qt::Key_Delete) return true;
  return typesCharacter(event) || isEditingShortcut(event);
}

bool changesMemoText(const QKeyEvent& event) {
  const int key = event.key();
  if (key == Qt::Key_Return || key == Qt::Key_Enter) return true;
  return changesLineText(event);
}

bool startsListEdit(int key) noexcept {
  switch (key) {
    case Qt::Key_Backspace:
      return true;
    // The keys whose virtual-key codes lie below 32.
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Clear:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Pause:
    case Qt::Key_CapsLock:
    case Qt::Key_Escape:
    case Qt::Key_Kana_Lock:
    case Qt::Key_Kana_Shift:
    case Qt::Key_Hangul:
    case Qt::Key_Hangul_Hanja:
    case Qt::Key_Kanji:
    case Qt::Key_Henkan:
    case Qt::Key_Muhenkan:
    case Qt::Key_Mode_switch:
    case Qt::Key_unknown:
    case 0:
      return false;
    default:
      return true;
  }
}

bool movesListSelection(int key) noexcept {
  return key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp || key == Qt::Key_PageDown;
}

}  // namespace controls
