#include "app/controls/TDBNavigator.h"

#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QToolButton>

namespace {

constexpr int kGlyph = 16;

void triangle(QPainter& p, bool pointsLeft, int x) {
  QPainterPath path;
  if (pointsLeft) {
    path.moveTo(x + 5, 3);
    path.lineTo(x, 8);
    path.lineTo(x + 5, 13);
  } else {
    path.moveTo(x, 3);
    path.lineTo(x + 5, 8);
    path.lineTo(x, 13);
  }
  path.closeSubpath();
  p.fillPath(path, p.pen().color());
}

// The picture of one button, black on transparent; Qt derives the greyed
// picture for the disabled state from it.
QIcon glyph(TDBNavigator::NavigateButton which) {
  QPixmap pixmap(kGlyph, kGlyph);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setPen(QPen(Qt::black, 1));
  switch (which) {
    case TDBNavigator::nbFirst:
      p.fillRect(4, 3, 2, 11, Qt::black);
      triangle(p, true, 7);
      break;
    case TDBNavigator::nbPrior:
      triangle(p, true, 6);
      break;
    case TDBNavigator::nbNext:
      triangle(p, false, 6);
      break;
    case TDBNavigator::nbLast:
      triangle(p, false, 5);
      p.fillRect(11, 3, 2, 11, Qt::black);
      break;
    case TDBNavigator::nbInsert:
      p.fillRect(7, 3, 2, 10, Qt::black);
      p.fillRect(3, 7, 10, 2, Qt::black);
      break;
    case TDBNavigator::nbDelete:
      p.fillRect(3, 7, 10, 2, Qt::black);
      break;
    case TDBNavigator::nbPost: {
      QPen pen(QColor(0, 128, 0), 2);
      p.setPen(pen);
      p.drawPolyline(QPolygon({QPoint(3, 8), QPoint(6, 11), QPoint(12, 4)}));
      break;
    }
    case TDBNavigator::nbCancel: {
      QPen pen(QColor(128, 0, 0), 2);
      p.setPen(pen);
      p.drawLine(4, 4, 11, 11);
      p.drawLine(11, 4, 4, 11);
      break;
    }
  }
  return QIcon(pixmap);
}

}  // namespace

TDBNavigator::TDBNavigator(QWidget* parent) : QWidget(parent) {
  setFocusPolicy(Qt::NoFocus);
  for (int i = 0; i < kButtonCount; ++i) {
    const auto which = static_cast<NavigateButton>(i);
    auto* b = new QToolButton(this);
    b->setFocusPolicy(Qt::NoFocus);
    b->setIcon(glyph(which));
    b->setIconSize(QSize(kGlyph, kGlyph));
    b->setEnabled(false);
    if (which == nbPrior || which == nbNext) {
      b->setAutoRepeat(true);
      b->setAutoRepeatDelay(400);
      b->setAutoRepeatInterval(100);
    }
    connect(b, &QToolButton::clicked, this, [this, which] { emit buttonClicked(which); });
    buttons_[i] = b;
  }
}

void TDBNavigator::setButtonEnabled(NavigateButton which, bool enabled) {
  buttons_[which]->setEnabled(enabled);
}

void TDBNavigator::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  // Even split; the pixels left over from the division go to the buttons on
  // the left, one each, so the row always fills the navigator exactly.
  const int base = width() / kButtonCount;
  int extra = width() % kButtonCount;
  int x = 0;
  for (QToolButton* b : buttons_) {
    const int w = base + (extra > 0 ? 1 : 0);
    if (extra > 0) --extra;
    b->setGeometry(x, 0, w, height());
    x += w;
  }
}
