#pragma once
// The system beep, sounded when a control refuses what the user typed,
// pasted or composed.
//
// Contract:
//  - beep() sounds QApplication::beep(); with a hook set it calls the hook
//    instead, so a test can count refusals without a sound device.
//  - It never throws.
#include <functional>
#include <utility>

namespace gui {

void beep() noexcept;

using BeepHook = std::function<void()>;

// Replaces the sound; an empty hook restores it. Returns the hook that was
// in place.
BeepHook setBeepHook(BeepHook hook);

// Installs a hook for the lifetime of the object.
class ScopedBeepHook {
 public:
  explicit ScopedBeepHook(BeepHook hook) : previous_(setBeepHook(std::move(hook))) {}
  ~ScopedBeepHook() { setBeepHook(std::move(previous_)); }
  ScopedBeepHook(const ScopedBeepHook&) = delete;
  ScopedBeepHook& operator=(const ScopedBeepHook&) = delete;

 private:
  BeepHook previous_;
};

}  // namespace gui
