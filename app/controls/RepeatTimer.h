#pragma once
// The countdown behind a held navigator button. The navigator only says how
// long to wait; the waiting itself is this object's, so that a test can
// stand in for the clock and tick it by hand.
//
// Contract:
//  - start(ms) starts a single countdown of ms milliseconds, replacing one
//    that runs; when it runs out, onTimeout is called once.
//  - stop() cancels a running countdown; onTimeout is not called for it.
#include <functional>
#include <memory>

namespace controls {

class RepeatTimer {
 public:
  virtual ~RepeatTimer() = default;
  virtual void start(int milliseconds) = 0;
  virtual void stop() = 0;

  std::function<void()> onTimeout;
};

// The real clock: a single-shot QTimer of the GUI thread's event loop.
std::unique_ptr<RepeatTimer> makeRepeatTimer();

}  // namespace controls
