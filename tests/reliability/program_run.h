#pragma once
// Runs the built program as a user would start it: a copy of the binary in a
// folder of its own (so that no database kept beside the real binary is
// found), a working directory of the test's choosing, the offscreen Qt
// platform, message boxes written to standard error.
#include <sys/types.h>

#include <optional>
#include <string>

namespace reliability {

struct ProgramRun {
  bool exited = false;     // ended by itself with exitCode
  int exitCode = -1;
  bool signaled = false;   // ended by a signal it was not sent by the test
  int signal = 0;
  bool sawText = false;    // `untilText` appeared while the program was running
  bool stillRunning = false; // stopped after stopAfterMs
  bool timedOut = false;   // neither ended nor showed `untilText` in time
  std::string errorOutput; // all of standard error
};

struct ProgramRunOptions {
  std::string program;      // the binary to run
  std::string workingDirectory;
  // When set: as soon as standard error holds this text and the program is
  // still running, the program is killed (it has no switch to quit).
  std::optional<std::string> untilText{};
  // When set: a program still running this long after its start is taken
  // as having opened its window, and is killed (stillRunning is then true).
  std::optional<int> stopAfterMs{};
  // Run under this user id (used when the tests run as root).
  std::optional<uid_t> user{};
  int timeoutMs = 90000;
};

ProgramRun RunProgram(const ProgramRunOptions& options);

// The one sanitizer or crash report standard error may hold, or empty.
std::string SanitizerReport(const std::string& errorOutput);

}  // namespace reliability
