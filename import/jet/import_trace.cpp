#include "import/jet/import_trace.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <algorithm>

namespace jetimport {

void traceStep(const char* step) noexcept {
  static const char* const path = std::getenv("ZENMORA_IMPORT_TRACE");
  if (!path || !*path) return;
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  const auto micros = [](const timeval& t) { return static_cast<long long>(t.tv_sec) * 1000000 + t.tv_usec; };
  char line[256];
  const int length = std::snprintf(line, sizeof line, "%d %lld %lld %ld %s\n", static_cast<int>(::getpid()),
                                   static_cast<long long>(now.tv_sec) * 1000000 + now.tv_nsec / 1000,
                                   micros(usage.ru_utime) + micros(usage.ru_stime), usage.ru_minflt, step);
  if (length <= 0) return;
  // Opened per line: rare, and each process's lines arrive whole (O_APPEND).
  const int file = ::open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
  if (file < 0) return;
  [[maybe_unused]] const auto written = ::write(file, line, static_cast<std::size_t>(std::min(length, 255)));
  ::close(file);
}

}  // namespace jetimport
