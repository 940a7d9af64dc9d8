#include "data/program_directory.h"

#include <filesystem>
#include <system_error>

namespace data {

std::string ProgramDirectory() {
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error || program.empty()) return {};
  std::string directory = program.parent_path().string();
  if (directory.empty() || directory.back() != '/') directory += '/';
  return directory;
}

}  // namespace data
