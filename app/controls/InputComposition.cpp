#include "app/controls/InputComposition.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QWidget>

namespace controls {

void InputComposition::track(const QInputMethodEvent& event) { text_ = event.preeditString(); }

void InputComposition::commit(QWidget& target) {
  if (!pending()) return;
  if (target.hasFocus()) QGuiApplication::inputMethod()->commit();
  if (!pending()) return;
  QInputMethodEvent committed;
  committed.setCommitString(text_);
  text_.clear();
  QCoreApplication::sendEvent(&target, &committed);
  if (target.hasFocus()) QGuiApplication::inputMethod()->reset();
}

void InputComposition::drop(QWidget& target) {
  if (!pending()) return;
  text_.clear();
  if (target.hasFocus()) QGuiApplication::inputMethod()->reset();
  QInputMethodEvent cleared;
  QCoreApplication::sendEvent(&target, &cleared);
}

}  // namespace controls
