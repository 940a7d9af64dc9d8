#include "app/controls/TDBMemo.h"

#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QTextCursor>

#include <exception>
#include <memory>

#include "app/controls/EditKeys.h"
#include "app/controls/EditMenu.h"
#include "app/controls/FieldText.h"
#include "app/controls/InputCommitGuard.h"
#include "app/controls/RefusalNotice.h"
#include "framework/TField.h"
#include "platform/big5/big5.h"
#include "platform/gui/beep.h"
#include "platform/gui/error_display.h"

namespace {

bool big5CanHold(const QString& text) { return big5::canEncode(text.toStdString()); }

}  // namespace

TDBMemo::TDBMemo(QWidget* parent) : QPlainTextEdit(parent) {
  setLineWrapMode(QPlainTextEdit::WidgetWidth);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setTabChangesFocus(true);
  setAcceptDrops(false);
  controls::InputCommitGuard::install();

  link_.OnDataChange = [this] { load(); };
  link_.OnUpdateData = [this] { write(); };
  link_.OnEditingChange = [this] {
    if (!link_.Editing()) composition_.drop(*this);
  };
  link_.OnBeforeUpdateData = [this] { composition_.commit(*this); };
  link_.OnFocusControl = [this] { return controls::focusForLink(*this); };
  connect(this, &QPlainTextEdit::textChanged, this, [this] { link_.Modified(); });
}

TDBMemo::~TDBMemo() = default;

void TDBMemo::setDataSource(framework::TDataSource* dataSource) { link_.SetDataSource(dataSource); }

void TDBMemo::setDataField(std::string_view fieldName) { link_.SetFieldName(std::string(fieldName)); }

void TDBMemo::setReadOnly(bool readOnly) {
  QPlainTextEdit::setReadOnly(readOnly);
  link_.SetReadOnly(readOnly);
}

void TDBMemo::load() {
  const framework::TField* field = link_.Field();
  loaded_ = field != nullptr;
  const QString text =
      field != nullptr ? controls::fromStoredLines(QString::fromStdString(big5::toUtf8Lenient(field->AsString())))
                       : QString();
  // An unchanged text is left alone: the caret, the undo steps and a running
  // composition survive the reload that entering edit state brings.
  if (toPlainText() == text) return;
  ++loads_;
  composition_.drop(*this);
  setPlainText(text);
}

void TDBMemo::write() {
  framework::TField& field = *link_.Field();
  field.SetAsString(big5::fromUtf8(controls::toStoredLines(toPlainText()).toStdString()));
}

bool TDBMemo::beginChange() {
  const unsigned before = loads_;
  if (!loaded_ || !link_.EditOrReport()) return false;
  if (loads_ == before) return true;
  // Starting the edit read the record again and it had changed: the change
  // that asked is not applied to text the user never saw.
  controls::refuse(*this, controls::changedUnderneathNotice());
  return false;
}

void TDBMemo::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    link_.Reset();
    event->accept();
    return;
  }
  if (!isReadOnly() && controls::changesMemoText(*event)) {
    if (!beginChange()) {
      event->accept();
      return;
    }
    const QString typed = event->text();
    if (!typed.isEmpty() && typed.at(0).isPrint() && !big5CanHold(typed)) {
      gui::beep();
      event->accept();
      return;
    }
  }
  QPlainTextEdit::keyPressEvent(event);
}

void TDBMemo::inputMethodEvent(QInputMethodEvent* event) {
  if (composition_.receive(*this, *event, true, [this](QInputMethodEvent& taken) { takeInputMethodEvent(taken); }))
    focusNextChild();
}

void TDBMemo::takeInputMethodEvent(QInputMethodEvent& event) {
  const bool bringsInput = !event.commitString().isEmpty() || !event.preeditString().isEmpty() ||
                           event.replacementLength() != 0;
  // A read-only memo gets no input method, but an event sent to it anyway
  // must not change it either.
  if (bringsInput && (isReadOnly() || !beginChange())) {
    event.accept();
    if (composition_.pending()) composition_.drop(*this);
    else if (hasFocus()) QGuiApplication::inputMethod()->reset();
    return;
  }
  if (!event.commitString().isEmpty() && !big5CanHold(event.commitString())) {
    // The commit is refused; what the event says about the composition
    // still holds (usually that it is over).
    QInputMethodEvent withoutCommit(event.preeditString(), event.attributes());
    QPlainTextEdit::inputMethodEvent(&withoutCommit);
    composition_.track(withoutCommit);
    gui::beep();
    return;
  }
  QPlainTextEdit::inputMethodEvent(&event);
  composition_.track(event);
}

void TDBMemo::insertFromMimeData(const QMimeData* source) {
  // Paste from the keyboard, the menu or the middle button all end here.
  if (isReadOnly() || !beginChange()) return;
  if (source != nullptr) {
    if (const QString bad = controls::firstCharacterNotInBig5(source->text()); !bad.isEmpty()) {
      controls::refuse(*this, controls::notBig5Notice(bad));
      return;
    }
  }
  QPlainTextEdit::insertFromMimeData(source);
}

QMenu* TDBMemo::createContextMenu() {
  controls::EditMenuItems items;
  items.readOnly = isReadOnly();
  items.canUndo = document()->isUndoAvailable();
  items.hasSelection = textCursor().hasSelection();
  items.hasText = !document()->isEmpty();
  items.canPaste = controls::clipboardHasText();
  items.undo = [this] {
    if (beginChange()) undo();
  };
  items.cut = [this] {
    if (beginChange()) cut();
  };
  items.copy = [this] { copy(); };
  items.paste = [this] {
    if (beginChange()) paste();
  };
  items.erase = [this] {
    if (!beginChange()) return;
    QTextCursor cursor = textCursor();
    cursor.removeSelectedText();
    setTextCursor(cursor);
  };
  items.selectAll = [this] { selectAll(); };
  return controls::createEditMenu(this, items);
}

void TDBMemo::contextMenuEvent(QContextMenuEvent* event) {
  const std::unique_ptr<QMenu> menu(createContextMenu());
  menu->exec(event->globalPos());
  event->accept();
}

void TDBMemo::focusOutEvent(QFocusEvent* event) {
  QPlainTextEdit::focusOutEvent(event);
  if (!controls::leavesControl(*event)) return;
  try {
    link_.UpdateRecord();  // commits a running composition first
  } catch (...) {
    setFocus(Qt::OtherFocusReason);
    gui::showException(std::current_exception());
  }
}
