#include "app/database_location.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <stdexcept>

namespace {

constexpr const char* kFolderName = "zenmora";

bool isFile(const QString& path) { return QFileInfo(path).isFile(); }

QString inFolder(const QString& folder, const QString& name) {
  return folder.isEmpty() ? QString() : QDir::cleanPath(QDir(folder).absoluteFilePath(name));
}

[[noreturn]] void copyFailed(const QString& from, const QString& to, const QString& reason) {
  throw std::runtime_error(
      QStringLiteral("Cannot copy the database template %1 to %2: %3").arg(from, to, reason).toStdString());
}

// The licence notices that belong to a database: same folder and stem,
// extension ".LICENSES.txt".
QString noticesFor(const QString& database) {
  const QFileInfo info(database);
  return info.dir().filePath(info.completeBaseName() + QStringLiteral(".LICENSES.txt"));
}

// Copies `from` to `to` by way of a temporary file beside `to`; the result is
// writable by its owner whatever the template's permissions. Returns false,
// leaving `to` alone, when `to` appeared meanwhile.
bool copyWhole(const QString& from, const QString& to) {
  const QString part = to + QStringLiteral(".part");
  QFile::remove(part);
  QFile source(from);
  if (!source.copy(part)) copyFailed(from, to, source.errorString());
  QFile copy(part);
  const QFile::Permissions readWrite =
      QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser | QFile::ReadGroup | QFile::ReadOther;
  if (!copy.setPermissions(readWrite)) {
    const QString reason = copy.errorString();
    QFile::remove(part);
    copyFailed(from, to, reason);
  }
  if (isFile(to)) {
    QFile::remove(part);
    return false;
  }
  if (!copy.rename(to)) {
    const QString reason = copy.errorString();
    QFile::remove(part);
    if (isFile(to)) return false;
    copyFailed(from, to, reason);
  }
  return true;
}

}  // namespace

DatabaseFolders standardDatabaseFolders() {
  DatabaseFolders folders;
  folders.current = QDir::currentPath();
  folders.program = QCoreApplication::applicationDirPath();
  const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  if (!dataHome.isEmpty()) folders.userData = QDir(dataHome).filePath(QString::fromLatin1(kFolderName));
  if (!folders.program.isEmpty()) {
    folders.templates << QDir::cleanPath(folders.program + QStringLiteral("/../share/") + QString::fromLatin1(kFolderName));
  }
  for (const QString& dataDir : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation)) {
    if (QDir::cleanPath(dataDir) == QDir::cleanPath(dataHome)) continue;
    const QString folder = QDir(dataDir).filePath(QString::fromLatin1(kFolderName));
    if (!folders.templates.contains(folder)) folders.templates << folder;
  }
  return folders;
}

DatabaseLocation locateDatabase(const DatabaseFolders& folders, const QString& fileName) {
  using Source = DatabaseLocation::Source;
  const std::pair<const QString*, Source> searched[] = {{&folders.current, Source::CurrentFolder},
                                                        {&folders.program, Source::ProgramFolder},
                                                        {&folders.userData, Source::UserData}};
  for (const auto& [folder, source] : searched) {
    const QString candidate = inFolder(*folder, fileName);
    if (!candidate.isEmpty() && isFile(candidate)) return {source, candidate, {}};
  }
  if (folders.userData.isEmpty()) return {};

  for (const QString& folder : folders.templates) {
    const QString templatePath = inFolder(folder, fileName);
    if (templatePath.isEmpty() || !isFile(templatePath)) continue;
    const QString target = inFolder(folders.userData, fileName);
    if (!QDir().mkpath(folders.userData)) copyFailed(templatePath, target, QStringLiteral("cannot create the folder"));
    if (!copyWhole(templatePath, target)) return {Source::UserData, target, {}};
    // The notices are a courtesy copy: the database is usable without them.
    const QString notices = noticesFor(templatePath);
    if (isFile(notices) && !isFile(noticesFor(target))) {
      QFile::copy(notices, noticesFor(target));
      QFile::setPermissions(noticesFor(target), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    }
    return {Source::CopiedFromTemplate, target, templatePath};
  }
  return {};
}

QString firstStartNote(const DatabaseLocation& location) {
  if (location.source != DatabaseLocation::Source::CopiedFromTemplate) return {};
  return QStringLiteral("首次啟動：資料庫已建立於 %1").arg(QDir::toNativeSeparators(location.path));
}
