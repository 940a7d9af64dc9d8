#pragma once
// Recognises the late copy of a composition that an input method hands over
// a second time.
//
// When a composition still pending is ended by the program (the focus
// moving, a post, a move, a cancel), the toolkit's input context hands the
// text over itself and resets the input method; some input methods (ibus
// tables among them) answer the reset by committing the same text once more,
// asynchronously, to whatever then has the focus. That copy must not edit
// the box or record the user has moved on to.
//
// Contract (events in the order the program receives them, `now` in
// milliseconds of a steady clock):
//  - admit() answers false for a commit that is a late copy: its text,
//    control characters aside, equals a composition that ended within the
//    last kEchoWindowMs, with no composition started and no key typed since.
//    Every such copy in the window is refused.
//  - A composition "ends" when an event commits the text that was shown in
//    composition (control characters aside), or when the program drops it
//    (dropped(): a cancel resets the input method, which may answer with
//    the text). An input method clearing its own composition ends nothing:
//    ibus clears the shown text before it commits it. A commit of some
//    other text ends the watch for copies.
//  - keyTyped(): a key that reached a box without the input method; what
//    arrives after it is new input, never a copy.
//  - Commits with nothing pending before and no watch running are admitted.
#include <QString>

#include <cstdint>

namespace controls {

class LateCommitRule {
 public:
  static constexpr std::int64_t kEchoWindowMs = 1500;

  bool admit(const QString& commit, const QString& preedit, std::int64_t now);
  void dropped(const QString& composition, std::int64_t now);
  void keyTyped() noexcept { echo_.clear(); }

  // The text whose late copies are being refused ("" when none).
  const QString& watched() const noexcept { return echo_; }

 private:
  void watch(const QString& text, std::int64_t now);

  QString pending_;
  QString echo_;
  std::int64_t echoUntil_ = 0;
};

// The text without control characters (below U+0020 and U+007F..U+009F).
QString withoutControlCharacters(const QString& text);

}  // namespace controls
