#include "app/controls/StdCtrls.h"

#include <QFontMetrics>
#include <QPainter>
#include <QStyle>

#include <algorithm>

void paintLabelText(QLabel& label) {
  // The CJK substitute faces reserve more line height above and below the
  // ideographs than the layout's boxes have room for (a 19-pixel line for
  // 13-pixel text in a 16-pixel label). Draw the line so that the top of a
  // full-height ideograph meets the top of the box, as the layout's own fonts
  // did, instead of letting the box cut off the glyphs' lower edge.
  const QFontMetrics metrics(label.font());
  const int inkTop = std::max(0, metrics.ascent() + metrics.tightBoundingRect(QStringLiteral("國")).top());
  const QRect box = label.rect().adjusted(0, -inkTop, 0, 0);
  QPainter painter(&label);
  label.style()->drawItemText(&painter, box, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                              label.palette(), label.isEnabled(), label.text(), label.foregroundRole());
}

TLabel::TLabel(const QString& caption, QWidget* parent) : QLabel(caption, parent) {
  setTextFormat(Qt::PlainText);
  setFocusPolicy(Qt::NoFocus);
}

void TLabel::paintEvent(QPaintEvent*) { paintLabelText(*this); }

TEdit::TEdit(QWidget* parent) : QLineEdit(parent) {}

TCheckBox::TCheckBox(const QString& caption, QWidget* parent) : QCheckBox(caption, parent) {}

TButton::TButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {
  setAutoDefault(true);
}
