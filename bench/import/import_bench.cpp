// Times `zenmora-db import` of a Jet file against `mdb-export` of the same
// file to CSV (the maintained reader's own export: the baseline), in one
// run, and prints a Markdown table: median wall time, rows per second, peak
// memory (maximum resident set of the whole process tree), the ratio and
// whether it is within the target (import at most 1.5 times the baseline).
//
//   import_bench ZENMORA_DB JET_FILE ROWS RUNS WORK_FOLDER LABEL
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fmt/format.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

namespace {

struct Measure {
  double seconds = 0;
  long peakKib = 0;
};

// Runs the command with stdout to `output` (when given); the peak memory
// is the child's own (ru_maxrss of the waited process and its children).
Measure run(const std::vector<std::string>& command, const std::string& output) {
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = ::fork();
  if (child == 0) {
    if (!output.empty()) {
      const int file = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      ::dup2(file, STDOUT_FILENO);
    } else {
      const int null = ::open("/dev/null", O_WRONLY);
      ::dup2(null, STDOUT_FILENO);
    }
    std::vector<char*> argv;
    for (const std::string& a : command) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execvp(argv[0], argv.data());
    ::_exit(127);
  }
  int status = 0;
  rusage usage{};
  ::wait4(child, &status, 0, &usage);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::cerr << "import_bench: " << command[0] << " failed\n";
    std::exit(1);
  }
  // wait4 reports the largest of the process and its waited-for children
  // (the import reads in a child of its own).
  return {seconds, std::max(usage.ru_maxrss, 0L)};
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 7) {
    std::cerr << "usage: import_bench ZENMORA_DB JET_FILE ROWS RUNS WORK_FOLDER LABEL\n";
    return 1;
  }
  const std::string tool = argv[1], jet = argv[2], label = argv[6];
  const double rows = std::stod(argv[3]);
  const int runs = std::max(1, std::stoi(argv[4]));
  const std::filesystem::path work = argv[5];
  std::vector<double> importTimes, exportTimes;
  long importPeak = 0, exportPeak = 0;
  for (int r = 0; r < runs; ++r) {
    const std::string csv = (work / "export.csv").string();
    const Measure e = run({"mdb-export", jet, "0_Data_Input"}, csv);
    exportTimes.push_back(e.seconds);
    exportPeak = std::max(exportPeak, e.peakKib);
    std::filesystem::remove(csv);

    const std::string imported = (work / "imported.mdb").string();
    const Measure i = run({tool, "import", jet, imported}, "");
    importTimes.push_back(i.seconds);
    importPeak = std::max(importPeak, i.peakKib);
    std::filesystem::remove(imported);
  }
  const double importSeconds = median(importTimes), exportSeconds = median(exportTimes);
  const double ratio = importSeconds / exportSeconds;
  std::cout << fmt::format("| import of {} ({:.0f} rows) | {:.3f} s, {:.0f} rows/s, {} MiB | {:.3f} s, {:.0f} rows/s, {} MiB | "
                           "{:.2f}x (target <= 1.5x) | {} |\n",
                           label, rows, importSeconds, rows / importSeconds, importPeak / 1024, exportSeconds,
                           rows / exportSeconds, exportPeak / 1024, ratio, ratio <= 1.5 ? "met" : "NOT met");
  return 0;
}
