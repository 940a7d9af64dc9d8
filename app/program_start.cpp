#include "app/program_start.h"

#include <QApplication>
#include <QFileInfo>

#include "app/AppIcon.h"
#include "app/Unit1.h"
#include "app/com_startup.h"
#include "app/noninteractive_boxes.h"
#include "app/startup_trace.h"
#include "platform/gui/error_display.h"

int runProgram() {
  return runProgram([] { return std::make_unique<TForm1>(); });
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
