#include "app/controls/TDBText.h"

#include "app/controls/StdCtrls.h"

TDBText::TDBText(QWidget* parent) : QLabel(parent) {
  setTextFormat(Qt::PlainText);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  setFocusPolicy(Qt::NoFocus);
}

void TDBText::paintEvent(QPaintEvent*) { paintLabelText(*this); }
