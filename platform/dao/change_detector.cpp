#include "platform/dao/change_detector.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstring>

namespace dao {

namespace {

constexpr std::uint32_t kWalIndexVersion = 3007000;
constexpr std::size_t kWalIndexHeaderSize = 48;

// Reads header copy 1 of the wal-index through a read-only shared mapping.
class WalIndexDetector final : public ChangeDetector {
 public:
  WalIndexDetector(int descriptor, void* mapping, std::size_t length)
      : descriptor_(descriptor), mapping_(mapping), length_(length) {
    last_ = readHeader();
  }
  ~WalIndexDetector() override {
    ::munmap(mapping_, length_);
    ::close(descriptor_);
  }
  WalIndexDetector(const WalIndexDetector&) = delete;
  WalIndexDetector& operator=(const WalIndexDetector&) = delete;

  std::uint64_t stamp() override {
    const Header now = readHeader();
    if (now != last_) {
      last_ = now;
      ++generation_;
    }
    return generation_;
  }

 private:
  using Header = std::array<std::uint32_t, kWalIndexHeaderSize / 4>;

  Header readHeader() const {
    Header header{};
    const auto* words = static_cast<const std::uint32_t*>(mapping_);
    for (std::size_t i = 0; i < header.size(); ++i) header[i] = __atomic_load_n(words + i, __ATOMIC_ACQUIRE);
    return header;
  }

  int descriptor_;
  void* mapping_;
  std::size_t length_;
  Header last_{};
  std::uint64_t generation_ = 0;
};

class DataVersionDetector final : public ChangeDetector {
 public:
  explicit DataVersionDetector(SqliteConnection& connection)
      : statement_(connection.prepare("PRAGMA data_version")) {}

  std::uint64_t stamp() override {
    StatementUse use(statement_);
    return statement_.step() ? static_cast<std::uint64_t>(statement_.integer(0)) : 0;
  }

 private:
  SqliteStatement statement_;
};

class ExclusiveDetector final : public ChangeDetector {
 public:
  std::uint64_t stamp() override { return 0; }
};

std::unique_ptr<ChangeDetector> mapWalIndex(const std::string& path) {
  const std::string shmPath = path + "-shm";
  const int descriptor = ::open(shmPath.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) return nullptr;
  struct stat status {};
  if (::fstat(descriptor, &status) != 0 || status.st_size < static_cast<off_t>(2 * kWalIndexHeaderSize)) {
    ::close(descriptor);
    return nullptr;
  }
  const std::size_t length = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
  void* mapping = ::mmap(nullptr, length, PROT_READ, MAP_SHARED, descriptor, 0);
  if (mapping == MAP_FAILED) {
    ::close(descriptor);
    return nullptr;
  }
  std::uint32_t version = 0;
  std::memcpy(&version, mapping, sizeof version);
  const auto isInitialized = static_cast<const unsigned char*>(mapping)[12];
  if (version != kWalIndexVersion || isInitialized != 1) {
    ::munmap(mapping, length);
    ::close(descriptor);
    return nullptr;
  }
  return std::make_unique<WalIndexDetector>(descriptor, mapping, length);
}

}  // namespace

std::unique_ptr<ChangeDetector> ChangeDetector::forConnection(SqliteConnection& connection, bool exclusive,
                                                              bool walMode) {
  if (exclusive) return std::make_unique<ExclusiveDetector>();
  if (walMode) {
    const char* path = sqlite3_db_filename(connection.handle(), "main");
    if (path != nullptr && *path != '\0') {
      if (auto detector = mapWalIndex(path)) return detector;
    }
  }
  return std::make_unique<DataVersionDetector>(connection);
}

}  // namespace dao
