#include "app/AppIcon.h"

#include <QPainter>

QPixmap programIconPixmap() {
  QPixmap pixmap(32, 32);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing, true);

  // Tile.
  p.setPen(QPen(QColor(0x10, 0x3c, 0x5a), 1));
  p.setBrush(QColor(0x1f, 0x6f, 0x9e));
  p.drawRoundedRect(QRectF(0.5, 0.5, 31, 31), 5, 5);

  // Branches: root → two stances → four families.
  p.setPen(QPen(QColor(0xf4, 0xf1, 0xe6), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  const QPointF root(16, 7), left(9, 16), right(23, 16);
  p.drawLine(root, left);
  p.drawLine(root, right);
  const QPointF leaves[] = {{5, 25}, {13, 25}, {19, 25}, {27, 25}};
  p.drawLine(left, leaves[0]);
  p.drawLine(left, leaves[1]);
  p.drawLine(right, leaves[2]);
  p.drawLine(right, leaves[3]);

  // Nodes.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0xff, 0xc8, 0x3d));
  p.drawEllipse(root, 3.5, 3.5);
  p.setBrush(QColor(0xf4, 0xf1, 0xe6));
  p.drawEllipse(left, 2.5, 2.5);
  p.drawEllipse(right, 2.5, 2.5);
  for (const QPointF& leaf : leaves) p.drawEllipse(leaf, 2.2, 2.2);
  return pixmap;
}

QIcon programIcon() { return QIcon(programIconPixmap()); }
