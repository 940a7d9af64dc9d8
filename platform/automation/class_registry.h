#pragma once
// ProgID -> class factory: how a program obtains an automation server's
// object from its ProgID, as COM's CreateOleObject does.
//
// Contract:
//  - createOleObject(progId) needs COM initialised on the calling thread
//    (else EOleException "CoInitialize has not been called.",
//    CO_E_NOTINITIALIZED). It resolves the ProgID through the registry key
//    HKEY_CLASSES_ROOT\<ProgID>: a missing key throws EOleException
//    "Invalid class string" (CO_E_CLASSSTRING); a key without a registered
//    factory throws "Class not registered" (REGDB_E_CLASSNOTREG). A factory's
//    own failure leaves as EOleException.
//  - registerClass() adds or replaces a factory and creates the registry
//    key; unregisterClass() removes both. ProgIDs ignore letter case.
//  - The database engine library registers "DAO.DBEngine.36" when it is
//    linked into a program; nothing registers "DAO.DBEngine.35" or the
//    "DAO.PrivateDBEngine" ProgIDs.
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/automation/automation_object.h"

namespace automation {

using ClassFactory = std::function<ObjectRef()>;

namespace hresult {
constexpr HResult classNotRegistered = static_cast<HResult>(0x80040154);  // REGDB_E_CLASSNOTREG
}

void registerClass(std::string_view progId, ClassFactory factory);
void unregisterClass(std::string_view progId);
bool isClassRegistered(std::string_view progId);
ObjectRef createOleObject(std::string_view progId);

// Registers a factory for its lifetime, then restores what was there.
class ScopedClassRegistration {
 public:
  ScopedClassRegistration(std::string progId, ClassFactory factory);
  ~ScopedClassRegistration();
  ScopedClassRegistration(const ScopedClassRegistration&) = delete;
  ScopedClassRegistration& operator=(const ScopedClassRegistration&) = delete;

 private:
  std::string progId_;
  std::optional<ClassFactory> previous_;
};

// Removes a ProgID (factory and registry key) for its lifetime, then restores it.
class ScopedClassRemoval {
 public:
  explicit ScopedClassRemoval(std::string progId);
  ~ScopedClassRemoval();
  ScopedClassRemoval(const ScopedClassRemoval&) = delete;
  ScopedClassRemoval& operator=(const ScopedClassRemoval&) = delete;

 private:
  std::string progId_;
  std::optional<ClassFactory> previous_;
};

}  // namespace automation
