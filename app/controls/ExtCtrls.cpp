#include "app/controls/ExtCtrls.h"

#include <QMouseEvent>

TPanel::TPanel(QWidget* parent) : QFrame(parent) {
  setFrameShape(QFrame::HLine);
  setFrameShadow(QFrame::Sunken);
  setLineWidth(1);
  setFocusPolicy(Qt::NoFocus);
}

void TPanel::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    event->accept();
    emit doubleClicked();
    return;
  }
  QFrame::mouseDoubleClickEvent(event);
}
