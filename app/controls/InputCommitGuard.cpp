#include "app/controls/InputCommitGuard.h"

#include <QCoreApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QPointer>

#include <chrono>

namespace controls {

namespace {

QPointer<InputCommitGuard>& slot() {
  static QPointer<InputCommitGuard> guard;
  return guard;
}

std::int64_t nowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

InputCommitGuard::InputCommitGuard(QObject* parent) : QObject(parent) {}

void InputCommitGuard::install() {
  QCoreApplication* app = QCoreApplication::instance();
  if (app == nullptr || !slot().isNull()) return;
  auto* guard = new InputCommitGuard(app);  // owned by the application
  app->installEventFilter(guard);
  slot() = guard;
}

InputCommitGuard* InputCommitGuard::instance() noexcept { return slot().data(); }

void InputCommitGuard::forget() noexcept {
  if (InputCommitGuard* guard = instance()) guard->rule_ = LateCommitRule();
}

void InputCommitGuard::compositionDropped(const QString& composition) {
  if (InputCommitGuard* guard = instance()) guard->rule_.dropped(composition, nowMs());
}

bool InputCommitGuard::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::InputMethod: {
      const auto* im = static_cast<QInputMethodEvent*>(event);
      if (!rule_.admit(im->commitString(), im->preeditString(), nowMs())) {
        event->accept();
        return true;
      }
      break;
    }
    case QEvent::KeyPress:
      // A key that reaches a widget went past any input method: typed input.
      if (watched->isWidgetType() && !static_cast<QKeyEvent*>(event)->text().isEmpty()) rule_.keyTyped();
      break;
    default:
      break;
  }
  return false;
}

}  // namespace controls
