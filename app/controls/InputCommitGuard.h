#pragma once
// The program-wide watch over what input methods hand over, whatever the
// platform's input-method stack is (ibus, fcitx, none): late copies of a
// composition (see LateCommitRule) never reach any box.
//
// Contract:
//  - install() puts one guard on the application (an event filter on
//    QCoreApplication; later calls do nothing). The bound controls call it
//    when they are created, so every form that has one is guarded,
//    unbound boxes (the search box) included.
//  - Every input-method event goes through LateCommitRule first; a late
//    copy is consumed there and no widget sees it. Key presses that reach
//    a widget tell the rule that new input has begun.
#include <QObject>

#include "app/controls/LateCommitRule.h"

namespace controls {

class InputCommitGuard : public QObject {
  Q_OBJECT

 public:
  static void install();
  // The installed guard, or null.
  static InputCommitGuard* instance() noexcept;
  // Forgets the compositions seen so far (a form starting afresh, a test).
  static void forget() noexcept;
  // The program dropped a composition (see LateCommitRule::dropped).
  static void compositionDropped(const QString& composition);

  const LateCommitRule& rule() const noexcept { return rule_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  explicit InputCommitGuard(QObject* parent);

  LateCommitRule rule_;
};

}  // namespace controls
