// zenmora-db-copy: what `zenmora-db copy` runs (tools/dbcli/copy_program.h).
// Copies a database between a file (or an Access/Jet file) and a PostgreSQL
// server database; see tools/dbcopy/database_copy.h.
#include <unistd.h>

#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/dbcopy/database_copy.h"

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  dbcopy::CopyCommand command;
  try {
    command = dbcopy::parseCopyArguments(arguments);
  } catch (const std::invalid_argument& e) {
    std::cerr << "zenmora-db copy: " << e.what() << "\n"
              << "usage: zenmora-db copy [--replace] [--report FILE] SOURCE TARGET\n";
    return dbcopy::kExitFailed;
  }
  command.progress = ::isatty(STDERR_FILENO) == 1;
  return dbcopy::runCopy(command, std::cout, std::cerr);
}
