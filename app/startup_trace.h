#pragma once
// The start-up trace: where the time goes between the process's start and
// the main window's first paint, step by step, printed to standard error
// when the program is started with --startup-trace.
//
// Contract:
//  - enableFromArguments() turns the trace on when one of the arguments is
//    "--startup-trace" and notes the first step (the time from the process's
//    start to main, as the kernel reports the start: to the clock tick, so
//    about 10 ms); call it first thing in main. Without the argument every
//    other call does nothing and costs a test of one flag.
//  - mark(step) ends a step: the time since the previous mark is that
//    step's. Steps are named as the user of the trace reads them ("database
//    open", "six tables"), in the order they happen.
//  - watchFirstPaint(window) ends the trace at the end of the window's first
//    paint (after the paint and the flush of its backing store): marks
//    "first paint" and prints the trace, one line per step:
//        startup-trace: <ms since main, 3 decimals> ms  +<step's ms> ms  <step>
//    followed by a total line. The window owns the watcher.
//  - report() gives those lines (tests read it); reset() forgets everything
//    and turns the trace off.
// Single-threaded: the GUI thread only.
#include <string>
#include <string_view>

class QWidget;

namespace startup_trace {

inline constexpr std::string_view kArgument = "--startup-trace";

void enableFromArguments(int argc, const char* const* argv);
bool enabled() noexcept;
void mark(std::string_view step);
void watchFirstPaint(QWidget& window);
std::string report();
void reset();

}  // namespace startup_trace
