#pragma once
// The single-line editor under TDBEdit and the edit part of TDBComboBox: a
// QLineEdit whose every change by the user is asked for first, and whose
// text is always Big5 text within a byte limit.
//
// Contract:
//  - Before a change of the user's (a key that changesLineText() counts,
//    input-method text, paste, cut, undo and delete from the context menu,
//    a middle-button paste) the box calls beginChange(); when that answers
//    false the change is refused without a sound and the text stays. The
//    first event of an input-method composition counts as a change: the
//    composition is shown inside the box, so the edit starts with it.
//  - Text that code page 950 cannot hold, or that would make the text
//    longer than byteLimit() Big5 bytes (0: no limit), is refused with the
//    system beep (gui::beep) and the box keeps the text it had. A paste is
//    taken whole or not at all: only its first line, without control
//    characters; a refused paste beeps and names the first character Big5
//    lacks, or says the text is too long (RefusalNotice).
//  - When beginChange() reloads the box with other text (the record was
//    changed by another writer and the edit read it again), the change that
//    asked is not applied: the box shows the new text, beeps and says so.
//  - A box set read-only (setReadOnly) refuses every change itself and
//    accepts no input-method text; beginChange() is not asked then.
//  - showFieldText() shows a text loaded from the field. It leaves the box
//    alone when the text is the same, so that reloads that change nothing
//    (the record entering edit state) keep the caret, the selection, the
//    undo steps and a running composition. A load that changes the text
//    ends a running composition.
//  - Input-method text never brings a control character: it is left out,
//    and a TAB in it (the user pressed Tab while composing) moves the focus
//    on after the text before it is taken. Input-method text arriving while
//    the box does not have the focus edits nothing (see InputComposition).
//    Late copies of a composition are refused before any box sees them
//    (InputCommitGuard, installed by the box).
//  - commitComposition() turns a running input-method composition into
//    typed text (see InputComposition); dropComposition() discards it.
//  - Esc goes to escapePressed() first; when it answers true the key is
//    consumed.
#include <QClipboard>
#include <QLineEdit>

#include "app/controls/InputComposition.h"

class QMenu;

namespace controls {

class Big5Validator;

class BoundLineEdit : public QLineEdit {
  Q_OBJECT

 public:
  explicit BoundLineEdit(QWidget* parent);

  int byteLimit() const noexcept;
  void setByteLimit(int bytes);

  void showFieldText(const QString& text);

  bool composing() const noexcept { return composition_.pending(); }
  void commitComposition() { composition_.commit(*this); }
  void dropComposition() { composition_.drop(*this); }

  // The context menu the box shows (owned by the caller).
  QMenu* createContextMenu();

 protected:
  virtual bool beginChange() { return true; }
  virtual bool escapePressed() { return false; }

  void keyPressEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void takeInputMethodEvent(QInputMethodEvent& event);
  // beginChange(), refused when starting the edit reloaded the box with
  // other text.
  bool startChange();
  void pasteFrom(QClipboard::Mode mode);

  // Runs a change of the user's and beeps when the input rule refused it.
  template <class Change>
  void refusable(Change&& change);

  Big5Validator* validator_;
  InputComposition composition_;
  unsigned loads_ = 0;  // loads that changed the text
};

}  // namespace controls
