#include "app/program_start.h"

#include <QApplication>
#include <QFileInfo>

#include <cstdio>

#include "app/AppIcon.h"
#include "app/Unit1.h"
#include "app/com_startup.h"
#include "app/database_location.h"
#include "app/noninteractive_boxes.h"
#include "app/startup_trace.h"
#include "data/TOrvDaoDatabase.h"
#include "platform/gui/error_display.h"

int runProgram(const ProgramOptions& options) {
  return runProgram([&options]() -> std::unique_ptr<QWidget> {
    QString database = options.database;
    QString note;
    if (database.isEmpty()) {
      const DatabaseLocation location = locateDatabase(standardDatabaseFolders());
      // Found in the current or the program's folder, the stored name is
      // left to the connection, which finds it there itself (and names it
      // in its messages as it always has).
      using Source = DatabaseLocation::Source;
      if (location.source == Source::UserData || location.source == Source::CopiedFromTemplate) {
        database = location.path;
      }
      note = firstStartNote(location);
      if (!note.isEmpty()) {
        std::fprintf(stderr, "zenmora: first start: copied the database template %s to %s\n",
                     qPrintable(location.templatePath), qPrintable(location.path));
      }
    }
    // A server database's storage loads while the form is built.
    data::TOrvDaoDatabase::PrepareEngineFor(database.toStdString());
    auto form = std::make_unique<TForm1>(nullptr, TForm1Options{}, std::move(database));
    if (!note.isEmpty()) form->ShowStartupNote(note);
    return form;
  });
}

int runProgram(const MainFormFactory& createMainForm) {
  useNonInteractiveBoxesWhenAsked();
  initializeComForMainThread();
  gui::setApplicationTitle(QString::fromUtf8(kApplicationTitle));
  QApplication::setWindowIcon(programIcon());
  startup_trace::mark("COM, application title and icon");

  std::unique_ptr<QWidget> mainForm;
  try {
    mainForm = createMainForm();
  } catch (...) {
    const QString module = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    gui::showStartupFailure(std::current_exception(), module);
    return 1;
  }
  startup_trace::watchFirstPaint(*mainForm);
  mainForm->show();
  startup_trace::mark("show the main window");
  return QApplication::exec();
}
