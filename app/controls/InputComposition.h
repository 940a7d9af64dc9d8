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
//  - delivering() is true while commit() or drop() sends its own event to
//    the target: a box takes that text even when the focus has already left
//    it (input-method text arriving for a box without the focus is refused
//    otherwise).
//  - receive(target, event, keepLineBreaks, take) is where a box's
//    inputMethodEvent() starts: a commit for a box without the focus (and
//    not from commit()/drop()) is a late delivery and edits nothing (the
//    composition is dropped); otherwise `take` gets the event, or a copy
//    whose commit string is cut to what the box keeps. Returns true when
//    the commit said the user pressed Tab: the box moves the focus on.
//  - inputMethodText() is what a box keeps of an input method's commit
//    string: no control character. A TAB in it means the user pressed Tab
//    (ibus tables commit the composition followed by the TAB itself instead
//    of passing the key on), which the box answers by moving the focus on.
#include <QString>
#include <functional>

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
  bool delivering() const noexcept { return delivering_; }
  [[nodiscard]] bool receive(QWidget& target, QInputMethodEvent& event, bool keepLineBreaks,
                             const std::function<void(QInputMethodEvent&)>& take);

 private:
  void send(QWidget& target, QInputMethodEvent& event);

  QString text_;
  bool delivering_ = false;
};

struct InputMethodText {
  QString text;
  bool tabPressed = false;
};
// `keepLineBreaks`: a multi-line box keeps LF inside the text (a TAB, CR or
// trailing line break after a TAB is still dropped).
InputMethodText inputMethodText(const QString& commit, bool keepLineBreaks);

}  // namespace controls
