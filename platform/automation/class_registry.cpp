#include "platform/automation/class_registry.h"

#include <map>
#include <mutex>

#include "platform/automation/com_init.h"
#include "platform/automation/system_registry.h"
#include "platform/automation/text_compare.h"

namespace automation {

namespace {

struct NameLess {
  bool operator()(const std::string& a, const std::string& b) const noexcept { return compareIgnoringAsciiCase(a, b) < 0; }
};

struct ClassTable {
  std::mutex mutex;
  std::map<std::string, ClassFactory, NameLess> factories;
};

ClassTable& classTable() {
  static ClassTable table;
  return table;
}

std::optional<ClassFactory> findFactory(std::string_view progId) {
  ClassTable& table = classTable();
  std::lock_guard lock(table.mutex);
  const auto found = table.factories.find(std::string(progId));
  if (found == table.factories.end()) return std::nullopt;
  return found->second;
}

void restoreFactory(const std::string& progId, std::optional<ClassFactory>& previous) {
  if (previous) {
    registerClass(progId, std::move(*previous));
  } else {
    unregisterClass(progId);
  }
}

}  // namespace

void registerClass(std::string_view progId, ClassFactory factory) {
  {
    ClassTable& table = classTable();
    std::lock_guard lock(table.mutex);
    table.factories[std::string(progId)] = std::move(factory);
  }
  registry::createKey(RegistryRoot::ClassesRoot, progId);
}

void unregisterClass(std::string_view progId) {
  {
    ClassTable& table = classTable();
    std::lock_guard lock(table.mutex);
    table.factories.erase(std::string(progId));
  }
  registry::deleteKey(RegistryRoot::ClassesRoot, progId);
}

bool isClassRegistered(std::string_view progId) { return findFactory(progId).has_value(); }

ObjectRef createOleObject(std::string_view progId) {
  if (!isComInitializedOnThisThread()) {
    throw EOleException("CoInitialize has not been called.", hresult::notInitialized);
  }
  if (progId.empty() || !registry::keyExists(RegistryRoot::ClassesRoot, progId)) {
    throw EOleException("Invalid class string", hresult::invalidClassString);
  }
  std::optional<ClassFactory> factory = findFactory(progId);
  if (!factory || !*factory) throw EOleException("Class not registered", hresult::classNotRegistered);
  ObjectRef object;
  try {
    object = (*factory)();
  } catch (const EOleException&) {
    throw;
  } catch (const std::exception& error) {
    throw EOleException(error.what(), hresult::failure);
  }
  if (!object) throw EOleException("Class not registered", hresult::classNotRegistered);
  return object;
}

ScopedClassRegistration::ScopedClassRegistration(std::string progId, ClassFactory factory)
    : progId_(std::move(progId)), previous_(findFactory(progId_)) {
  registerClass(progId_, std::move(factory));
}

ScopedClassRegistration::~ScopedClassRegistration() { restoreFactory(progId_, previous_); }

ScopedClassRemoval::ScopedClassRemoval(std::string progId) : progId_(std::move(progId)), previous_(findFactory(progId_)) {
  unregisterClass(progId_);
}

ScopedClassRemoval::~ScopedClassRemoval() { restoreFactory(progId_, previous_); }

}  // namespace automation
