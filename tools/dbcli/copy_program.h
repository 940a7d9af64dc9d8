#pragma once
// `zenmora-db copy`: the copy between a database file and a PostgreSQL server
// is its own program, zenmora-db-copy (tools/zenmora_db_copy.cpp), so that
// zenmora-db's other commands do not load the server's client library.
//
// Contract: runCopyProgram() replaces this process with zenmora-db-copy,
// given `arguments` (those after "copy"); its output, messages and exit code
// are the command's. It returns only when the program cannot be run: then it
// has said why on `err` and returns 1 (nothing was copied). The program is
// looked for where an install puts it (ZEN_COPY_PROGRAM_BESIDE, relative to
// this program's folder), then beside this program (the build folder).
#include <ostream>
#include <string>
#include <vector>

namespace dbcli {

int runCopyProgram(const std::vector<std::string>& arguments, std::ostream& err);

}  // namespace dbcli
