#pragma once
// The one failure a copy reports to the user: its text says what went wrong
// and where, and nothing was written when it is thrown.
#include <stdexcept>
#include <string>

namespace dbcopy {

class CopyError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace dbcopy
