#pragma once
// The program's command line: `zenmora [--database PATH]`, plus --help and
// --version. Qt's own options (-platform, -style, ...) are taken off by the
// application object before these are read.
//
// Every option is one entry of the option table in command_line.cpp, which
// names the field of ProgramOptions it fills; adding an option is adding a
// field here and a line there.
#include <QString>
#include <QStringList>

struct ProgramOptions {
  // The database to open, exactly as given (a file path, or the address of a
  // database server); it overrides the look-up. Empty: look the database up.
  // Taken from ZENMORA_DATABASE when --database is not given.
  QString database;
  // Print where the start-up time goes (startup_trace.h reads the flag from
  // the raw arguments, before Qt starts; it is listed here for --help).
  bool startupTrace = false;
};

struct CommandLine {
  enum class Action {
    Run,          // start with `options`
    ShowHelp,     // print `text` to standard output, exit 0
    ShowVersion,  // print `text` to standard output, exit 0
    Fail,         // print `text` to standard error, exit kUsageExitCode
  };
  Action action = Action::Run;
  ProgramOptions options;
  QString text;
};

inline constexpr int kUsageExitCode = 2;

// Reads `arguments` (the program's path first, as QCoreApplication::arguments
// gives them). Needs the application object (QCoreApplication or above) and
// its identity (application_identity.h) for the texts of --help/--version.
// Help wins over version, and both over an error elsewhere on the line.
CommandLine parseCommandLine(const QStringList& arguments);

// Whether the raw command line asks only for --help or --version: those are
// answered before any window system is reached, so they work without a
// display.
bool asksForHelpOrVersion(int argc, const char* const* argv);

// Prints what `parsed` says to print; returns the exit code for a command
// line that does not run the program.
int answerCommandLine(const CommandLine& parsed);
