#include "tools/dbcli/zenmora_db_command.h"

#include <unistd.h>

#include <stdexcept>

#include "tools/dbbuild/builder_cli.h"
#include "tools/dbcli/copy_program.h"

namespace dbcli {
namespace {

constexpr const char* kUsage =
    "usage: zenmora-db import [--report FILE] [--replace-invalid] [--time-limit SECONDS] [--memory-limit MIB] "
    "OLD.mdb NEW.mdb\n"
    "       zenmora-db copy [--replace] [--report FILE] SOURCE TARGET\n"
    "       zenmora-db build [--cangjie5 PATH] [--cangjie3 PATH] [--unihan PATH] [--radicals PATH] OUTPUT.mdb\n";

long positiveNumber(const std::string& option, const std::string& text) {
  std::size_t used = 0;
  long value = 0;
  try {
    value = std::stol(text, &used);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used != text.size() || value <= 0) throw std::invalid_argument(option + " needs a positive whole number");
  return value;
}

}  // namespace

jetimport::ImportCommand parseImportArguments(const std::vector<std::string>& arguments) {
  jetimport::ImportCommand command;
  std::vector<std::string> paths;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    const auto value = [&]() -> const std::string& {
      if (i + 1 >= arguments.size() || arguments[i + 1].empty()) throw std::invalid_argument(argument + " needs a value");
      return arguments[++i];
    };
    if (argument == "--report") command.reportFile = value();
    else if (argument == "--replace-invalid") command.replaceInvalid = true;
    else if (argument == "--time-limit") command.timeLimitSeconds = static_cast<int>(positiveNumber(argument, value()));
    else if (argument == "--memory-limit")
      command.memoryLimitBytes = static_cast<std::size_t>(positiveNumber(argument, value())) << 20;
    else if (argument.size() > 1 && argument.front() == '-') throw std::invalid_argument("unknown option " + argument);
    else paths.push_back(argument);
  }
  if (paths.size() != 2) throw std::invalid_argument("import needs the old database and the name of the new one");
  if (paths[0].empty() || paths[1].empty()) throw std::invalid_argument("empty file name");
  command.source = paths[0];
  command.destination = paths[1];
  return command;
}

int runZenmoraDb(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
  if (arguments.empty()) {
    err << kUsage;
    return jetimport::kExitFailed;
  }
  const std::vector<std::string> rest(arguments.begin() + 1, arguments.end());
  if (arguments[0] == "build") return dbbuild::runBuilder(rest, out, err);
  if (arguments[0] == "import") {
    jetimport::ImportCommand command;
    try {
      command = parseImportArguments(rest);
    } catch (const std::invalid_argument& e) {
      err << "zenmora-db import: " << e.what() << "\n" << kUsage;
      return jetimport::kExitFailed;
    }
    command.progress = ::isatty(STDERR_FILENO) == 1;
    return jetimport::runGuardedImport(command, out, err);
  }
  if (arguments[0] == "copy") return runCopyProgram(rest, err);
  err << "zenmora-db: unknown command " << arguments[0] << "\n" << kUsage;
  return jetimport::kExitFailed;
}

}  // namespace dbcli
