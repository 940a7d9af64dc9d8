// Runs programs that end at their first paint (first_paint.h) and prints,
// for each, the time from just before its process was started to its first
// paint and the process's peak memory (maximum resident set size from
// wait4):
//
//   startup_runner RUNS LABEL=FOLDER=PROGRAM [LABEL=FOLDER=PROGRAM ...]
//
// FOLDER is the working folder of the program (the program finds its
// database there). The first program is the baseline. The programs' runs
// are interleaved, round by round, with the order rotated every round, so
// that load which comes and goes on the machine falls on all of them alike
// rather than on whichever ran last; one unrecorded round first warms the
// page cache. Output, one line per program, then one per program after the
// first with the ratio to the baseline taken round by round (each run
// against the baseline's run of the same round):
//   STARTUP LABEL median_ms=… min_ms=… max_ms=… median_rss_kb=… max_rss_kb=… runs=…
//   RATIO LABEL median=… min=… max=…
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

struct Program {
  std::string label;
  std::string folder;
  std::string path;
  std::vector<double> milliseconds;
  std::vector<long> rssKilobytes;
};

struct Run {
  double milliseconds = 0;
  long rssKilobytes = 0;
};

Program parseProgram(const std::string& spec) {
  const std::size_t first = spec.find('=');
  const std::size_t second = first == std::string::npos ? std::string::npos : spec.find('=', first + 1);
  if (second == std::string::npos) throw std::runtime_error("expected LABEL=FOLDER=PROGRAM, got " + spec);
  return {spec.substr(0, first), spec.substr(first + 1, second - first - 1), spec.substr(second + 1), {}, {}};
}

Run runOnce(const Program& program) {
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) throw std::runtime_error("pipe failed");
  std::string path = program.path;
  char* command[] = {path.data(), nullptr};
  const long long started = monotonicNanoseconds();
  const pid_t child = fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) {
    dup2(pipeEnds[1], STDOUT_FILENO);
    close(pipeEnds[0]);
    close(pipeEnds[1]);
    if (chdir(program.folder.c_str()) != 0) _exit(126);
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
    throw std::runtime_error(program.path + " ended without painting (status " + std::to_string(status) +
                             "): " + output);
  }
  const long long painted = std::atoll(output.c_str() + mark + std::strlen("FIRST_PAINT "));
  return {static_cast<double>(painted - started) / 1e6, usage.ru_maxrss};
}

template <class T>
T median(std::vector<T> values) {
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  if (values.size() % 2 == 1) return values[middle];
  return (values[middle - 1] + values[middle]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s RUNS LABEL=FOLDER=PROGRAM [LABEL=FOLDER=PROGRAM ...]\n", argv[0]);
    return 2;
  }
  const int runs = std::max(1, std::atoi(argv[1]));
  try {
    std::vector<Program> programs;
    for (int i = 2; i < argc; ++i) programs.push_back(parseProgram(argv[i]));
    for (const Program& program : programs) runOnce(program);  // warm the page cache; not counted
    const std::size_t count = programs.size();
    for (int round = 0; round < runs; ++round) {
      for (std::size_t i = 0; i < count; ++i) {
        Program& program = programs[(i + static_cast<std::size_t>(round)) % count];
        const Run run = runOnce(program);
        program.milliseconds.push_back(run.milliseconds);
        program.rssKilobytes.push_back(run.rssKilobytes);
      }
    }
    for (const Program& program : programs) {
      const auto& times = program.milliseconds;
      std::printf("STARTUP %s median_ms=%.1f min_ms=%.1f max_ms=%.1f median_rss_kb=%ld max_rss_kb=%ld runs=%d\n",
                  program.label.c_str(), median(times), *std::min_element(times.begin(), times.end()),
                  *std::max_element(times.begin(), times.end()), median(program.rssKilobytes),
                  *std::max_element(program.rssKilobytes.begin(), program.rssKilobytes.end()), runs);
    }
    for (std::size_t p = 1; p < count; ++p) {
      std::vector<double> ratios;
      for (int round = 0; round < runs; ++round) {
        ratios.push_back(programs[p].milliseconds[static_cast<std::size_t>(round)] /
                         programs[0].milliseconds[static_cast<std::size_t>(round)]);
      }
      std::printf("RATIO %s median=%.3f min=%.3f max=%.3f\n", programs[p].label.c_str(), median(ratios),
                  *std::min_element(ratios.begin(), ratios.end()), *std::max_element(ratios.begin(), ratios.end()));
    }
    std::fflush(stdout);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "startup_runner: %s\n", error.what());
    return 1;
  }
  return 0;
}
