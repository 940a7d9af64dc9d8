#include "platform/dao/file_system_type.h"

#include <sys/vfs.h>

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <utility>

namespace dao {

namespace {

// f_type magic numbers of file systems whose files are shared between
// machines or served by a user-space process (linux/magic.h and the file
// systems' own sources).
struct SharedFileSystem {
  std::uint32_t type;
  const char* name;
};
constexpr SharedFileSystem kSharedFileSystems[] = {
    {0x6969, "NFS"},          {0x517B, "SMB"},           {0xFF534D42, "SMB/CIFS"}, {0xFE534D42, "SMB2"},
    {0x65735546, "FUSE"},     {0x564C, "NCP"},           {0x73757245, "Coda"},     {0x5346414F, "AFS"},
    {0x6B414653, "AFS"},      {0x00C36400, "Ceph"},      {0x01021997, "9P"},       {0x47504653, "GPFS"},
    {0x0BD00BD0, "Lustre"},   {0x01161970, "GFS2"},      {0x7461636F, "OCFS2"},    {0x013111A8, "IBRIX"},
};

std::optional<std::int64_t> statfsType(const std::string& path) {
  if (const char* forced = std::getenv("ZENMORA_FILE_SYSTEM_TYPE"); forced != nullptr && *forced != '\0') {
    char* end = nullptr;
    const long long value = std::strtoll(forced, &end, 0);
    if (end != nullptr && *end == '\0') return value;
  }
  struct statfs status {};
  if (::statfs(path.c_str(), &status) == 0) return static_cast<std::int64_t>(status.f_type);
  // A file about to be created: its folder tells.
  const std::string folder = std::filesystem::path(path).parent_path().string();
  if (::statfs(folder.empty() ? "." : folder.c_str(), &status) == 0) return static_cast<std::int64_t>(status.f_type);
  return std::nullopt;
}

std::mutex& probeMutex() {
  static std::mutex mutex;
  return mutex;
}

FileSystemTypeProbe& installedProbe() {
  static FileSystemTypeProbe probe;
  return probe;
}

}  // namespace

void setFileSystemTypeProbe(FileSystemTypeProbe probe) {
  const std::lock_guard lock(probeMutex());
  installedProbe() = std::move(probe);
}

std::string networkFileSystemTypeName(std::int64_t type) {
  const auto magic = static_cast<std::uint32_t>(type);
  for (const SharedFileSystem& known : kSharedFileSystems) {
    if (known.type == magic) return known.name;
  }
  return {};
}

std::string networkFileSystemName(const std::string& path) {
  FileSystemTypeProbe probe;
  {
    const std::lock_guard lock(probeMutex());
    probe = installedProbe();
  }
  const std::optional<std::int64_t> type = probe ? probe(path) : statfsType(path);
  return type ? networkFileSystemTypeName(*type) : std::string();
}

}  // namespace dao
