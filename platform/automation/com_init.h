#pragma once
// Stand-in for COM's per-thread initialisation.
//
// Contract:
//  - CoInitialize() returns hresult::ok (0) the first time on a thread and
//    hresult::alreadyInitialized (1, S_FALSE) while the thread is already
//    initialised; each of these successful calls must be balanced by one
//    CoUninitialize(). The thread stays initialised until the last balance.
//  - While a ScopedCoInitializeFailure exists, CoInitialize() on any thread
//    returns its failure code and initialises nothing (tests of a caller's
//    failure path).
//  - createOleObject() (class_registry.h) requires an initialised thread.
#include "platform/automation/ole_exception.h"

namespace automation {

HResult CoInitialize();
void CoUninitialize();
bool isComInitializedOnThisThread();

class ScopedCoInitializeFailure {
 public:
  explicit ScopedCoInitializeFailure(HResult failure = hresult::changedMode);
  ~ScopedCoInitializeFailure();
  ScopedCoInitializeFailure(const ScopedCoInitializeFailure&) = delete;
  ScopedCoInitializeFailure& operator=(const ScopedCoInitializeFailure&) = delete;

 private:
  HResult previous_;
};

// Initialises COM for its lifetime (tests and tools that create engine
// objects directly); throws EOleException when CoInitialize fails.
class ScopedComInitialization {
 public:
  ScopedComInitialization();
  ~ScopedComInitialization();
  ScopedComInitialization(const ScopedComInitialization&) = delete;
  ScopedComInitialization& operator=(const ScopedComInitialization&) = delete;
};

}  // namespace automation
