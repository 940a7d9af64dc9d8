// Runs a program that ends at its first paint (first_paint.h) several times
// and prints the time from just before the process was started to its first
// paint, and the process's peak memory (maximum resident set size from
// wait4), as the median and the minimum over the runs:
//
//   startup_runner LABEL RUNS FOLDER PROGRAM [ARGS...]
//
// FOLDER is the working folder of the program (the program finds its
// database there). Output, one line:
//   STARTUP LABEL median_ms=… min_ms=… max_ms=… median_rss_kb=… max_rss_kb=…
// Exit code 1 when a run fails or never reports its first paint.
#include <sys/resource.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

long long monotonicNanoseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<long long>(now.tv_sec) * 1'000'000'000LL + now.tv_nsec;
}

struct Run {
  double milliseconds = 0;
  long rssKilobytes = 0;
};

Run runOnce(const std::string& folder, char** command) {
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) throw std::runtime_error("pipe failed");
  const long long started = monotonicNanoseconds();
  const pid_t child = fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) {
    dup2(pipeEnds[1], STDOUT_FILENO);
    close(pipeEnds[0]);
    close(pipeEnds[1]);
    if (chdir(folder.c_str()) != 0) _exit(126);
    execv(command[0], command);
    _exit(127);
  }
  close(pipeEnds[1]);
  std::string output;
  char buffer[4096];
  ssize_t got = 0;
  while ((got = read(pipeEnds[0], buffer, sizeof buffer)) > 0) output.append(buffer, static_cast<std::size_t>(got));
  close(pipeEnds[0]);
  int status = 0;
  rusage usage{};
  if (wait4(child, &status, 0, &usage) != child) throw std::runtime_error("wait4 failed");
  const std::size_t mark = output.find("FIRST_PAINT ");
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || mark == std::string::npos) {
    throw std::runtime_error(std::string(command[0]) + " ended without painting (status " + std::to_string(status) +
                             "): " + output);
  }
  const long long painted = std::atoll(output.c_str() + mark + std::strlen("FIRST_PAINT "));
  return {static_cast<double>(painted - started) / 1e6, usage.ru_maxrss};
}

template <class T>
T median(std::vector<T> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: %s LABEL RUNS FOLDER PROGRAM [ARGS...]\n", argv[0]);
    return 2;
  }
  const std::string label = argv[1];
  const int runs = std::max(1, std::atoi(argv[2]));
  const std::string folder = argv[3];
  try {
    runOnce(folder, argv + 4);  // warm the page cache; not counted
    std::vector<double> times;
    std::vector<long> memory;
    for (int i = 0; i < runs; ++i) {
      const Run run = runOnce(folder, argv + 4);
      times.push_back(run.milliseconds);
      memory.push_back(run.rssKilobytes);
    }
    std::printf("STARTUP %s median_ms=%.1f min_ms=%.1f max_ms=%.1f median_rss_kb=%ld max_rss_kb=%ld\n", label.c_str(),
                median(times), *std::min_element(times.begin(), times.end()),
                *std::max_element(times.begin(), times.end()), median(memory),
                *std::max_element(memory.begin(), memory.end()));
  } catch (const std::exception& error) {
    std::fprintf(stderr, "startup_runner: %s\n", error.what());
    return 1;
  }
  return 0;
}
