#include "app/AppIcon.h"

#include <QString>

namespace {

constexpr int kSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

QString resourceFor(int size) { return QStringLiteral(":/icons/%1.png").arg(size); }

}  // namespace

QPixmap programIconPixmap() { return QPixmap(resourceFor(32)); }

QIcon programIcon() {
  QIcon icon;
  for (const int size : kSizes) icon.addFile(resourceFor(size), QSize(size, size));
  return icon;
}
