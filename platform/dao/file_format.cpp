#include "platform/dao/file_format.h"

#include <sys/stat.h>

#include <array>
#include <cstring>
#include <fstream>

#include "platform/automation/text_compare.h"

namespace dao {

FileKind probeFile(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return FileKind::Missing;
  if (S_ISDIR(status.st_mode)) return FileKind::Directory;
  if (!S_ISREG(status.st_mode)) return FileKind::Unrecognized;
  std::ifstream file(path, std::ios::binary);
  if (!file) return FileKind::Unreadable;
  std::array<char, 100> header{};
  file.read(header.data(), header.size());
  const auto length = static_cast<std::size_t>(file.gcount());
  if (length == 0) return FileKind::Empty;
  if (length >= 19 && (std::memcmp(header.data() + 4, "Standard Jet DB", 15) == 0 ||
                       std::memcmp(header.data() + 4, "Standard ACE DB", 15) == 0)) {
    return FileKind::JetDatabase;
  }
  if (length < 100 || std::memcmp(header.data(), "SQLite format 3", 16) != 0) return FileKind::Unrecognized;
  const auto byteAt = [&](std::size_t offset) { return static_cast<std::uint32_t>(static_cast<unsigned char>(header[offset])); };
  const std::uint32_t applicationId = byteAt(68) << 24 | byteAt(69) << 16 | byteAt(70) << 8 | byteAt(71);
  return applicationId == static_cast<std::uint32_t>(kApplicationId) ? FileKind::OurDatabase : FileKind::OtherSqlite;
}

bool isReservedName(std::string_view name) {
  const auto startsWith = [&](std::string_view prefix) {
    return name.size() >= prefix.size() && automation::equalsIgnoringCase(name.substr(0, prefix.size()), prefix);
  };
  return startsWith("zen_") || startsWith("sqlite_") || startsWith("ZSys");
}

}  // namespace dao
