#include "app/AppIcon.h"

#include <QCoreApplication>
#include <QString>
#include <QVariant>

namespace {

constexpr int kSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

// Where the application object keeps the icon once it is made, so that it
// goes away with the application (its pictures must not outlive it).
constexpr char kKeptIcon[] = "zenmoraProgramIcon";

QString resourceFor(int size) { return QStringLiteral(":/icons/%1.png").arg(size); }

QIcon readProgramIcon() {
  QIcon icon;
  for (const int size : kSizes) icon.addFile(resourceFor(size), QSize(size, size));
  return icon;
}

}  // namespace

QPixmap programIconPixmap() { return QPixmap(resourceFor(32)); }

QIcon programIcon() {
  // Adding a file decodes its picture at once: the eight sizes cost a few
  // milliseconds of the start-up, and both the application and the main
  // window ask for the icon. So it is read once per application object.
  QCoreApplication* application = QCoreApplication::instance();
  if (application == nullptr) return readProgramIcon();
  const QVariant kept = application->property(kKeptIcon);
  if (kept.canConvert<QIcon>()) return kept.value<QIcon>();
  const QIcon icon = readProgramIcon();
  application->setProperty(kKeptIcon, QVariant::fromValue(icon));
  return icon;
}
