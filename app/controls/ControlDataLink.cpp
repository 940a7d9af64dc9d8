#include "app/controls/ControlDataLink.h"

#include <QFocusEvent>
#include <QWidget>

#include <exception>

#include "platform/gui/error_display.h"

namespace controls {

bool ControlDataLink::EditOrReport() noexcept {
  try {
    return Edit();
  } catch (...) {
    gui::showException(std::current_exception());
    return false;
  }
}

void ControlDataLink::UpdateData() {
  if (OnBeforeUpdateData) OnBeforeUpdateData();
  TFieldDataLink::UpdateData();
}

bool leavesControl(const QFocusEvent& event) noexcept {
  const Qt::FocusReason reason = event.reason();
  return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}

bool focusForLink(QWidget& widget) {
  if (!widget.isVisible() || !widget.isEnabled() || widget.focusPolicy() == Qt::NoFocus) return false;
  widget.setFocus(Qt::OtherFocusReason);
  return true;
}

}  // namespace controls
