// The program as app/Project2.cpp starts it (the same application object and
// runProgram with TForm1 as the main form), with one addition: the main form
// carries the first-paint stop watch (first_paint.h), so the process ends at
// its first paint. Run in the folder that holds Lexora_Concept.mdb, or one
// that holds a file "server-database" whose one line is a server's
// connection string (the program then opens that database, as with
// --database); with --startup-trace it prints the program's start-up trace
// as well.
#include <fstream>
#include <memory>
#include <string>

#include "app/Unit1.h"
#include "app/program_start.h"
#include "app/startup_trace.h"
#include "bench/startup/first_paint.h"
#include "platform/gui/Application.h"

int main(int argc, char** argv) {
  startup_trace::enableFromArguments(argc, argv);
  gui::Application application(argc, argv);
  startup_trace::mark("Qt initialisation (application object, style, font substitutions)");
  // Read before the clock matters little: one small file.
  std::string server;
  if (std::ifstream named("server-database"); named) std::getline(named, server);
  return runProgram([&server] {
    auto form = std::make_unique<TForm1>(nullptr, TForm1Options{}, QString::fromStdString(server));
    new startupbench::FirstPaintExit(*form);  // owned by the form
    return form;
  });
}
