#pragma once
// Record navigator: a row of eight buttons, left to right first, prior,
// next, last, insert, delete, post, cancel, splitting the navigator's width
// evenly (29 × 24 pixels each at the layout's 232 × 24). The pictures are
// drawn by code and greyed when a button is disabled; no tool tips.
//
// Contract:
//  - Bound with setDataSource(); the navigator owns its data link. A click
//    acts on the data source's dataset: First, Prior, Next, Last, Insert,
//    Delete (after the confirmation below), Post, Cancel. Without an active
//    dataset a click does nothing to data. buttonClicked() follows every
//    click, after the action.
//  - Delete asks gui::askConfirmation() with the caption "Confirm" and the
//    text "Delete record?"; any answer but OK keeps the record.
//  - An error of an action goes to the error box (gui::showException); the
//    dataset stays in the state its operation left.
//  - Enabled buttons, recomputed on every change of the data, the position
//    and the state, and after every action: first and prior when the
//    dataset is active and not at its beginning; next and last when active
//    and not at its end; insert when active and modifiable; delete when
//    also not empty (not at beginning and end at once); post and cancel
//    when modifiable and in edit or insert state. Without an active
//    dataset all are disabled.
//  - The navigator never takes the keyboard focus, so a click does not make
//    the focused control leave; post and moves reach pending control edits
//    through the dataset's update-record request.
//  - Holding prior or next repeats: the first repeat kRepeatDelay ms after
//    the press, then one every kRepeatInterval ms while the button is held
//    down and the pointer is over it; releasing over the button adds the
//    ordinary click. The countdown is a controls::RepeatTimer, replaceable
//    with setRepeatTimer().
#include <QWidget>

#include <array>
#include <memory>

#include "app/controls/RepeatTimer.h"

class QToolButton;

namespace framework {
class TDataSource;
}

class TDBNavigator : public QWidget {
  Q_OBJECT

 public:
  enum NavigateButton { nbFirst, nbPrior, nbNext, nbLast, nbInsert, nbDelete, nbPost, nbCancel };
  Q_ENUM(NavigateButton)
  static constexpr int kButtonCount = 8;
  static constexpr int kRepeatDelay = 400;
  static constexpr int kRepeatInterval = 100;

  explicit TDBNavigator(QWidget* parent);
  ~TDBNavigator() override;

  framework::TDataSource* DataSource() const noexcept;
  void setDataSource(framework::TDataSource* dataSource);

  QToolButton* button(NavigateButton which) const { return buttons_[which]; }
  void setButtonEnabled(NavigateButton which, bool enabled);

  // What a click on the button does.
  void BtnClick(NavigateButton which);
  // Recomputes which buttons are enabled.
  void UpdateButtons();

  void setRepeatTimer(std::unique_ptr<controls::RepeatTimer> timer);

 signals:
  void buttonClicked(TDBNavigator::NavigateButton which);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  // A new palette (a dark colour scheme) redraws the glyphs in its colours.
  void changeEvent(QEvent* event) override;

 private:
  void UpdateGlyphs();
  class Link;

  void act(NavigateButton which);
  void startRepeat(NavigateButton which);
  void stopRepeat();
  void repeatTick();

  std::array<QToolButton*, kButtonCount> buttons_{};
  std::unique_ptr<Link> link_;
  std::unique_ptr<controls::RepeatTimer> repeatTimer_;
  int repeating_ = -1;  // the held button, or -1
};
