#pragma once
// Multi-line box that shows and edits one memo field of the current record
// (DBMemo1 on Note). Lines wrap at the box's width and a vertical scroll bar
// is always shown. Tab moves the focus on; Enter inserts a line break.
//
// Contract:
//  - Every load reads the whole memo through the field's AsString (stored
//    CR LF line breaks become lines); the memo is then loaded. Without a
//    field it is empty and not loaded.
//  - The memo refuses typing unless the link is editing and the memo is
//    loaded. Typed characters, Backspace, Enter, Ctrl+Enter, Delete, the
//    editing shortcuts, input-method text, and paste, cut, undo and delete
//    from the context menu first ask the link to edit, and are refused
//    without a sound when the record cannot be edited.
//  - Text that code page 950 cannot hold (typed, pasted or committed by an
//    input method) is refused with the system beep; the text stays as it
//    was. A refused paste also names the first such character
//    (RefusalNotice). There is no length limit.
//  - When asking to edit reloads the memo with other text (another writer
//    changed the record), the change that asked is not applied: the memo
//    shows the new text, beeps and says so.
//  - Input-method text keeps its line breaks but no other control
//    character; a TAB in it (Tab pressed while composing) moves the focus
//    on, and what came after the TAB, line breaks included, is not taken.
//    Input-method text arriving while the memo does not have the focus
//    edits nothing; late copies of a composition never arrive (see
//    InputCommitGuard).
//  - Esc reloads the memo from the field.
//  - Text changes set the modified mark. Write-back (the focus leaving for
//    another control of the window, the dataset's post and browse-mode
//    check) commits a running input-method composition and then, when
//    marked, stores the whole text, with CR LF line breaks, as the field's
//    value. A write-back error on leaving takes the focus back and goes to
//    the error box.
//  - setReadOnly(true) makes the link read-only: the memo never edits.
#include <QPlainTextEdit>

#include <string>
#include <string_view>

#include "app/controls/ControlDataLink.h"
#include "app/controls/InputComposition.h"

class QMenu;

namespace framework {
class TDataSource;
class TField;
}  // namespace framework

class TDBMemo : public QPlainTextEdit {
  Q_OBJECT

 public:
  explicit TDBMemo(QWidget* parent);
  ~TDBMemo() override;

  framework::TDataSource* DataSource() const noexcept { return link_.DataSource(); }
  void setDataSource(framework::TDataSource* dataSource);
  const std::string& DataField() const noexcept { return link_.FieldName(); }
  void setDataField(std::string_view fieldName);
  framework::TField* Field() const noexcept { return link_.Field(); }
  framework::TFieldDataLink& DataLink() noexcept { return link_; }
  bool ReadOnly() const noexcept { return link_.ReadOnly(); }
  void setReadOnly(bool readOnly);

  bool loaded() const noexcept { return loaded_; }
  bool composing() const noexcept { return composition_.pending(); }

  void Clear() { clear(); }

  // The context menu the memo shows (owned by the caller).
  QMenu* createContextMenu();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void insertFromMimeData(const QMimeData* source) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  bool beginChange();
  void takeInputMethodEvent(QInputMethodEvent& event);
  void load();
  void write();

  controls::ControlDataLink link_;
  controls::InputComposition composition_;
  bool loaded_ = false;
  unsigned loads_ = 0;  // loads that changed the text
};
