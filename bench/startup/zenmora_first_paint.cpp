// The program as app/Project2.cpp starts it (the same application object and
// runProgram with TForm1 as the main form), with one addition: the main form
// carries the first-paint stop watch (first_paint.h), so the process ends at
// its first paint. Run in the folder that holds Lexora_Concept.mdb; with
// --startup-trace it prints the program's start-up trace as well.
#include <memory>

#include "app/Unit1.h"
#include "app/program_start.h"
#include "app/startup_trace.h"
#include "bench/startup/first_paint.h"
#include "platform/gui/Application.h"

int main(int argc, char** argv) {
  startup_trace::enableFromArguments(argc, argv);
  gui::Application application(argc, argv);
  startup_trace::mark("Qt initialisation (application object, style, font substitutions)");
  return runProgram([] {
    auto form = std::make_unique<TForm1>();
    new startupbench::FirstPaintExit(*form);  // owned by the form
    return form;
  });
}
