#pragma once
// Shared by the reliability tests: character databases in the program's
// schema made with the DatabaseBuilder, direct SQLite checks of a file,
// whole-file comparison, child processes that talk through pipes, and
// counts that the environment may override.
#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace reliability {

// A count taken from the environment variable `name` when it holds a
// positive number, else `fallback`.
int CountFromEnvironment(const char* name, int fallback);

// "Lexora_Concept.mdb" in the program's schema at `path`: the six tables
// with the lookup rows the classification lists need, and `characters` rows
// in "0_Data_Input". `leaveOutTable` is not created; `leaveOutField` is
// left out of "0_Data_Input".
struct CharacterDatabaseOptions {
  int characters = 3;
  std::string leaveOutTable{};
  std::string leaveOutField{};
};
void CreateCharacterDatabase(const std::string& path, const CharacterDatabaseOptions& options = {});

// Straight through SQLite, bypassing the engine.
std::string IntegrityCheck(const std::string& path);  // "ok" when sound
std::vector<std::optional<std::string>> ReadColumn(const std::string& path, const std::string& table,
                                                   const std::string& column);

// Whole contents of a file; nullopt when it cannot be read as a file.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& path);
void WriteWholeFile(const std::filesystem::path& path, std::string_view bytes);

// A pipe from a forked child to the parent; lines written with WriteLine
// by the child, read with ReadLine by the parent (nullopt at end of data or
// when `timeoutMs` passes without a whole line).
class ChildProcess {
 public:
  // Forks; the child runs `body` with the write end of a pipe to the parent
  // and the read end of a pipe from the parent, then _exit()s with its
  // result (a thrown exception ends it with 3).
  explicit ChildProcess(const std::function<int(int toParent, int fromParent)>& body);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  pid_t pid() const noexcept { return pid_; }
  std::optional<std::string> ReadLine(int timeoutMs = 30000);
  // Every whole line the child has written and not yet read, without waiting
  // longer than the child takes to end (use after it was killed).
  std::vector<std::string> DrainLines();
  void Send(std::string_view text);
  void CloseInput();
  // Waits for the child; the raw wait status.
  int Wait();
  void Kill(int signal);

 private:
  pid_t pid_ = -1;
  int fromChild_ = -1;
  int toChild_ = -1;
  std::string pending_;
  bool waited_ = false;
  int status_ = 0;
};

// Child side of the pipes.
void WriteLine(int fd, const std::string& line);
std::optional<std::string> ReadCommand(int fd);  // one line, nullopt at end

}  // namespace reliability
