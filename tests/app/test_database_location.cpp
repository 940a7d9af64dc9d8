// Where the program finds its database: the order of the folders, the first
// start's copy of the installed template, and what never happens to a
// database that is already there or to the template.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <stdexcept>

#include "app/database_location.h"

namespace {

using Source = DatabaseLocation::Source;

void writeFile(const QString& path, const QByteArray& content) {
  QDir().mkpath(QFileInfo(path).path());
  QFile file(path);
  QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
  file.write(content);
}

// By the permission bits: the tests may run as root, for whom every file
// counts as writable.
bool writableByOwner(const QString& path) { return QFileInfo(path).permissions() & QFile::WriteOwner; }
bool writableByAnyone(const QString& path) {
  return QFileInfo(path).permissions() & (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther);
}

QByteArray readFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

}  // namespace

class TestDatabaseLocation : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<QTemporaryDir> root;
  DatabaseFolders folders;

  QString in(const QString& folder) const { return QDir(folder).filePath(QStringLiteral("Lexora_Concept.mdb")); }
  QString templateFile() const { return in(folders.templates.at(0)); }
  QString userFile() const { return in(folders.userData); }

 private slots:
  void init() {
    root = std::make_unique<QTemporaryDir>();
    QVERIFY(root->isValid());
    const QString r = root->path();
    folders = {r + "/cwd", r + "/bin", r + "/home/.local/share/zenmora", {r + "/share/zenmora", r + "/usr/share/zenmora"}};
    QDir().mkpath(folders.current);
    QDir().mkpath(folders.program);
  }

  void theFirstFolderHoldingTheFileWins() {
    writeFile(in(folders.program), "program");
    writeFile(userFile(), "user");
    writeFile(templateFile(), "template");
    DatabaseLocation found = locateDatabase(folders);
    QCOMPARE(found.source, Source::ProgramFolder);
    QCOMPARE(found.path, in(folders.program));

    writeFile(in(folders.current), "current");
    found = locateDatabase(folders);
    QCOMPARE(found.source, Source::CurrentFolder);
    QCOMPARE(found.path, in(folders.current));

    QFile::remove(in(folders.current));
    QFile::remove(in(folders.program));
    found = locateDatabase(folders);
    QCOMPARE(found.source, Source::UserData);
    QCOMPARE(found.path, userFile());
    QCOMPARE(firstStartNote(found), QString());
    QCOMPARE(readFile(userFile()), QByteArray("user"));  // an existing copy is never replaced
  }

  void aFolderNamedLikeTheFileIsNotTheDatabase() {
    QDir().mkpath(in(folders.current));
    writeFile(userFile(), "user");
    QCOMPARE(locateDatabase(folders).source, Source::UserData);
  }

  void theFirstStartCopiesTheReadOnlyTemplateAndItsNoticesIntoAWritableCopy() {
    writeFile(templateFile(), "template bytes");
    writeFile(QDir(folders.templates.at(0)).filePath("Lexora_Concept.LICENSES.txt"), "notices");
    writeFile(in(folders.templates.at(1)), "second template");
    QFile::setPermissions(templateFile(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);

    const DatabaseLocation found = locateDatabase(folders);
    QCOMPARE(found.source, Source::CopiedFromTemplate);
    QCOMPARE(found.path, userFile());
    QCOMPARE(found.templatePath, templateFile());
    QCOMPARE(readFile(userFile()), QByteArray("template bytes"));
    QVERIFY(writableByOwner(userFile()));
    QCOMPARE(readFile(QDir(folders.userData).filePath("Lexora_Concept.LICENSES.txt")), QByteArray("notices"));
    QVERIFY(!QFile::exists(userFile() + ".part"));
    QCOMPARE(firstStartNote(found), QStringLiteral("首次啟動：資料庫已建立於 ") + userFile());

    // The template stays as installed; the next start opens the copy.
    QCOMPARE(readFile(templateFile()), QByteArray("template bytes"));
    QVERIFY(!writableByAnyone(templateFile()));
    writeFile(userFile(), "posted");
    const DatabaseLocation next = locateDatabase(folders);
    QCOMPARE(next.source, Source::UserData);
    QCOMPARE(readFile(userFile()), QByteArray("posted"));
  }

  void laterTemplateFoldersAreTriedWhenTheFirstHasNone() {
    writeFile(in(folders.templates.at(1)), "second template");
    const DatabaseLocation found = locateDatabase(folders);
    QCOMPARE(found.source, Source::CopiedFromTemplate);
    QCOMPARE(found.templatePath, in(folders.templates.at(1)));
    QCOMPARE(readFile(userFile()), QByteArray("second template"));
  }

  void aHalfCopyLeftByAnInterruptedStartIsNotTakenForTheDatabase() {
    writeFile(templateFile(), "whole template");
    writeFile(userFile() + ".part", "whole te");
    const DatabaseLocation found = locateDatabase(folders);
    QCOMPARE(found.source, Source::CopiedFromTemplate);
    QCOMPARE(readFile(userFile()), QByteArray("whole template"));
    QVERIFY(!QFile::exists(userFile() + ".part"));
  }

  void withNothingAnywhereTheStoredNameIsLeftToTheConnection() {
    const DatabaseLocation found = locateDatabase(folders);
    QCOMPARE(found.source, Source::NotFound);
    QCOMPARE(found.path, QString());
    QVERIFY(!QFileInfo::exists(folders.userData));  // nothing made on the way

    folders.userData.clear();  // no data home known: no template is copied either
    writeFile(templateFile(), "template");
    QCOMPARE(locateDatabase(folders).source, Source::NotFound);
  }

  void aUserFolderThatCannotBeMadeIsAnErrorNamingBothFiles() {
    writeFile(templateFile(), "template");
    writeFile(root->path() + "/blocked", "a file where the folder would go");
    folders.userData = root->path() + "/blocked/zenmora";
    try {
      locateDatabase(folders);
      QFAIL("no error");
    } catch (const std::runtime_error& e) {
      QCOMPARE(QString::fromUtf8(e.what()),
               QStringLiteral("Cannot copy the database template %1 to %2: cannot create the folder")
                   .arg(templateFile(), in(folders.userData)));
    }
    QCOMPARE(readFile(templateFile()), QByteArray("template"));
  }

  void theStandardFoldersPutTheInstalledTemplateBesideTheProgramFirst() {
    qputenv("XDG_DATA_HOME", QFile::encodeName(root->path() + "/xdg-home"));
    qputenv("XDG_DATA_DIRS", QFile::encodeName(root->path() + "/xdg-a:" + root->path() + "/xdg-b"));
    const DatabaseFolders standard = standardDatabaseFolders();
    QCOMPARE(standard.current, QDir::currentPath());
    QCOMPARE(standard.program, QCoreApplication::applicationDirPath());
    QCOMPARE(standard.userData, root->path() + "/xdg-home/zenmora");
    const QString besideProgram = QDir::cleanPath(QCoreApplication::applicationDirPath() + "/../share/zenmora");
    QCOMPARE(standard.templates,
             QStringList({besideProgram, root->path() + "/xdg-a/zenmora", root->path() + "/xdg-b/zenmora"}));
  }
};

QTEST_GUILESS_MAIN(TestDatabaseLocation)
#include "test_database_location.moc"
