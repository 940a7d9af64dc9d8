// openStorage (storage.h): which storage a database name asks for, and
// where the server storage comes from.
#include <dlfcn.h>

#include <filesystem>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/dao/engine_error.h"
#include "platform/dao/file_storage.h"
#include "platform/dao/storage.h"

namespace dao {

namespace {

// The module's one exported symbol (server/server_module_entry.cpp).
constexpr const char* kModuleEntry = "zenDaoServerStorageOpener";
using ModuleEntry = StorageOpener (*)();

struct ServerStorageSource {
  std::mutex mutex;
  StorageOpener opener = nullptr;
  const char* besideProgram = nullptr;
  const char* buildFolder = nullptr;
  const char* built = nullptr;
  std::string loadFailure;
  // A load started ahead by prepareDatabaseStorage(); joined at exit, so
  // the process never ends in the middle of the loader's work.
  std::thread preparing;
  ~ServerStorageSource() {
    if (preparing.joinable()) preparing.join();
  }
};

ServerStorageSource& serverSource() noexcept {
  // A function's static: registration runs during static initialisation,
  // in whatever order the program's objects are initialised.
  static ServerStorageSource source;
  return source;
}

// `file` is the program's path with every link resolved (/proc/self/exe), so
// the folder is resolved too before they are compared.
bool isInside(const std::filesystem::path& file, const std::filesystem::path& folder) {
  std::error_code failed;
  const std::filesystem::path resolved = std::filesystem::weakly_canonical(folder, failed);
  if (failed) return false;
  const std::filesystem::path relative = file.lexically_relative(resolved);
  return !relative.empty() && *relative.begin() != "..";
}

// Loads the module from the first place that has a loadable one and takes
// its opener; nullptr, with every place's reason in `source.loadFailure`,
// when none has. Called with the source's mutex held.
StorageOpener loadModule(ServerStorageSource& source) {
  source.loadFailure.clear();
  std::error_code failed;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", failed);
  std::vector<std::filesystem::path> places;
  if (failed) {
    source.loadFailure = "the program's own path is unknown (/proc/self/exe: " + failed.message() + ")";
  } else {
    places.push_back((program.parent_path() / source.besideProgram).lexically_normal());
    if (isInside(program, source.buildFolder)) places.emplace_back(source.built);
  }
  for (const std::filesystem::path& place : places) {
    // Kept loaded for good: the storages it opens run its code.
    void* module = dlopen(place.c_str(), RTLD_NOW | RTLD_LOCAL);
    const char* reason = nullptr;
    if (module != nullptr) {
      if (void* entry = dlsym(module, kModuleEntry)) {
        source.loadFailure.clear();
        return reinterpret_cast<ModuleEntry>(entry)();
      }
      reason = dlerror();
      dlclose(module);
    } else {
      reason = dlerror();
    }
    if (!source.loadFailure.empty()) source.loadFailure += "; ";
    source.loadFailure += reason != nullptr ? reason : place.string() + ": not loadable";
  }
  return nullptr;
}

// The server storage's opener: the registered one, else the module's,
// loaded on first use; nullptr when the program has neither.
StorageOpener serverOpener() {
  ServerStorageSource& source = serverSource();
  const std::lock_guard lock(source.mutex);
  if (source.opener == nullptr && source.besideProgram != nullptr) source.opener = loadModule(source);
  return source.opener;
}

}  // namespace

void registerServerStorage(StorageOpener opener) noexcept { serverSource().opener = opener; }

void registerServerStorageModule(const char* besideProgram, const char* buildFolder, const char* built) noexcept {
  ServerStorageSource& source = serverSource();
  source.besideProgram = besideProgram;
  source.buildFolder = buildFolder;
  source.built = built;
}

std::string serverStorageLoadFailure() {
  ServerStorageSource& source = serverSource();
  const std::lock_guard lock(source.mutex);
  return source.loadFailure;
}

void prepareDatabaseStorage(const std::string& name) noexcept {
  std::error_code ignored;
  if (!namesServerDatabase(name) || std::filesystem::exists(name, ignored)) return;
  ServerStorageSource& source = serverSource();
  const std::lock_guard lock(source.mutex);
  if (source.opener != nullptr || source.besideProgram == nullptr || source.preparing.joinable()) return;
  try {
    // serverOpener() takes the mutex: an open that comes first waits for
    // this load instead of starting its own.
    source.preparing = std::thread([] { serverOpener(); });
  } catch (const std::system_error&) {
    // No thread to spare: the open loads the storage itself.
  }
}

std::shared_ptr<Storage> openStorage(const std::string& name, const OpenSettings& settings) {
  // A file that happens to be called "x=y" is still opened as the file.
  std::error_code ignored;
  if (namesServerDatabase(name) && !std::filesystem::exists(name, ignored)) {
    const StorageOpener opener = serverOpener();
    if (opener == nullptr) raise(error::noInstallableFormat);
    return opener(name, settings);
  }
  return FileStorage::open(name, settings);
}

}  // namespace dao
