#include "platform/gui/beep.h"

#include <QApplication>

namespace gui {

namespace {

BeepHook& hookSlot() {
  static BeepHook hook;
  return hook;
}

}  // namespace

void beep() noexcept {
  try {
    if (const BeepHook& hook = hookSlot()) {
      hook();
      return;
    }
    QApplication::beep();
  } catch (...) {
    // A refusal is still a refusal without its sound.
  }
}

BeepHook setBeepHook(BeepHook hook) {
  BeepHook previous = std::move(hookSlot());
  hookSlot() = std::move(hook);
  return previous;
}

}  // namespace gui
