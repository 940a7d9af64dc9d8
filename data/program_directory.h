#pragma once
// Where the running program's file lies, for finding files that are kept
// beside it.
#include <string>

namespace data {

// The directory of the program's executable file, with its final "/"
// ("/opt/zenmora/"); empty when the system does not tell.
std::string ProgramDirectory();

}  // namespace data
