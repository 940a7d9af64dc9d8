#pragma once
// The field link of a data-bound control, with what every control of the
// form needs on top of framework::TFieldDataLink.
//
// Contract:
//  - OnBeforeUpdateData runs first on every write-back request (the control
//    leaving, the dataset's post and browse-mode check), whether or not the
//    control is marked modified. A control uses it to turn a pending
//    input-method composition into text, which then marks it modified and
//    is written by the same request.
//  - EditOrReport() is Edit() for the control's own event handlers: an error
//    of the dataset's edit (a locked row, say) is shown in the error box and
//    answered as "not editing" instead of unwinding through the toolkit.
#include <functional>

#include "framework/TFieldDataLink.h"

class QFocusEvent;
class QWidget;

namespace controls {

class ControlDataLink : public framework::TFieldDataLink {
 public:
  std::function<void()> OnBeforeUpdateData;

  bool EditOrReport() noexcept;

 protected:
  void UpdateData() override;
};

// Whether a focus-out event is the focus moving to another control of the
// window, which makes a bound control write back. Losing the focus to a
// popup (a menu, the list's own drop-down) or to another window is not.
bool leavesControl(const QFocusEvent& event) noexcept;

// The link's focus request: focuses the widget when it can take the focus
// (shown, enabled, focusable) and answers whether it did.
bool focusForLink(QWidget& widget);

}  // namespace controls
