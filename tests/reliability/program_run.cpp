#include "tests/reliability/program_run.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <stdexcept>
#include <vector>

extern char** environ;

namespace reliability {

namespace {

long long NowMs() {
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1'000'000;
}

std::vector<std::string> Environment() {
  std::vector<std::string> variables;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string variable = *entry;
    if (variable.rfind("QT_QPA_PLATFORM=", 0) == 0 || variable.rfind("ZENMORA_NONINTERACTIVE=", 0) == 0 ||
        variable.rfind("XDG_DATA_HOME=", 0) == 0 || variable.rfind("XDG_DATA_DIRS=", 0) == 0) {
      continue;
    }
    variables.push_back(variable);
  }
  variables.push_back("QT_QPA_PLATFORM=offscreen");
  variables.push_back("ZENMORA_NONINTERACTIVE=1");
  // The program would otherwise also look in the user's data folder and copy
  // an installed template there; the runs see only the folders they set up.
  variables.push_back("XDG_DATA_HOME=/nonexistent/zenmora-test-data-home");
  variables.push_back("XDG_DATA_DIRS=/nonexistent/zenmora-test-data-dirs");
  return variables;
}

}  // namespace

ProgramRun RunProgram(const ProgramRunOptions& options) {
  int errorPipe[2];
  if (::pipe2(errorPipe, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  const std::vector<std::string> variables = Environment();
  std::vector<char*> environment;
  for (const std::string& variable : variables) environment.push_back(const_cast<char*>(variable.c_str()));
  environment.push_back(nullptr);
  const pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    ::dup2(errorPipe[1], STDERR_FILENO);
    const int null = ::open("/dev/null", O_RDWR);
    if (null >= 0) {
      ::dup2(null, STDIN_FILENO);
      ::dup2(null, STDOUT_FILENO);
    }
    if (::chdir(options.workingDirectory.c_str()) != 0) ::_exit(125);
    if (options.user && (::setgid(*options.user) != 0 || ::setuid(*options.user) != 0)) ::_exit(125);
    char* arguments[] = {const_cast<char*>(options.program.c_str()), nullptr};
    ::execve(options.program.c_str(), arguments, environment.data());
    ::_exit(127);
  }
  ::close(errorPipe[1]);
  ProgramRun run;
  const long long started = NowMs();
  const long long deadline = started + options.timeoutMs;
  bool open = true;
  bool killedByUs = false;
  while (open) {
    if (options.untilText && !killedByUs && run.errorOutput.find(*options.untilText) != std::string::npos) {
      // Still running (its end of the pipe is open): the text came from a
      // program that had not crashed. Stop it.
      int status = 0;
      if (::waitpid(pid, &status, WNOHANG) == 0) {
        run.sawText = true;
        killedByUs = true;
        ::kill(pid, SIGKILL);
      }
    }
    if (options.stopAfterMs && !killedByUs && NowMs() - started >= *options.stopAfterMs) {
      int status = 0;
      if (::waitpid(pid, &status, WNOHANG) == 0) {
        run.stillRunning = true;
        killedByUs = true;
        ::kill(pid, SIGKILL);
      }
    }
    const long long left = deadline - NowMs();
    if (left <= 0 && !killedByUs) {
      run.timedOut = true;
      killedByUs = true;
      ::kill(pid, SIGKILL);
    }
    pollfd descriptor{errorPipe[0], POLLIN, 0};
    const int ready = ::poll(&descriptor, 1, static_cast<int>(left > 0 ? std::min<long long>(left, 200) : 200));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) continue;
    char buffer[4096];
    const ssize_t count = ::read(errorPipe[0], buffer, sizeof buffer);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) {
      open = false;
      break;
    }
    run.errorOutput.append(buffer, static_cast<std::size_t>(count));
  }
  ::close(errorPipe[0]);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status)) {
    run.exited = true;
    run.exitCode = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status) && !killedByUs) {
    run.signaled = true;
    run.signal = WTERMSIG(status);
  }
  return run;
}

std::string SanitizerReport(const std::string& errorOutput) {
  for (const char* marker : {"AddressSanitizer", "LeakSanitizer", "UndefinedBehaviorSanitizer", "runtime error:",
                             "Segmentation fault", "terminate called"}) {
    const std::size_t at = errorOutput.find(marker);
    if (at != std::string::npos) return errorOutput.substr(at > 200 ? at - 200 : 0, 1200);
  }
  return {};
}

}  // namespace reliability
