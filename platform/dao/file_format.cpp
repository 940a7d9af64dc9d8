#include "platform/dao/file_format.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstring>

#include "platform/automation/text_compare.h"

namespace dao {

FileKind probeFile(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return FileKind::Missing;
  if (S_ISDIR(status.st_mode)) return FileKind::Directory;
  if (!S_ISREG(status.st_mode)) return FileKind::Unrecognized;
  const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) return FileKind::Unreadable;
  std::array<char, 100> header{};
  std::size_t length = 0;
  while (length < header.size()) {
    const ssize_t read = ::read(descriptor, header.data() + length, header.size() - length);
    if (read <= 0) break;
    length += static_cast<std::size_t>(read);
  }
  ::close(descriptor);
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
    return name.size() >= prefix.size() && automation::equalsIgnoringAsciiCase(name.substr(0, prefix.size()), prefix);
  };
  return startsWith("zen_") || startsWith("sqlite_") || startsWith("ZSys");
}

}  // namespace dao
