#pragma once
// Record navigator: a row of eight buttons, left to right first, prior,
// next, last, insert, delete, post, cancel, splitting the navigator's width
// evenly (29 × 24 pixels each at the layout's 232 × 24). The pictures are
// drawn by code and greyed when a button is disabled; no tool tips.
//
// The navigator never takes the keyboard focus, so clicking it does not make
// the focused control leave. Holding prior or next repeats the action (first
// repeat after 400 ms, then every 100 ms); the release adds the ordinary
// click.
//
// For now unbound: every button starts disabled, as with no active dataset.
// The data layer connects buttonClicked() to the table's operations and
// enables the buttons from the dataset's state.
#include <QWidget>

#include <array>

class QToolButton;

class TDBNavigator : public QWidget {
  Q_OBJECT

 public:
  enum NavigateButton { nbFirst, nbPrior, nbNext, nbLast, nbInsert, nbDelete, nbPost, nbCancel };
  Q_ENUM(NavigateButton)
  static constexpr int kButtonCount = 8;

  explicit TDBNavigator(QWidget* parent);

  QToolButton* button(NavigateButton which) const { return buttons_[which]; }
  void setButtonEnabled(NavigateButton which, bool enabled);

 signals:
  void buttonClicked(TDBNavigator::NavigateButton which);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  std::array<QToolButton*, kButtonCount> buttons_{};
};
