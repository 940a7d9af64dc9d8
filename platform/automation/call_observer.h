#pragma once
// Watching late-bound calls: every get, put and call made through
// AutomationObject is reported to the observers installed here, before the
// member runs (failing calls included). Tests use CallRecorder to assert
// what a caller asked of the engine, e.g. that reading a record count twice
// costs one MoveLast.
//
// Contract: observers are process-wide and notified on the calling thread,
// in installation order; one must not install or remove observers from
// inside onCall. With no observer installed a call costs one atomic load.
// A read with arguments that is forwarded to the default member is reported
// twice: once as made (get "Fields" (3)), once as forwarded (get "Item" (3)).
#include <atomic>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/automation/automation_object.h"

namespace automation {

struct AutomationCall {
  const AutomationObject& object;
  std::string_view objectType;  // e.g. "Recordset"
  std::string_view member;      // as the caller spelled it
  InvokeKind kind;
  const Arguments& arguments;
  const Variant* assignedValue;  // the value of a put, else nullptr
};

class CallObserver {
 public:
  virtual ~CallObserver() = default;
  virtual void onCall(const AutomationCall& call) = 0;
};

void addCallObserver(CallObserver& observer);
void removeCallObserver(CallObserver& observer);

namespace detail {
extern std::atomic<std::size_t> installedCallObservers;
void notifyInstalledObservers(const AutomationCall& call);
}  // namespace detail

// Internal to AutomationObject: reports a call to every observer.
inline void notifyCallObservers(const AutomationCall& call) {
  if (detail::installedCallObservers.load(std::memory_order_acquire) != 0) detail::notifyInstalledObservers(call);
}

struct RecordedCall {
  std::string objectType;
  std::string member;
  InvokeKind kind;
  Arguments arguments;
  Variant assignedValue;  // Empty unless kind is PropertyPut
};

// Records every call while it exists.
class CallRecorder : public CallObserver {
 public:
  CallRecorder();
  ~CallRecorder() override;
  CallRecorder(const CallRecorder&) = delete;
  CallRecorder& operator=(const CallRecorder&) = delete;

  void onCall(const AutomationCall& call) override;

  const std::vector<RecordedCall>& calls() const noexcept { return calls_; }
  // Calls of `member` (letter case ignored), optionally only on objects of `objectType`.
  std::size_t count(std::string_view member, std::string_view objectType = {}) const;
  // The members called, in order, as "Type.Member" (e.g. "Recordset.MoveNext").
  std::vector<std::string> sequence() const;
  void clear() noexcept { calls_.clear(); }

 private:
  std::vector<RecordedCall> calls_;
};

}  // namespace automation
