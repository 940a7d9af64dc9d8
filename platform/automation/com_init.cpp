#include "platform/automation/com_init.h"

#include <atomic>

namespace automation {

namespace {

thread_local int initializationCount = 0;
std::atomic<HResult> injectedFailure{hresult::ok};

}  // namespace

HResult CoInitialize() {
  const HResult failure = injectedFailure.load();
  if (failure != hresult::ok) return failure;
  return initializationCount++ == 0 ? hresult::ok : hresult::alreadyInitialized;
}

void CoUninitialize() {
  if (initializationCount > 0) --initializationCount;
}

bool isComInitializedOnThisThread() { return initializationCount > 0; }

ScopedCoInitializeFailure::ScopedCoInitializeFailure(HResult failure) : previous_(injectedFailure.exchange(failure)) {}

ScopedCoInitializeFailure::~ScopedCoInitializeFailure() { injectedFailure.store(previous_); }

ScopedComInitialization::ScopedComInitialization() {
  const HResult result = CoInitialize();
  if (result != hresult::ok && result != hresult::alreadyInitialized) {
    throw EOleException("CoInitialize failed", result);
  }
}

ScopedComInitialization::~ScopedComInitialization() { CoUninitialize(); }

}  // namespace automation
