#pragma once
// TPanel as the layout uses it: a sunken horizontal divider line (the layout
// gives it a height of 2 pixels). It takes no focus and reports a
// double-click with the left mouse button.
#include <QFrame>

class TPanel : public QFrame {
  Q_OBJECT

 public:
  explicit TPanel(QWidget* parent);

 signals:
  void doubleClicked();

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;
};
