#include "app/application_identity.h"

#include <QGuiApplication>

void identifyApplication() {
  // No organisation name: it would become part of the data folder's path,
  // and the user's database lives in <data home>/zenmora.
  QCoreApplication::setApplicationName(QStringLiteral("Zenmora"));
  QCoreApplication::setOrganizationDomain(QStringLiteral("zenmora.org"));
  QCoreApplication::setApplicationVersion(QStringLiteral(ZENMORA_VERSION));
  QGuiApplication::setDesktopFileName(QString::fromLatin1(kApplicationId));
}
