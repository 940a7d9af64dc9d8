// openStorage (storage.h): which storage a database name asks for.
#include <cctype>
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

bool startsWith(std::string_view text, std::string_view prefix) noexcept {
  return text.size() >= prefix.size() && text.substr(0, prefix.size()) == prefix;
}

}  // namespace

bool namesServerDatabase(std::string_view name) noexcept {
  if (startsWith(name, "postgresql://") || startsWith(name, "postgres://")) return true;
  // key=value: a keyword (letters and underscores) right at the start,
  // spaces allowed before the "=" as libpq allows them.
  std::size_t i = 0;
  while (i < name.size() && name[i] == ' ') ++i;
  const std::size_t keyword = i;
  while (i < name.size() && (std::isalpha(static_cast<unsigned char>(name[i])) || name[i] == '_')) ++i;
  if (i == keyword) return false;
  while (i < name.size() && name[i] == ' ') ++i;
  return i < name.size() && name[i] == '=';
}

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
