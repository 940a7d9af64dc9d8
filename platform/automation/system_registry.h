#pragma once
// Stand-in for the Windows registry, as far as the program reads it: keys
// below three roots, each with named subkeys and named text values. Key and
// value names match without regard to letter case; a path is the key names
// joined by backslashes ("SOFTWARE\\Microsoft\\JET\\4.0\\Engines"), a leading
// backslash is ignored.
//
// Contents at start:
//  - HKEY_CLASSES_ROOT\<ProgID> for every class registered in the class
//    registry (class_registry.h keeps these keys in step);
//  - HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\JET\4.0\Engines with the value
//    "SystemDB" = "system.mdb" (the engine's workgroup file);
//  - HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\JET\4.0\ISAM Formats without
//    subkeys: the engine has no installable formats;
//  - no ODBC keys.
// The program only reads; tests change the contents through the writing
// functions, preferably inside a ScopedRegistryState that puts everything
// back. All functions are safe to call from several threads.
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace automation {

enum class RegistryRoot { ClassesRoot, CurrentUser, LocalMachine };

namespace registry {

bool keyExists(RegistryRoot root, std::string_view path);
// nullopt when the key or the value is missing.
std::optional<std::string> readString(RegistryRoot root, std::string_view path, std::string_view valueName);
// Names as they were written, in case-insensitive order; empty for a missing key.
std::vector<std::string> subkeyNames(RegistryRoot root, std::string_view path);
std::vector<std::string> valueNames(RegistryRoot root, std::string_view path);

// Creates the key and any missing parents.
void createKey(RegistryRoot root, std::string_view path);
// Creates the key if needed and sets the value.
void writeString(RegistryRoot root, std::string_view path, std::string_view valueName, std::string_view value);
// Removes the key with everything below it; a missing key is no error.
void deleteKey(RegistryRoot root, std::string_view path);
void deleteValue(RegistryRoot root, std::string_view path, std::string_view valueName);

}  // namespace registry

// Saves the whole registry stand-in and restores it when destroyed.
class ScopedRegistryState {
 public:
  ScopedRegistryState();
  ~ScopedRegistryState();
  ScopedRegistryState(const ScopedRegistryState&) = delete;
  ScopedRegistryState& operator=(const ScopedRegistryState&) = delete;

 private:
  struct Snapshot;
  std::unique_ptr<Snapshot> snapshot_;
};

}  // namespace automation
