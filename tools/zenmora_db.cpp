// zenmora-db: imports an Access/Jet database and builds the bundled one;
// see tools/dbcli/zenmora_db_command.h for the commands.
#include <iostream>
#include <string>
#include <vector>

#include "tools/dbcli/zenmora_db_command.h"

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  return dbcli::runZenmoraDb(arguments, std::cout, std::cerr);
}
