#pragma once
// Where the program finds its database, "Lexora_Concept.mdb", when none is
// named on the command line:
//  1. the current folder;
//  2. the program's folder (a copy run from where it was built);
//  3. the user's data folder, <XDG data home>/zenmora (an installed copy);
//  4. none of these: on the very first start the installed read-only
//     template (<prefix>/share/zenmora) is copied into the user's data
//     folder and that copy is opened. The template itself is never opened
//     or written. The licence notices beside the template travel with it.
// The copy is made under a temporary name and renamed when complete, so an
// interrupted first start leaves no half database behind; a database already
// in the user's data folder is never replaced.
#include <QString>
#include <QStringList>

inline constexpr const char* kDatabaseFileName = "Lexora_Concept.mdb";

struct DatabaseFolders {
  QString current;
  QString program;
  QString userData;
  QStringList templates;  // folders that may hold the installed template, first wins
};

struct DatabaseLocation {
  enum class Source { CurrentFolder, ProgramFolder, UserData, CopiedFromTemplate, NotFound };
  Source source = Source::NotFound;
  // The database to open; empty when none was found (the stored name is then
  // left to the connection, which reports the missing file).
  QString path;
  QString templatePath;  // with CopiedFromTemplate: what was copied
};

// The folders of this run: the current folder, the program's folder,
// <XDG data home>/zenmora, and as template folders <program folder>/../share/zenmora
// followed by zenmora/ in every XDG data folder but the user's own.
DatabaseFolders standardDatabaseFolders();

// Looks the database up in `folders`, copying the template on a first start.
// Throws std::runtime_error when the copy fails, with a text naming the
// files and the reason.
DatabaseLocation locateDatabase(const DatabaseFolders& folders, const QString& fileName = QString::fromLatin1(kDatabaseFileName));

// The line the status shows on the first start (empty for any other start).
QString firstStartNote(const DatabaseLocation& location);
