#include "app/controls/BoundLineEdit.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>

#include <memory>

#include "app/controls/Big5Validator.h"
#include "app/controls/EditKeys.h"
#include "app/controls/EditMenu.h"
#include "app/controls/InputCommitGuard.h"
#include "app/controls/RefusalNotice.h"
#include "platform/big5/big5.h"
#include "platform/gui/beep.h"

namespace controls {

BoundLineEdit::BoundLineEdit(QWidget* parent) : QLineEdit(parent), validator_(new Big5Validator(this)) {
  setValidator(validator_);
  // The system's edit boxes take no dropped text; a drop would also bypass
  // the edit that must start first.
  setAcceptDrops(false);
  InputCommitGuard::install();
}

int BoundLineEdit::byteLimit() const noexcept { return validator_->byteLimit(); }

void BoundLineEdit::setByteLimit(int bytes) { validator_->setByteLimit(bytes); }

void BoundLineEdit::showFieldText(const QString& text) {
  if (this->text() == text) return;
  ++loads_;
  dropComposition();
  setText(text);
}

bool BoundLineEdit::startChange() {
  const unsigned before = loads_;
  if (!beginChange()) return false;
  if (loads_ == before) return true;
  // Starting the edit read the record again and it had changed: the user
  // now sees text they never typed on, so the change that started the edit
  // is not applied to it.
  refuse(*this, changedUnderneathNotice());
  return false;
}

void BoundLineEdit::pasteFrom(QClipboard::Mode mode) {
  const QString pasted = firstLineOfPaste(QGuiApplication::clipboard()->text(mode));
  if (pasted.isEmpty()) return;
  if (const QString bad = firstCharacterNotInBig5(pasted); !bad.isEmpty()) {
    refuse(*this, notBig5Notice(bad));
    return;
  }
  QString result = text();
  const int start = hasSelectedText() ? selectionStart() : cursorPosition();
  result.replace(start, hasSelectedText() ? selectedText().size() : 0, pasted);
  const std::optional<std::string> bytes = big5::tryFromUtf8(result.toStdString());
  if (byteLimit() > 0 && bytes && bytes->size() > static_cast<std::size_t>(byteLimit())) {
    refuse(*this, tooLongNotice(byteLimit()));
    return;
  }
  refusable([&] { insert(pasted); });
}

template <class Change>
void BoundLineEdit::refusable(Change&& change) {
  validator_->clearRefusal();
  change();
  if (validator_->refused()) {
    validator_->clearRefusal();
    gui::beep();
  }
}

void BoundLineEdit::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && escapePressed()) {
    event->accept();
    return;
  }
  if (!isReadOnly() && changesLineText(*event) && !startChange()) {
    event->accept();
    return;
  }
  if (!isReadOnly() && event->matches(QKeySequence::Paste)) {
    pasteFrom(QClipboard::Clipboard);
    event->accept();
    return;
  }
  refusable([&] { QLineEdit::keyPressEvent(event); });
}

void BoundLineEdit::inputMethodEvent(QInputMethodEvent* event) {
  if (composition_.receive(*this, *event, false, [this](QInputMethodEvent& taken) { takeInputMethodEvent(taken); }))
    focusNextChild();
}

void BoundLineEdit::takeInputMethodEvent(QInputMethodEvent& event) {
  const bool bringsInput = !event.commitString().isEmpty() || !event.preeditString().isEmpty() ||
                           event.replacementLength() != 0;
  // A read-only box gets no input method, but an event sent to it anyway
  // must not change it either.
  if (bringsInput && (isReadOnly() || !startChange())) {
    // The record cannot be edited: the input method's text goes nowhere,
    // and it must not keep composing into a box that will not take it.
    event.accept();
    if (composition_.pending()) dropComposition();
    else if (hasFocus()) QGuiApplication::inputMethod()->reset();
    return;
  }
  refusable([&] { QLineEdit::inputMethodEvent(&event); });
  composition_.track(event);
}

QMenu* BoundLineEdit::createContextMenu() {
  EditMenuItems items;
  items.readOnly = isReadOnly();
  items.canUndo = isUndoAvailable();
  items.hasSelection = hasSelectedText();
  items.hasText = !text().isEmpty();
  items.canPaste = clipboardHasText();
  items.undo = [this] {
    if (startChange()) refusable([this] { undo(); });
  };
  items.cut = [this] {
    if (startChange()) cut();
  };
  items.copy = [this] { copy(); };
  items.paste = [this] {
    if (startChange()) pasteFrom(QClipboard::Clipboard);
  };
  items.erase = [this] {
    if (startChange()) del();
  };
  items.selectAll = [this] { selectAll(); };
  return createEditMenu(this, items);
}

void BoundLineEdit::contextMenuEvent(QContextMenuEvent* event) {
  const std::unique_ptr<QMenu> menu(createContextMenu());
  menu->exec(event->globalPos());
  event->accept();
}

void BoundLineEdit::mouseReleaseEvent(QMouseEvent* event) {
  // The middle button pastes the X11 selection.
  const bool pastes = event->button() == Qt::MiddleButton && !isReadOnly() &&
                      QGuiApplication::clipboard()->supportsSelection();
  if (pastes) {
    if (startChange()) {
      deselect();
      setCursorPosition(cursorPositionAt(event->position().toPoint()));
      pasteFrom(QClipboard::Selection);
    }
    event->accept();
    return;
  }
  refusable([&] { QLineEdit::mouseReleaseEvent(event); });
}

}  // namespace controls
