#pragma once
// An input-method composition in progress in a bound control: the text the
// input method shows in the box but has not handed over yet.
//
// Text still in composition is not the control's text: a write-back would
// miss it and a reload would throw it away. So a bound control commits it
// before it writes back (the focus leaving, a post, a move), and drops it
// when the record leaves edit state without saving.
//
// Contract:
//  - track() remembers what an input-method event leaves in composition.
//  - commit(target) first asks the platform's input method to commit; an
//    input method that does not (or none at all) leaves the composition
//    pending, and then the text is sent to `target` as a committed
//    input-method event, going the way typed text goes, and the input
//    method is reset so that it does not deliver the text a second time.
//  - drop(target) resets the input method and clears the composition shown
//    in `target`.
//  - `target` is the widget whose inputMethodEvent() tracks the composition.
#include <QString>

class QInputMethodEvent;
class QWidget;

namespace controls {

class InputComposition {
 public:
  void track(const QInputMethodEvent& event);
  bool pending() const noexcept { return !text_.isEmpty(); }
  const QString& text() const noexcept { return text_; }
  void commit(QWidget& target);
  void drop(QWidget& target);

 private:
  QString text_;
};

}  // namespace controls
