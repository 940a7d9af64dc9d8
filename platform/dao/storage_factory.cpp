// openStorage (storage.h): which storage a database name asks for.
#include <filesystem>
#include <system_error>

#include "platform/dao/engine_error.h"
#include "platform/dao/file_storage.h"
#include "platform/dao/storage.h"

namespace dao {

namespace {

StorageOpener& serverOpener() noexcept {
  // A function's static: registration runs during static initialisation,
  // in whatever order the program's objects are initialised.
  static StorageOpener opener = nullptr;
  return opener;
}

}  // namespace

void registerServerStorage(StorageOpener opener) noexcept { serverOpener() = opener; }

std::shared_ptr<Storage> openStorage(const std::string& name, const OpenSettings& settings) {
  // A file that happens to be called "x=y" is still opened as the file.
  std::error_code ignored;
  if (namesServerDatabase(name) && !std::filesystem::exists(name, ignored)) {
    if (serverOpener() == nullptr) raise(error::noInstallableFormat);
    return serverOpener()(name, settings);
  }
  return FileStorage::open(name, settings);
}

}  // namespace dao
