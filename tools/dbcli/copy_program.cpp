#include "tools/dbcli/copy_program.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <system_error>

namespace dbcli {

namespace {

constexpr const char* kCopyProgram = "zenmora-db-copy";

}  // namespace

int runCopyProgram(const std::vector<std::string>& arguments, std::ostream& err) {
  std::error_code failed;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", failed);
  if (failed) {
    err << "zenmora-db copy: cannot find " << kCopyProgram << ": this program's own path is unknown ("
        << failed.message() << ")\n";
    return 1;
  }
  const std::filesystem::path candidates[] = {(self.parent_path() / ZEN_COPY_PROGRAM_BESIDE).lexically_normal(),
                                              self.parent_path() / kCopyProgram};
  std::vector<char*> argv;
  std::string name = kCopyProgram;
  argv.push_back(name.data());
  std::vector<std::string> copies(arguments);
  for (std::string& argument : copies) argv.push_back(argument.data());
  argv.push_back(nullptr);
  // Whatever this process has written must come out before another program
  // takes its place.
  std::cout.flush();
  err.flush();
  int reason = ENOENT;
  for (const std::filesystem::path& candidate : candidates) {
    if (::access(candidate.c_str(), X_OK) != 0) continue;
    ::execv(candidate.c_str(), argv.data());
    reason = errno;
    err << "zenmora-db copy: cannot run " << candidate.string() << ": " << std::strerror(reason) << "\n";
    return 1;
  }
  err << "zenmora-db copy: cannot run " << kCopyProgram << ": " << std::strerror(reason) << " (looked for "
      << candidates[0].string() << " and " << candidates[1].string() << "); nothing was copied\n";
  return 1;
}

}  // namespace dbcli
