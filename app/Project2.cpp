// Project2: the program's entry.
#include "app/program_start.h"
#include "app/startup_trace.h"
#include "platform/gui/Application.h"

int main(int argc, char** argv) {
  startup_trace::enableFromArguments(argc, argv);
  gui::Application application(argc, argv);
  startup_trace::mark("Qt initialisation (application object, style, font substitutions)");
  return runProgram();
}
