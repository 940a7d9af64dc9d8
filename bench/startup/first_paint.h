#pragma once
// The stop watch of the start-up benchmark, shared by the program's launcher
// and the bare window: an event filter on the main window that waits for the
// window's first paint event, lets that paint finish (a zero timer runs after
// the paint and the flush of the window's backing store), writes the monotonic
// clock's time in nanoseconds to standard output as
//   FIRST_PAINT <nanoseconds>
// and quits the event loop. The runner (startup_runner) reads that line and
// subtracts the time it took just before starting the process.
#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <ctime>

namespace startupbench {

inline long long monotonicNanoseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<long long>(now.tv_sec) * 1'000'000'000LL + now.tv_nsec;
}

class FirstPaintExit : public QObject {
 public:
  explicit FirstPaintExit(QWidget& window) : QObject(&window) { window.installEventFilter(this); }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!seen_ && event->type() == QEvent::Paint) {
      seen_ = true;
      QTimer::singleShot(0, this, [] {
        std::printf("FIRST_PAINT %lld\n", monotonicNanoseconds());
        std::fflush(stdout);
        QCoreApplication::exit(0);
      });
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  bool seen_ = false;
};

}  // namespace startupbench
