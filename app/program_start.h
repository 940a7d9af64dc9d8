#pragma once
// The program's start, in this order, on an application object that already
// exists (gui::Application):
//  0. message boxes written to standard error instead of shown when the
//     environment asks for it (useNonInteractiveBoxesWhenAsked, for scripts
//     and whole-program tests; the program itself reads no settings);
//  1. COM for the main thread (initializeComForMainThread);
//  2. the application title "Zenmora１．０版" and the application icon;
//  3. the main form, on the database named on the command line or else the
//     one the look-up finds (database_location.h); the first start's copy of
//     the template is noted on the status line and on standard error;
//  4. the message loop, until the main form is closed.
// Returns the exit code: the loop's, or 1 when creating the main form threw;
// that exception is shown first in the "Application Error" box
// (gui::showStartupFailure) and the window is never shown.
#include <QWidget>

#include "app/command_line.h"

#include <functional>
#include <memory>

inline constexpr const char* kApplicationTitle = "Zenmora１．０版";

using MainFormFactory = std::function<std::unique_ptr<QWidget>()>;

// With TForm1 as the main form.
int runProgram(const ProgramOptions& options = {});

// With another main form; lets tests drive the start-up paths.
int runProgram(const MainFormFactory& createMainForm);
