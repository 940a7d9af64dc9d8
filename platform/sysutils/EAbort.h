#pragma once
// The silent exception: raised to leave a chain of handlers without telling
// the user anything. The application's exception display shows every other
// exception in an error box and swallows this one.
//
// Qt-free on purpose, so that the data layer can raise it too.
#include <stdexcept>

class EAbort : public std::runtime_error {
 public:
  EAbort() : std::runtime_error("Operation aborted") {}
  using std::runtime_error::runtime_error;
};
