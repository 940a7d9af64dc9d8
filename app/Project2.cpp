// Project2: the program's entry.
#include "app/program_start.h"
#include "platform/gui/Application.h"

int main(int argc, char** argv) {
  gui::Application application(argc, argv);
  return runProgram();
}
