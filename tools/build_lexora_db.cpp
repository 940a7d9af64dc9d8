// Builds the bundled database "Lexora_Concept.mdb" from the character data
// installed on this machine; see tools/dbbuild/builder_cli.h for the command.
#include <iostream>
#include <string>
#include <vector>

#include "tools/dbbuild/builder_cli.h"

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  return dbbuild::runBuilder(arguments, std::cout, std::cerr);
}
