#include "app/controls/InputComposition.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QWidget>

#include "app/controls/InputCommitGuard.h"
#include "app/controls/LateCommitRule.h"

namespace controls {

void InputComposition::track(const QInputMethodEvent& event) { text_ = event.preeditString(); }

void InputComposition::send(QWidget& target, QInputMethodEvent& event) {
  delivering_ = true;
  try {
    QCoreApplication::sendEvent(&target, &event);
  } catch (...) {
    delivering_ = false;
    throw;
  }
  delivering_ = false;
}

void InputComposition::commit(QWidget& target) {
  if (!pending()) return;
  if (target.hasFocus()) QGuiApplication::inputMethod()->commit();
  if (!pending()) return;
  QInputMethodEvent committed;
  committed.setCommitString(text_);
  text_.clear();
  send(target, committed);
  if (target.hasFocus()) QGuiApplication::inputMethod()->reset();
}

void InputComposition::drop(QWidget& target) {
  if (!pending()) return;
  InputCommitGuard::compositionDropped(text_);
  text_.clear();
  if (target.hasFocus()) QGuiApplication::inputMethod()->reset();
  QInputMethodEvent cleared;
  send(target, cleared);
}

bool InputComposition::receive(QWidget& target, QInputMethodEvent& event, bool keepLineBreaks,
                               const std::function<void(QInputMethodEvent&)>& take) {
  if (!event.commitString().isEmpty() && !target.hasFocus() && !delivering_) {
    // Input-method text for a box the user has left is a late delivery:
    // it edits nothing there (and the composition, if any, is over).
    event.accept();
    drop(target);
    return false;
  }
  const InputMethodText kept = inputMethodText(event.commitString(), keepLineBreaks);
  if (kept.text == event.commitString()) {
    take(event);
    return false;
  }
  QInputMethodEvent cleaned(event.preeditString(), event.attributes());
  cleaned.setCommitString(kept.text, event.replacementStart(), event.replacementLength());
  take(cleaned);
  event.accept();
  return kept.tabPressed;
}

InputMethodText inputMethodText(const QString& commit, bool keepLineBreaks) {
  InputMethodText result;
  QString text = commit;
  const qsizetype tab = text.indexOf(QLatin1Char('\t'));
  if (tab >= 0) {
    // What follows the TAB belongs to no box the user meant.
    result.tabPressed = true;
    text.truncate(tab);
  }
  if (!keepLineBreaks) {
    result.text = withoutControlCharacters(text);
    return result;
  }
  text.remove(QLatin1Char('\r'));
  if (result.tabPressed) {
    while (text.endsWith(QLatin1Char('\n'))) text.chop(1);
  }
  for (const QChar c : text)
    if (c == QLatin1Char('\n') || c.category() != QChar::Other_Control) result.text.append(c);
  return result;
}

}  // namespace controls
