#include "app/controls/RepeatTimer.h"

#include <QTimer>

namespace controls {

namespace {

class QtRepeatTimer : public RepeatTimer {
 public:
  QtRepeatTimer() {
    timer_.setSingleShot(true);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      if (onTimeout) onTimeout();
    });
  }

  void start(int milliseconds) override { timer_.start(milliseconds); }
  void stop() override { timer_.stop(); }

 private:
  QTimer timer_;
};

}  // namespace

std::unique_ptr<RepeatTimer> makeRepeatTimer() { return std::make_unique<QtRepeatTimer>(); }

}  // namespace controls
