// Project2: the program's entry.
#include <QCoreApplication>

#include "app/application_identity.h"
#include "app/command_line.h"
#include "app/program_start.h"
#include "app/startup_trace.h"
#include "platform/gui/Application.h"

int main(int argc, char** argv) {
  // The trace starts before anything else, so that it sees Qt's own start.
  startup_trace::enableFromArguments(argc, argv);
  identifyApplication();
  // --help and --version are answered without a window system, so that they
  // work where there is no display.
  if (asksForHelpOrVersion(argc, argv)) {
    QCoreApplication core(argc, argv);
    return answerCommandLine(parseCommandLine(QCoreApplication::arguments()));
  }
  gui::Application application(argc, argv);
  startup_trace::mark("Qt initialisation (application object, style, font substitutions)");
  const CommandLine commandLine = parseCommandLine(QCoreApplication::arguments());
  if (commandLine.action != CommandLine::Action::Run) return answerCommandLine(commandLine);
  return runProgram(commandLine.options);
}
