#include "platform/automation/system_registry.h"

#include <map>
#include <mutex>

#include "platform/automation/text_compare.h"

namespace automation {

namespace {

struct NameLess {
  bool operator()(const std::string& a, const std::string& b) const noexcept { return compareIgnoringAsciiCase(a, b) < 0; }
};

struct RegistryKey {
  std::map<std::string, RegistryKey, NameLess> subkeys;
  std::map<std::string, std::string, NameLess> values;
};

struct RegistryTree {
  RegistryKey classesRoot;
  RegistryKey currentUser;
  RegistryKey localMachine;
};

std::vector<std::string> splitPath(std::string_view path) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    const std::size_t end = path.find('\\', start);
    const std::string_view part = path.substr(start, end == std::string_view::npos ? path.npos : end - start);
    if (!part.empty()) parts.emplace_back(part);
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return parts;
}

RegistryKey* findKey(RegistryKey& root, std::string_view path) {
  RegistryKey* key = &root;
  for (const std::string& part : splitPath(path)) {
    const auto found = key->subkeys.find(part);
    if (found == key->subkeys.end()) return nullptr;
    key = &found->second;
  }
  return key;
}

RegistryKey& makeKey(RegistryKey& root, std::string_view path) {
  RegistryKey* key = &root;
  for (const std::string& part : splitPath(path)) key = &key->subkeys[part];
  return *key;
}

RegistryTree defaultTree() {
  RegistryTree tree;
  makeKey(tree.localMachine, "SOFTWARE\\Microsoft\\JET\\4.0\\Engines").values["SystemDB"] = "system.mdb";
  makeKey(tree.localMachine, "SOFTWARE\\Microsoft\\JET\\4.0\\ISAM Formats");
  return tree;
}

struct RegistryState {
  std::mutex mutex;
  RegistryTree tree = defaultTree();
};

RegistryState& state() {
  static RegistryState registryState;
  return registryState;
}

RegistryKey& rootKey(RegistryTree& tree, RegistryRoot root) {
  switch (root) {
    case RegistryRoot::ClassesRoot: return tree.classesRoot;
    case RegistryRoot::CurrentUser: return tree.currentUser;
    case RegistryRoot::LocalMachine: break;
  }
  return tree.localMachine;
}

}  // namespace

namespace registry {

bool keyExists(RegistryRoot root, std::string_view path) {
  RegistryState& registry = state();
  std::lock_guard lock(registry.mutex);
  return findKey(rootKey(registry.tree, root), path) != nullptr;
}

std::optional<std::string> readString(RegistryRoot root, std::string_view path, std::string_view valueName) {
  RegistryState& registry = state();
  std::lock_guard lock(registry.mutex);
  const RegistryKey* key = findKey(rootKey(registry.tree, root), path);
  if (key == nullptr) return std::nullopt;
  const auto found = key->values.find(std::string(valueName));
  if (found == key->values.end()) return std::nullopt;
  return found->second;
}

std::vector<std::string> subkeyNames(RegistryRoot root, std::string_view path) {
  RegistryState& registry = state();
  std::lock_guard lock(registry.mutex);
  std::vector<std::string> names;
  if (const RegistryKey* key = findKey(rootKey(registry.tree, root), path)) {
    for (const auto& [name, subkey] : key->subkeys) names.push_back(name);
  }
  return names;
}

std::vector<std::string> valueNames(RegistryRoot root, std::string_view path) {
  RegistryState& registry = state();
  std::lock_guard lock(registry.mutex);
  std::vector<std::string> names;
  if (const RegistryKey* key = findKey(rootKey(registry.tree, root), path)) {
    for (const auto& [name, value] : key->values) names.push_back(name);
  }
  return names;
}

void createKey(RegistryRoot root, std::string_view path) {
  RegistryState& registry = state();
  std::lock_guard lock(registry.mutex);
  makeKey(rootKey(registry.tree, root), path);
}

void writeString(RegistryRoot root, std::string_view path, std::string_view valueName, std::string_view value) {
  RegistryState& registry = state();
  std::lock_guard lock(registry.mutex);
  makeKey(rootKey(registry.tree, root), path).values[std::string(valueName)] = std::string(value);
}

void deleteKey(RegistryRoot root, std::string_view path) {
  std::vector<std::string> parts = splitPath(path);
  if (parts.empty()) return;
  const std::string last = parts.back();
  parts.pop_back();
  std::string parentPath;
  for (const std::string& part : parts) parentPath += part + "\\";
  RegistryState& registry = state();
  std::lock_guard lock(registry.mutex);
  if (RegistryKey* parent = findKey(rootKey(registry.tree, root), parentPath)) parent->subkeys.erase(last);
}

void deleteValue(RegistryRoot root, std::string_view path, std::string_view valueName) {
  RegistryState& registry = state();
  std::lock_guard lock(registry.mutex);
  if (RegistryKey* key = findKey(rootKey(registry.tree, root), path)) key->values.erase(std::string(valueName));
}

}  // namespace registry

struct ScopedRegistryState::Snapshot {
  RegistryTree tree;
};

ScopedRegistryState::ScopedRegistryState() {
  RegistryState& registry = state();
  std::lock_guard lock(registry.mutex);
  snapshot_ = std::make_unique<Snapshot>(Snapshot{registry.tree});
}

ScopedRegistryState::~ScopedRegistryState() {
  RegistryState& registry = state();
  std::lock_guard lock(registry.mutex);
  registry.tree = std::move(snapshot_->tree);
}

}  // namespace automation
