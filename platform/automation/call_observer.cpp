#include "platform/automation/call_observer.h"

#include <algorithm>
#include <atomic>
#include <mutex>

#include "platform/automation/text_compare.h"

namespace automation {

namespace {

struct ObserverList {
  std::mutex mutex;
  std::vector<CallObserver*> observers;
};

ObserverList& observerList() {
  static ObserverList list;
  return list;
}

}  // namespace

// Checked on every call before anything else; constant-initialised, so no
// guard is needed to read it.
std::atomic<std::size_t> detail::installedCallObservers{0};

void addCallObserver(CallObserver& observer) {
  ObserverList& list = observerList();
  std::lock_guard lock(list.mutex);
  list.observers.push_back(&observer);
  detail::installedCallObservers.store(list.observers.size(), std::memory_order_release);
}

void removeCallObserver(CallObserver& observer) {
  ObserverList& list = observerList();
  std::lock_guard lock(list.mutex);
  std::erase(list.observers, &observer);
  detail::installedCallObservers.store(list.observers.size(), std::memory_order_release);
}

void detail::notifyInstalledObservers(const AutomationCall& call) {
  ObserverList& list = observerList();
  std::lock_guard lock(list.mutex);
  for (CallObserver* observer : list.observers) observer->onCall(call);
}

CallRecorder::CallRecorder() { addCallObserver(*this); }

CallRecorder::~CallRecorder() { removeCallObserver(*this); }

void CallRecorder::onCall(const AutomationCall& call) {
  calls_.push_back(RecordedCall{std::string(call.objectType), std::string(call.member), call.kind, call.arguments,
                                call.assignedValue ? *call.assignedValue : Variant()});
}

std::size_t CallRecorder::count(std::string_view member, std::string_view objectType) const {
  return static_cast<std::size_t>(std::count_if(calls_.begin(), calls_.end(), [&](const RecordedCall& call) {
    return equalsIgnoringAsciiCase(call.member, member) &&
           (objectType.empty() || equalsIgnoringAsciiCase(call.objectType, objectType));
  }));
}

std::vector<std::string> CallRecorder::sequence() const {
  std::vector<std::string> names;
  names.reserve(calls_.size());
  for (const RecordedCall& call : calls_) names.push_back(call.objectType + "." + call.member);
  return names;
}

}  // namespace automation
