#include "app/startup_trace.h"

#include <QEvent>
#include <QObject>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <ctime>
#include <fstream>
#include <sstream>
#include <unistd.h>
#include <vector>

namespace startup_trace {

namespace {

struct Step {
  std::string name;
  double sinceMain = 0;  // ms
  double took = 0;       // ms
};

struct Trace {
  bool on = false;
  bool printed = false;
  double mainEntered = 0;  // ms on the monotonic clock
  double last = 0;
  std::vector<Step> steps;
};

Trace& trace() {
  static Trace instance;
  return instance;
}

double nowMilliseconds(clockid_t clock = CLOCK_MONOTONIC) {
  timespec now{};
  clock_gettime(clock, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// Milliseconds from the process's start to now, from the kernel's start time
// (clock ticks since boot) and the boot-time clock; negative when unknown.
double sinceProcessStart() {
  std::ifstream stat("/proc/self/stat");
  std::string line;
  if (!std::getline(stat, line)) return -1;
  // The command name in parentheses may hold blanks; fields count after it.
  const std::size_t close = line.rfind(')');
  if (close == std::string::npos) return -1;
  std::istringstream fields(line.substr(close + 2));
  std::string field;
  // After the name: state is field 3, starttime field 22.
  for (int number = 3; number < 22 && (fields >> field); ++number) {
  }
  unsigned long long ticks = 0;
  if (!(fields >> ticks)) return -1;
  const long perSecond = sysconf(_SC_CLK_TCK);
  if (perSecond <= 0) return -1;
  return nowMilliseconds(CLOCK_BOOTTIME) - static_cast<double>(ticks) * 1e3 / static_cast<double>(perSecond);
}

std::string line(const Step& step) {
  char text[160];
  std::snprintf(text, sizeof text, "startup-trace: %9.3f ms  %+9.3f ms  ", step.sinceMain, step.took);
  return text + step.name + "\n";
}

class FirstPaintWatch : public QObject {
 public:
  explicit FirstPaintWatch(QWidget& window) : QObject(&window) { window.installEventFilter(this); }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!seen_ && event->type() == QEvent::Paint) {
      seen_ = true;
      // A zero timer runs once the paint and the backing store's flush are done.
      QTimer::singleShot(0, this, [] {
        mark("first paint");
        Trace& t = trace();
        if (t.on && !t.printed) {
          t.printed = true;
          std::fputs(report().c_str(), stderr);
          std::fflush(stderr);
        }
      });
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  bool seen_ = false;
};

}  // namespace

void enableFromArguments(int argc, const char* const* argv) {
  for (int i = 1; i < argc; ++i) {
    if (argv[i] != nullptr && std::string_view(argv[i]) == kArgument) {
      Trace& t = trace();
      t = Trace{};
      t.on = true;
      t.mainEntered = t.last = nowMilliseconds();
      const double before = sinceProcessStart();
      t.steps.push_back({"process start to main (loading the libraries; to the clock tick)", 0, before});
      return;
    }
  }
}

bool enabled() noexcept { return trace().on; }

void mark(std::string_view step) {
  Trace& t = trace();
  if (!t.on) return;
  const double now = nowMilliseconds();
  t.steps.push_back({std::string(step), now - t.mainEntered, now - t.last});
  t.last = now;
}

void watchFirstPaint(QWidget& window) {
  if (!trace().on) return;
  new FirstPaintWatch(window);  // owned by the window
}

std::string report() {
  const Trace& t = trace();
  std::string text;
  for (const Step& step : t.steps) text += line(step);
  if (!t.steps.empty()) {
    const double beforeMain = t.steps.front().took > 0 ? t.steps.front().took : 0;
    text += line({"total from the process's start", t.last - t.mainEntered + beforeMain,
                  t.last - t.mainEntered + beforeMain});
  }
  return text;
}

void reset() { trace() = Trace{}; }

}  // namespace startup_trace
